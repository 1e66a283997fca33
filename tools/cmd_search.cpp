// zv-admin search: the search of the main window from the command line. Each
// criterion given is a ticked box holding that input; the filter and the
// caption come from the window's own builder, then one line per listed row.
#include "Commands.h"
#include "DataModule.h"
#include "Options.h"
#include "SearchArgs.h"
#include "SearchFilter.h"
#include "egn.h"

int cmdSearch(const QStringList &args, QTextStream &out, QTextStream &err) {
  const auto usage = [&](const QString &why) {
    if (!why.isEmpty()) err << why << "\n";
    err << "usage: zv-admin search --database PATH " << kSearchArgsUsage << "\n";
    return 2;
  };
  QStringList rest;
  SearchArgs search;
  QString why;
  if (!ParseSearchArgs(args, search, &rest, &why)) return usage(why);
  QString database;
  for (int i = 0; i < rest.size(); ++i) {
    if (rest[i] != QLatin1String("--database")) return usage(QStringLiteral("unknown argument %1").arg(rest[i]));
    if (i + 1 >= rest.size()) return usage(QStringLiteral("option --database needs 1 value(s)"));
    database = rest[++i];
  }
  if (database.isEmpty()) return usage(QString());

  TDataModule1 dm;
  openRegister(dm, database);
  PickSearchLists(search);
  const zv::SearchFilter filter = zv::BuildSearchFilter(search.criteria);
  out << "filter: " << filter.filter << "\n";
  out << "caption: " << filter.caption << "\n";
  // No criterion: the window shows all cards instead.
  dm.setMainLines(filter.applied > 0 ? filter.filter : QStringLiteral("and person_type=0"),
                  QStringLiteral("order by REG_NUM, PERSON_ID"));
  zv::Query &q = dm.MainQuery;
  for (int r = 0; r < q.recordCount(); ++r)
    out << q.value(r, QStringLiteral("REG_NUM")).toString() << '\t'
        << zv::TrimRight(q.value(r, QStringLiteral("NAME")).toString()) << '\t'
        << zv::TrimRight(q.value(r, QStringLiteral("EGN")).toString()) << '\n';
  dm.disconnectCommitting();
  return 0;
}
