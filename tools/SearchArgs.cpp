#include "SearchArgs.h"

#include <QDate>

#include "Nomen.h"
#include "egn.h"

const char *const kSearchArgsUsage =
    "[--regnum TEXT | --egn TEXT | [--name TEXT] [--kids-from TEXT]\n"
    "       [--kids-to TEXT] [--regdate FROM TO] [--group TEXT] [--status TEXT] [--no-declaration FROM TO]]\n"
    "       (dates dd.mm.yyyy)";

namespace {
QDate readDate(const QString &text) {
  QDate d = QDate::fromString(text, QStringLiteral("dd.MM.yyyy"));
  if (!d.isValid()) d = QDate::fromString(text, QStringLiteral("d.M.yyyy"));
  return d;
}


// The list entry whose text, without its trailing blanks, is text; as the
// list holds it. Empty (nothing picked) when there is none.
QString pickFromList(const QString &column, const QString &text) {
  for (const zv::NomEntry &e : zv::NomEntries(column))
    if (zv::TrimRight(e.text) == text) return e.text;
  return QString();
}
}  // namespace

bool ParseSearchArgs(const QStringList &args, SearchArgs &out, QStringList *rest, QString *error) {
  static const QStringList known{QStringLiteral("--regnum"),    QStringLiteral("--name"),
                                 QStringLiteral("--egn"),       QStringLiteral("--kids-from"),
                                 QStringLiteral("--kids-to"),   QStringLiteral("--regdate"),
                                 QStringLiteral("--group"),     QStringLiteral("--status"),
                                 QStringLiteral("--no-declaration")};
  zv::SearchCriteria &c = out.criteria;
  for (int i = 0; i < args.size(); ++i) {
    const QString opt = args[i];
    if (!known.contains(opt)) {
      if (rest) *rest << opt;
      continue;
    }
    const int values = (opt == QLatin1String("--regdate") || opt == QLatin1String("--no-declaration")) ? 2 : 1;
    if (i + values >= args.size()) {
      *error = QStringLiteral("option %1 needs %2 value(s)").arg(opt).arg(values);
      return false;
    }
    const QString v = args[++i];
    out.given << opt;
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
      out.group = v;
    } else if (opt == QLatin1String("--status")) {
      c.statusOn = true;
      out.status = v;
    } else {
      const QString v2 = args[++i];
      const QDate from = readDate(v), to = readDate(v2);
      if (!from.isValid() || !to.isValid()) {
        *error = QStringLiteral("%1: dates must be dd.mm.yyyy").arg(opt);
        return false;
      }
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
  // The window's tick boxes let neither of these go with another criterion.
  out.given.removeDuplicates();
  for (const QString &alone : {QStringLiteral("--regnum"), QStringLiteral("--egn")})
    if (out.given.contains(alone) && out.given.size() > 1) {
      *error = QStringLiteral("%1 goes with no other criterion").arg(alone);
      return false;
    }
  return true;
}

void PickSearchLists(SearchArgs &args) {
  if (args.criteria.groupOn) args.criteria.group = pickFromList(QStringLiteral("GROUP1"), args.group);
  if (args.criteria.statusOn) args.criteria.status = pickFromList(QStringLiteral("STATUS"), args.status);
}
