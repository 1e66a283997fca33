#include "InvalidEgn.h"

#include "Dataset.h"
#include "egn.h"

namespace zv {

bool IsInvalidEgn(const QString &egn) { return EgnBirthDate(egn, 0) == 0; }

void OpenInvalidEgnList(Query &mainQuery) {
  mainQuery.close();
  while (mainQuery.SQL.size() < 3) mainQuery.SQL << QString();
  mainQuery.SQL[1] = QString();
  mainQuery.onFilterRecord = [](const Query &q, const Row &row) {
    const int i = q.fieldIndex(QStringLiteral("EGN"));
    if (i < 0 || static_cast<size_t>(i) >= row.size()) return false;
    const QVariant &v = row[static_cast<size_t>(i)];
    return IsInvalidEgn(v.isNull() ? QString() : v.toString());
  };
  mainQuery.setFiltered(true);
  mainQuery.open();
}

QString InvalidEgnCountText(int count) { return QString::number(count) + QStringLiteral(" невалидни ЕГН-та"); }

}  // namespace zv
