#pragma once
// Personal numbers (ЕГН): the format and check-digit tests, the date of birth
// they encode, the age tests built on it, and a few small text, number and
// date helpers that the rest of the register shares. Nothing here touches the
// database; the age tests read the workstation clock (zv::now) once per call.
#include <QDate>
#include <QString>

#include "ZvDate.h"

namespace zv {

// Exactly ten characters, each an ASCII digit "0".."9". No check digit, no date.
bool IsTenDigitEgn(const QString &text);

// Ten ASCII digits whose last one is the check digit of the first nine
// (weights 2 4 8 5 10 9 7 3 6, modulus 11, remainder 10 stands for 0).
bool EgnCheckDigitOk(const QString &text);

// The check digit (0-9) for the first nine digits of a number; -1 when they
// are not nine decimal digits.
int EgnCheckDigit(const QString &nineDigits);
// A well-formed number for a birth date in 1800-2099 (the month carries the
// century) with the given three serial digits and its check digit.
QString MakeEgn(const QDate &born, int serial);

// The year, month and day the number encodes, the century folded in (month
// +20 for the 1800s, +40 for the 2000s); not checked to be a real date. False
// when the number fails the check digit.
bool EgnDateParts(const QString &text, int &year, int &month, int &day);

// The date of birth encoded in the number, moved forward by yearOffset whole
// years (a 29 February birthday lands on 1 March whenever yearOffset > 0).
// 0 when the number fails the check digit or names no real calendar date.
// A number is valid exactly when EgnBirthDate(text, 0) != 0.
TDate EgnBirthDate(const QString &text, int yearOffset);

// True while now is earlier than 00:00 of the 18th (35th) birthday; false for
// a number that is not valid (EgnBirthDate(text, 0) == 0).
bool IsUnder18(const QString &text);
bool IsUnder35(const QString &text);

// Every character is an ASCII digit; true for the empty text.
bool IsAllDigits(const QString &text);

// Whole years in a number of days, counted in four-year blocks of 1461 days:
// 4 * (days / 1461) + (days % 1461) / 365, both divisions truncating.
int DaysToYears(int days);

// Every run of blanks (code 32) becomes a single blank, leading and trailing
// runs included; tabs, line breaks and everything else are copied unchanged.
QString CollapseSpaces(const QString &text);

// The text without its trailing blanks (fixed-width columns come back padded);
// leading blanks stay.
QString TrimRight(const QString &text);

// Reads "d.m.yyyy" (one- or two-digit day and month), or "M/d/yyyy" when the
// date contains a slash, optionally followed after a blank by "h:mm" or
// "h:mm:ss". An unreadable date gives 0; an unreadable time is ignored and the
// date alone is returned. Does not depend on or change any locale setting.
TDate ParseDateText(const QString &text);

}  // namespace zv
