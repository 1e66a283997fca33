#pragma once
// Pieces of SQL built as text: every text value goes in through sqlQuote.
#include <QString>

#include "ZvDate.h"

namespace zv {
// 'text' with every single quote doubled.
inline QString sqlQuote(const QString &s) {
  QString q = s;
  q.replace(QLatin1Char('\''), QStringLiteral("''"));
  return QLatin1Char('\'') + q + QLatin1Char('\'');
}
// 'dd.mm.yyyy' (with the time when it is not midnight).
inline QString sqlDate(TDate d) { return sqlQuote(dateTimeText(d)); }
}  // namespace zv
