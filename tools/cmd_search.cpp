// zv-admin search: the search of the main window from the command line. Each
// criterion given is a ticked box holding that input; the filter and the
// caption come from the window's own builder, then one line per listed row.
#include <QDate>

#include "Commands.h"
#include "DataModule.h"
#include "Nomen.h"
#include "Options.h"
#include "SearchFilter.h"

namespace {
const char *const kUsage =
    "usage: zv-admin search --database PATH [--regnum TEXT | --egn TEXT | [--name TEXT] [--kids-from TEXT]\n"
    "       [--kids-to TEXT] [--regdate FROM TO] [--group TEXT] [--status TEXT] [--no-declaration FROM TO]]\n"
    "       (dates dd.mm.yyyy)\n";

QDate readDate(const QString &text) {
  QDate d = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
  if (!d.isValid()) d = QDate::fromString(text, QStringLiteral("d.M.yyyy"));
  return d;
}

QString withoutTrailingBlanks(QString s) {
  qsizetype n = s.size();
  while (n > 0 && s.at(n - 1) == QLatin1Char(' ')) --n;
  s.truncate(n);
  return s;
}

// The list entry whose text, without its trailing blanks, is text; as the
// list holds it. Empty (nothing picked) when there is none.
QString pickFromList(const QString &column, const QString &text) {
  for (const zv::NomEntry &e : zv::NomEntries(column))
    if (withoutTrailingBlanks(e.text) == text) return e.text;
  return QString();
}
}  // namespace

int cmdSearch(const QStringList &args, QTextStream &out, QTextStream &err) {
  const auto usage = [&](const QString &why) {
    if (!why.isEmpty()) err << why << "\n";
    err << kUsage;
    return 2;
  };
  QString database, group, status;
  zv::SearchCriteria c;
  QStringList given;
  for (int i = 0; i < args.size(); ++i) {
    const QString opt = args[i];
    const int values = (opt == QLatin1String("--regdate") || opt == QLatin1String("--no-declaration")) ? 2 : 1;
    static const QStringList known{QStringLiteral("--database"),  QStringLiteral("--regnum"),
                                   QStringLiteral("--name"),      QStringLiteral("--egn"),
                                   QStringLiteral("--kids-from"), QStringLiteral("--kids-to"),
                                   QStringLiteral("--regdate"),   QStringLiteral("--group"),
                                   QStringLiteral("--status"),    QStringLiteral("--no-declaration")};
    if (!known.contains(opt)) return usage(QStringLiteral("unknown argument %1").arg(opt));
    if (i + values >= args.size()) return usage(QStringLiteral("option %1 needs %2 value(s)").arg(opt).arg(values));
    const QString v = args[++i];
    if (opt == QLatin1String("--database")) {
      database = v;
      continue;
    }
    given << opt;
    if (opt == QLatin1String("--regnum")) {
      c.regNumOn = true;
      c.regNum = v;
    } else if (opt == QLatin1String("--name")) {
      c.nameOn = true;
      c.name = v;
    } else if (opt == QLatin1String("--egn")) {
      c.egnOn = true;
      c.egn = v;
    } else if (opt == QLatin1String("--kids-from")) {
      c.kidsOn = true;
      c.kidsFrom = v;
    } else if (opt == QLatin1String("--kids-to")) {
      c.kidsOn = true;
      c.kidsTo = v;
    } else if (opt == QLatin1String("--group")) {
      c.groupOn = true;
      group = v;
    } else if (opt == QLatin1String("--status")) {
      c.statusOn = true;
      status = v;
    } else {
      const QString v2 = args[++i];
      const QDate from = readDate(v), to = readDate(v2);
      if (!from.isValid() || !to.isValid())
        return usage(QStringLiteral("%1: dates must be dd.mm.yyyy").arg(opt));
      if (opt == QLatin1String("--regdate")) {
        c.regDateOn = true;
        c.regDateFrom = from;
        c.regDateTo = to;
      } else {
        c.noDeclarationOn = true;
        c.declarationFrom = from;
        c.declarationTo = to;
      }
    }
  }
  if (database.isEmpty()) return usage(QString());
  // The window's tick boxes let neither of these go with another criterion.
  given.removeDuplicates();
  for (const QString &alone : {QStringLiteral("--regnum"), QStringLiteral("--egn")})
    if (given.contains(alone) && given.size() > 1)
      return usage(QStringLiteral("%1 goes with no other criterion").arg(alone));

  TDataModule1 dm;
  dm.connectTo(database, envUser(), envPassword());
  if (c.groupOn) c.group = pickFromList(QStringLiteral("GROUP1"), group);
  if (c.statusOn) c.status = pickFromList(QStringLiteral("STATUS"), status);
  const zv::SearchFilter search = zv::BuildSearchFilter(c);
  out << "filter: " << search.filter << "\n";
  out << "caption: " << search.caption << "\n";
  // No criterion: the window shows all cards instead.
  dm.setMainLines(search.applied > 0 ? search.filter : QStringLiteral("and person_type=0"),
                  QStringLiteral("order by REG_NUM, PERSON_ID"));
  zv::Query &q = dm.MainQuery;
  for (int r = 0; r < q.recordCount(); ++r)
    out << q.value(r, QStringLiteral("REG_NUM")).toString() << '\t'
        << withoutTrailingBlanks(q.value(r, QStringLiteral("NAME")).toString()) << '\t'
        << withoutTrailingBlanks(q.value(r, QStringLiteral("EGN")).toString()) << '\n';
  dm.disconnectCommitting();
  return 0;
}
