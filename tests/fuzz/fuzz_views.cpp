// The saved export views' file on arbitrary contents: reading it never
// crashes, hangs or runs out of memory; a new view takes a number no view of
// the file has, and once written it reads back whole while every view that
// was there reads back as before.
#include <cstdint>
#include <cstdlib>

#include <QFile>

#include "ScratchDir.h"
#include "SaveRepView.h"

namespace {

struct Seen {
  QString section, name, user;
  QList<zv::ViewColumn> columns;
  bool operator==(const Seen &) const = default;
};

QList<Seen> seen(const zv::TSaveRepViewSettings &s) {
  QList<Seen> out;
  for (const auto &v : s.views()) out << Seen{v->Section, v->ViewName, v->User, v->Columns};
  return out;
}

QByteArray fileBytes(const QString &path) {
  QFile f(path);
  return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QString path = WriteInput(QStringLiteral("zv_views.ini"), QByteArray(reinterpret_cast<const char *>(data),
                                                                               static_cast<qsizetype>(size)));
  if (path.isEmpty()) return 0;
  const QString user = QStringLiteral("ivan");
  zv::TSaveRepViewSettings store;
  store.Load(path, user);
  const QList<Seen> before = seen(store);
  for (const auto &v : store.views()) {
    // every column stands for a line of its section
    if (v->Columns.size() > static_cast<qsizetype>(size) || v->DetailColumns.size() > static_cast<qsizetype>(size))
      std::abort();
  }

  const zv::GridNames names{QStringLiteral("MainForm"), QStringLiteral("GroupBox1"), QStringLiteral("FamilyGrid")};
  const QString key = zv::GridViewKey(names, user, 3);
  QList<zv::ColumnEntry> entries{{QStringLiteral("  №"), QStringLiteral("CARD_ID"), false},
                                 {QStringLiteral("Име"), QStringLiteral("NAME"), true},
                                 {QStringLiteral("ЕГН"), QStringLiteral("EGN"), true}};
  const QByteArray old = fileBytes(path);
  zv::TSaveRepView *made = store.Create(names, key, QStringLiteral("Изглед"), entries);
  if (made->Number < 1) std::abort();
  for (const Seen &s : before)
    if (s.section.compare(made->Section, Qt::CaseInsensitive) == 0) std::abort();  // would overwrite a view
  if (fileBytes(path) == old) return 0;  // the file could not be written (a byte with no character)

  zv::TSaveRepViewSettings again;
  again.Load(path, user);
  QList<Seen> after = seen(again);
  const Seen expected{made->Section, made->ViewName, user,
                      {{QStringLiteral("  №"), false}, {QStringLiteral("Име"), true}, {QStringLiteral("ЕГН"), true}}};
  const qsizetype at = after.indexOf(expected);
  if (at < 0) std::abort();
  after.removeAt(at);
  if (after != before) std::abort();
  if (again.counter() != made->Number) std::abort();
  return 0;
}
