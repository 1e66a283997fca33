#include "InvalidEgn.h"

#include <QDate>

#include "Dataset.h"
#include "egn.h"

namespace zv {

bool IsInvalidEgn(const QString &egn) {
  // EgnBirthDate(egn, 0) == 0 without building and parsing a date text: the
  // list tests every person of the register.
  int year = 0, month = 0, day = 0;
  if (!EgnDateParts(egn, year, month, day)) return true;
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
