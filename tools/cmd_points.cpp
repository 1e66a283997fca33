// zv-admin refresh-points: the points of every card recomputed as of now, by
// the same routine the ranking runs, with its progress on standard error.
#include "Commands.h"
#include "DataModule.h"
#include "Options.h"
#include "Points.h"
#include "TerminalProgress.h"

int cmdRefreshPoints(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o = parseOptions(args, {QStringLiteral("database")});
  if (!o.error.isEmpty() || !o.has(QStringLiteral("database")) || !o.positional.isEmpty()) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    err << "usage: zv-admin refresh-points --database PATH\n";
    return 2;
  }
  TDataModule1 dm;
  openRegister(dm, o.get(QStringLiteral("database")));
  TerminalProgress progress(err);
  const int cards = zv::RefreshAllPoints(progress);  // commits
  dm.disconnectCommitting();
  out << cards << "\n";
  return 0;
}
