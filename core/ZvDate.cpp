#include "ZvDate.h"

#include <cmath>

namespace zv {
namespace {
// Day 0. A constant expression, so it is ready before any other global uses it.
constexpr QDate kEpoch = QDate::fromJulianDay(2415019);
std::optional<QDateTime> g_fixedNow;
}  // namespace

TDate fromQDate(const QDate &d) {
  if (!d.isValid()) return 0;
  return static_cast<double>(kEpoch.daysTo(d));
}

TDate fromQDateTime(const QDateTime &dt) {
  if (!dt.isValid()) return 0;
  const QTime t = dt.time();
  const double frac = (t.msecsSinceStartOfDay()) / 86400000.0;
  return fromQDate(dt.date()) + frac;
}

QDate toQDate(TDate d) {
  if (d == 0) return QDate();
  return kEpoch.addDays(static_cast<qint64>(std::floor(d)));
}

QDateTime toQDateTime(TDate d) {
  if (d == 0) return QDateTime();
  const double whole = std::floor(d);
  qint64 ms = std::llround((d - whole) * 86400000.0);
  QDate date = kEpoch.addDays(static_cast<qint64>(whole));
  if (ms >= 86400000) {  // rounding pushed us over midnight
    ms = 0;
    date = date.addDays(1);
  }
  return QDateTime(date, QTime::fromMSecsSinceStartOfDay(static_cast<int>(ms)), Qt::UTC);
}

QString dateText(TDate d) {
  if (d == 0) return QString();
  return toQDate(d).toString(QStringLiteral("dd.MM.yyyy"));
}

QString dateTimeText(TDate d) {
  if (d == 0) return QString();
  const QDateTime dt = toQDateTime(d);
  const QTime t = dt.time();
  if (t.hour() == 0 && t.minute() == 0 && t.second() == 0) return dateText(d);
  return dt.date().toString(QStringLiteral("dd.MM.yyyy")) + QLatin1Char(' ') +
         t.toString(QStringLiteral("hh:mm:ss"));
}

TDate now() {
  if (g_fixedNow) return fromQDateTime(*g_fixedNow);
  return fromQDateTime(QDateTime::currentDateTime());
}

TDate today() { return std::floor(now()); }

void setNow(std::optional<QDateTime> fixed) { g_fixedNow = std::move(fixed); }

}  // namespace zv
