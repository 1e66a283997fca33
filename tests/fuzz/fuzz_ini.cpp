// The Windows-1251 INI reader on arbitrary files: no crash, and what it reads
// it writes back and reads again the same.
#include <cstdint>
#include <cstdlib>

#include <QDir>
#include <QFile>

#include "ScratchDir.h"
#include "IniFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString path = WriteInput(QStringLiteral("f.ini"), QByteArray(reinterpret_cast<const char *>(data),
                                                                       static_cast<qsizetype>(size)));
  if (path.isEmpty()) return 0;
  IniFile ini(path);
  const QStringList sections = ini.sections();
  for (const QString &s : sections)
    for (const QString &k : ini.keys(s)) (void)ini.readString(s, k, QString());
  // A key written with a plain value reads back as written.
  if (ini.writeString(QStringLiteral("Fuzz"), QStringLiteral("key"), QStringLiteral("стойност 1"))) {
    IniFile again(path);
    if (again.readString(QStringLiteral("Fuzz"), QStringLiteral("key"), QString()) != QStringLiteral("стойност 1"))
      std::abort();
  }
  return 0;
}
