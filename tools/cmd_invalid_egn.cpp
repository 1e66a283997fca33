// zv-admin invalid-egn: the persons whose personal number the register does
// not accept, as the main window's list shows them, with their count.
#include "Commands.h"
#include "DataModule.h"
#include "InvalidEgn.h"
#include "Options.h"
#include "egn.h"

int cmdInvalidEgn(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o = parseOptions(args, {QStringLiteral("database")});
  if (!o.error.isEmpty() || !o.has(QStringLiteral("database")) || !o.positional.isEmpty()) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    err << "usage: zv-admin invalid-egn --database PATH\n";
    return 2;
  }
  TDataModule1 dm;
  openRegister(dm, o.get(QStringLiteral("database")));
  zv::Query &q = dm.MainQuery;
  q.SQL[2] = QStringLiteral("order by REG_NUM, PERSON_ID");
  zv::OpenInvalidEgnList(q);
  for (int r = 0; r < q.recordCount(); ++r)
    out << q.value(r, QStringLiteral("REG_NUM")).toString() << '\t'
        << zv::TrimRight(q.value(r, QStringLiteral("NAME")).toString()) << '\t'
        << zv::TrimRight(q.value(r, QStringLiteral("EGN")).toString()) << '\n';
  out << zv::InvalidEgnCountText(q.recordCount()) << '\n';
  dm.disconnectCommitting();
  return 0;
}
