// zv-admin backup / restore: a register to a backup file and back, through
// Firebird's own backup tool.
#include "Backup.h"
#include "Commands.h"
#include "Options.h"

int cmdBackup(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o = parseOptions(args, {QStringLiteral("database"), QStringLiteral("out")});
  if (!o.error.isEmpty() || !o.has(QStringLiteral("database")) || !o.has(QStringLiteral("out")) ||
      !o.positional.isEmpty()) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    err << "usage: zv-admin backup --database PATH --out FILE.fbk\n";
    return 2;
  }
  zv::backupRegister(o.get(QStringLiteral("database")), o.get(QStringLiteral("out")), envUser(), envPassword());
  out << "backup " << o.get(QStringLiteral("out")) << "\n";
  return 0;
}

int cmdRestore(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o =
      parseOptions(args, {QStringLiteral("from"), QStringLiteral("database")}, {QStringLiteral("replace")});
  if (!o.error.isEmpty() || !o.has(QStringLiteral("from")) || !o.has(QStringLiteral("database")) ||
      !o.positional.isEmpty()) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    err << "usage: zv-admin restore --from FILE.fbk --database PATH [--replace]\n";
    return 2;
  }
  zv::restoreRegister(o.get(QStringLiteral("from")), o.get(QStringLiteral("database")),
                      o.has(QStringLiteral("replace")), envUser(), envPassword());
  out << "restored " << o.get(QStringLiteral("database")) << "\n";
  return 0;
}
