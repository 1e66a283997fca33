// The person service's data file and its register dates from arbitrary
// bytes: the file is read without a crash, and every person it lists can be
// found and its values read.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <string>

#include <QByteArray>
#include <QFile>
#include <QList>
#include <QString>

#include "ScratchDir.h"
#include "PersInfoLib_TLB.h"
#include "PersonInfo.h"

extern "C" PIResult PersonInfoCreateInstance(const PIGuid *, void *, std::uint32_t, const PIGuid *, void **);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  // Register dates: eight digits of a real day, else no date.
  const QString text = QString::fromUtf8(bytes.left(12));
  const zv::TDate d = zv::ParseRegisterDate(text);
  if (d != 0 && text.size() != 8) std::abort();

  // A new file each time: the service reloads a file that changed.
  static int n = 0;
  const QString path = WriteInput(QStringLiteral("p%1.tsv").arg(++n), bytes);
  if (path.isEmpty()) return 0;
  setenv("ZV_PERSONINFO_DATA", QFile::encodeName(path).constData(), 1);
  void *object = nullptr;
  if (PersonInfoCreateInstance(&CLSID_CoPersonInfo, nullptr, CLSCTX_INPROC_SERVER, &IID_IPersonInfo, &object) == 0) {
    auto *info = static_cast<IPersonInfo *>(object);
    // The second line's first field, and a few fixed numbers.
    QList<QByteArray> lines = bytes.split('\n');
    QList<QByteArray> egns{QByteArray("0101010007"), QByteArray()};
    if (lines.size() > 1) egns << lines[1].split('\t').value(0);
    for (const QByteArray &egn : egns) {
      const std::u16string e = QString::fromUtf8(egn).toStdU16String();
      if (info->lpVtbl->FindByEGN(info, e.c_str()) != 0) continue;
      for (const char16_t *key : {u"FirstName", u"LastName", u"PAddrStreet", u"PAddrNumber", u"NoSuchKey"}) {
        PIWideChar *value = nullptr;
        info->lpVtbl->GetField(info, key, &value);
        std::free(value);
      }
    }
    info->lpVtbl->Release(info);
  }
  QFile::remove(path);
  return 0;
}
