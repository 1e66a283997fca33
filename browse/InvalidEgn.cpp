#include "InvalidEgn.h"

#include <QDate>

#include "Dataset.h"
#include "egn.h"

namespace zv {

bool IsInvalidEgn(const QString &egn) {
  // EgnBirthDate(egn, 0) == 0 without building and parsing a date text: the
  // list tests every person of the register.
  if (!EgnCheckDigitOk(egn)) return true;
  const auto two = [&](int at) { return (egn.at(at).unicode() - '0') * 10 + (egn.at(at + 1).unicode() - '0'); };
  int year = two(0) + 1900, month = two(2);
  const int day = two(4);
  if (month > 40) {
    month -= 40;
    year += 100;
  } else if (month > 20) {
    month -= 20;
    year -= 100;
  }
  if (!QDate::isValid(year, month, day)) return true;
  return year == 1899 && month == 12 && day == 30;  // day 0 stands for no date
}

void OpenInvalidEgnList(Query &mainQuery) {
  mainQuery.close();
  while (mainQuery.SQL.size() < 3) mainQuery.SQL << QString();
  mainQuery.SQL[1] = QString();
  mainQuery.onFilterRecord = [](const Query &q, const Row &row) {
    const int i = q.columnIndex(QStringLiteral("EGN"));
    if (i < 0 || static_cast<size_t>(i) >= row.size()) return false;
    const QVariant &v = row[static_cast<size_t>(i)];
    return IsInvalidEgn(v.isNull() ? QString() : v.toString());
  };
  // The filter reads the number alone: only the few rows it keeps are read whole.
  mainQuery.filterColumns = QStringList{QStringLiteral("EGN")};
  mainQuery.setFiltered(true);
  mainQuery.open();
}

QString InvalidEgnCountText(int count) { return QString::number(count) + QStringLiteral(" невалидни ЕГН-та"); }

}  // namespace zv
