#include "SearchFilter.h"

#include "Dataset.h"
#include "Nomen.h"

namespace zv {

namespace {
// The server reads at most 18 digits as a whole number in dialect 1; the
// columns searched (INTEGER and SMALLINT) stay far below this value.
const QString kLargestLiteral = QStringLiteral("999999999999999999");

// A typed text inside single quotes: every apostrophe doubled.
QString quoted(const QString &s) {
  QString q = s;
  q.replace(QLatin1Char('\''), QStringLiteral("''"));
  return q;
}

// The text between the wildcards of a LIKE: a typed "%" or "_" is looked for
// as itself, not as a wildcard. Only then the pattern needs an escape
// character, so the usual filter line stays as it always was.
QString likeEnd(const QString &s) {
  static const QString special = QStringLiteral("%_\\");
  bool needs = false;
  for (const QChar c : s) needs = needs || special.contains(c);
  if (!needs) return quoted(s) + QStringLiteral("%'");
  QString e;
  for (const QChar c : s) {
    if (special.contains(c)) e += QLatin1Char('\\');
    e += c;
  }
  return quoted(e) + QStringLiteral("%' escape '\\'");
}

QString dateLiteral(const QDate &d) { return d.toString(QStringLiteral("dd.MM.yyyy")); }

class Builder {
 public:
  SearchFilter out;
  Builder() { out.caption = kSearchCaption; }

  // One clause; a blank goes before it unless the filter already ends in one.
  void clause(const QString &text) {
    if (!out.filter.isEmpty() && !out.filter.endsWith(QLatin1Char(' '))) out.filter += QLatin1Char(' ');
    out.filter += text;
  }
  // One applied criterion: its caption text after ":" or ",".
  void caption(const QString &text) {
    out.caption += out.applied == 0 ? QLatin1Char(':') : QLatin1Char(',');
    out.caption += text;
    ++out.applied;
  }
};
}  // namespace

std::optional<QString> WholeNumberLiteral(const QString &text) {
  const QString t = text.trimmed();
  if (t.isEmpty()) return std::nullopt;
  for (const QChar c : t)
    if (c < QLatin1Char('0') || c > QLatin1Char('9')) return std::nullopt;
  if (t.size() <= kLargestLiteral.size()) return t;
  // Longer than the server reads: leading zeros say nothing, a real excess
  // of digits is larger than anything stored.
  qsizetype first = 0;
  while (first < t.size() - 1 && t.at(first) == QLatin1Char('0')) ++first;
  const QString digits = t.mid(first);
  return digits.size() <= kLargestLiteral.size() ? digits : kLargestLiteral;
}

SearchFilter BuildSearchFilter(const SearchCriteria &c, const NomCodeLookup &codeOf) {
  Builder b;
  // A ticked name or personal number whose text was cleared searches for
  // nothing: it is left out, and the list keeps to the holders.
  const bool nameOn = c.nameOn && !c.name.trimmed().isEmpty();
  const bool egnOn = c.egnOn && !c.egn.trimmed().isEmpty();
  if (!nameOn && !egnOn) b.out.filter = kHoldersOnlyFilter;

  if (c.regNumOn) {
    if (const auto n = WholeNumberLiteral(c.regNum)) {
      b.clause(QStringLiteral("and C.REG_NUM = ") + *n);
      b.caption(c.regNum.trimmed());
    }
  }
  if (nameOn) {
    // Both sides in capitals: "георгиев", "ГЕОРГИЕВ" and "Георгиев" find the
    // same names.
    const QString upper = c.name.toUpper();
    b.clause(QStringLiteral("and( upper(P.NAME) LIKE '%") + likeEnd(upper) + QStringLiteral(")"));
    b.caption(upper);
  }
  if (egnOn) {
    b.clause(QStringLiteral("and P.EGN LIKE '%") + likeEnd(c.egn));
    b.caption(c.egn);
  }
  if (c.kidsOn) {
    // The two bounds are criteria of their own.
    if (const auto n = WholeNumberLiteral(c.kidsFrom)) {
      b.clause(QStringLiteral("and C.KIDS >= ") + *n);
      b.caption(QStringLiteral("деца oт ") + c.kidsFrom.trimmed());  // the "o" is a Latin letter
    }
    if (const auto n = WholeNumberLiteral(c.kidsTo)) {
      b.clause(QStringLiteral("and C.KIDS <= ") + *n);
      b.caption(QStringLiteral("деца до ") + c.kidsTo.trimmed());
    }
  }
  if (c.regDateOn && c.regDateFrom.isValid() && c.regDateTo.isValid()) {
    b.clause(QStringLiteral("and ((C.REGDATE >= '") + dateLiteral(c.regDateFrom) + QStringLiteral("')"));
    b.clause(QStringLiteral("and (C.REGDATE <= '") + dateLiteral(c.regDateTo) + QStringLiteral("'))"));
    b.caption(QStringLiteral("по дата"));
  }
  if (c.groupOn) {
    b.clause(QStringLiteral("and C.GRUPA = ") + QString::number(codeOf(QStringLiteral("GROUP1"), c.group)));
    b.caption(c.group.left(30));
  }
  if (c.statusOn) {
    b.clause(QStringLiteral("and C.STATUS = ") + QString::number(codeOf(QStringLiteral("STATUS"), c.status)));
    b.caption(c.status.left(24));
  }
  if (c.noDeclarationOn && c.declarationFrom.isValid() && c.declarationTo.isValid()) {
    b.clause(QStringLiteral("and(( C.LASTDEK_DATE <= '") + dateLiteral(c.declarationFrom) + QStringLiteral("')"));
    b.clause(QStringLiteral("or (C.LASTDEK_DATE >= '") + dateLiteral(c.declarationTo) +
             QStringLiteral("') or (C.LASTDEK_DATE is NULL) )"));
    b.caption(QStringLiteral("Картони без подадена декларация"));
  }
  return b.out;
}

SearchFilter BuildSearchFilter(const SearchCriteria &c) {
  return BuildSearchFilter(c, [](const QString &column, const QString &text) { return NomCodeOf(column, text); });
}

void RunSearch(Query &mainQuery, const QString &filter, const std::function<void(const QString &)> &publishSql) {
  mainQuery.close();
  while (mainQuery.SQL.size() < 3) mainQuery.SQL << QString();
  mainQuery.SQL[1] = filter;
  if (publishSql) publishSql(mainQuery.SQL.join(QLatin1Char('\n')));
  mainQuery.setFiltered(false);
  mainQuery.open();
}

}  // namespace zv
