#pragma once
// Date values of the register: a day number counted from 30 December 1899
// (day 0) with the time of day as the fraction; 0 stands for "no date".
// Every conversion between that number and Qt's types lives here, and "now"
// comes from one clock that tests can set.
#include <QDateTime>
#include <QString>
#include <optional>

namespace zv {

using TDate = double;

TDate fromQDate(const QDate &d);
TDate fromQDateTime(const QDateTime &dt);
QDate toQDate(TDate d);          // invalid QDate for 0
QDateTime toQDateTime(TDate d);  // invalid QDateTime for 0; kept in UTC so no daylight-saving gap applies

// "dd.mm.yyyy"; empty for 0.
QString dateText(TDate d);
// The date text, a blank and "hh:mm:ss"; the time is left out at midnight.
QString dateTimeText(TDate d);

// The workstation clock ("now", local time). Tests pin it with setNow.
TDate now();
TDate today();
void setNow(std::optional<QDateTime> fixed);

}  // namespace zv
