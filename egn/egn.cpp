#include "egn.h"

#include <QDate>
#include <QList>
#include <QStringView>
#include <QTime>


namespace zv {
namespace {

bool isAsciiDigit(QChar c) { return c >= QLatin1Char('0') && c <= QLatin1Char('9'); }

int digitAt(const QString &text, qsizetype i) { return text.at(i).unicode() - '0'; }

// A number written with minLen..maxLen ASCII digits and nothing else.
bool readNumber(QStringView s, qsizetype minLen, qsizetype maxLen, int &value) {
  if (s.size() < minLen || s.size() > maxLen) return false;
  int v = 0;
  for (QChar c : s) {
    if (!isAsciiDigit(c)) return false;
    v = v * 10 + (c.unicode() - '0');
  }
  value = v;
  return true;
}

// "a.b.yyyy" with one- or two-digit a and b; invalid QDate on any other shape.
QDate readDate(const QString &datePart, bool monthFirst) {
  const QList<QStringView> parts = QStringView(datePart).split(QLatin1Char('.'));
  if (parts.size() != 3) return QDate();
  int first = 0, second = 0, year = 0;
  if (!readNumber(parts[0], 1, 2, first) || !readNumber(parts[1], 1, 2, second) ||
      !readNumber(parts[2], 4, 4, year))
    return QDate();
  return monthFirst ? QDate(year, first, second) : QDate(year, second, first);
}

// "h:mm" or "h:mm:ss"; invalid QTime on any other shape or an impossible time.
QTime readTime(QStringView text) {
  const QList<QStringView> parts = text.split(QLatin1Char(':'));
  if (parts.size() != 2 && parts.size() != 3) return QTime();
  int h = 0, m = 0, s = 0;
  if (!readNumber(parts[0], 1, 2, h) || !readNumber(parts[1], 1, 2, m)) return QTime();
  if (parts.size() == 3 && !readNumber(parts[2], 1, 2, s)) return QTime();
  return QTime(h, m, s);
}

// A number without a birth date is never under age. Checking the date itself
// matters: an impossible 29 February (2099, say) still yields an anniversary
// on 1 March, which would otherwise count as a birthday still to come.
bool isUnderAge(const QString &text, int years) {
  if (EgnBirthDate(text, 0) == 0) return false;
  return now() < EgnBirthDate(text, years);
}

}  // namespace

bool IsTenDigitEgn(const QString &text) {
  return text.size() == 10 && IsAllDigits(text);
}

int EgnCheckDigit(const QString &nineDigits) {
  static constexpr int kWeights[9] = {2, 4, 8, 5, 10, 9, 7, 3, 6};
  if (nineDigits.size() != 9 || !IsAllDigits(nineDigits)) return -1;
  int sum = 0;
  for (int i = 0; i < 9; ++i) sum += digitAt(nineDigits, i) * kWeights[i];
  const int r = sum % 11;
  return r == 10 ? 0 : r;
}

bool EgnCheckDigitOk(const QString &text) {
  if (!IsTenDigitEgn(text)) return false;
  return digitAt(text, 9) == EgnCheckDigit(text.left(9));
}

QString MakeEgn(const QDate &born, int serial) {
  int month = born.month();
  if (born.year() >= 2000)
    month += 40;
  else if (born.year() < 1900)
    month += 20;
  const QString nine = QStringLiteral("%1%2%3%4")
                           .arg(born.year() % 100, 2, 10, QLatin1Char('0'))
                           .arg(month, 2, 10, QLatin1Char('0'))
                           .arg(born.day(), 2, 10, QLatin1Char('0'))
                           .arg(serial % 1000, 3, 10, QLatin1Char('0'));
  return nine + QString::number(EgnCheckDigit(nine));
}

bool EgnDateParts(const QString &text, int &year, int &month, int &day) {
  if (!EgnCheckDigitOk(text)) return false;
  year = digitAt(text, 0) * 10 + digitAt(text, 1) + 1900;
  month = digitAt(text, 2) * 10 + digitAt(text, 3);
  day = digitAt(text, 4) * 10 + digitAt(text, 5);
  if (month > 40) {
    month -= 40;
    year += 100;
  } else if (month > 20) {
    month -= 20;
    year -= 100;
  }
  return true;
}

TDate EgnBirthDate(const QString &text, int yearOffset) {
  int year = 0, month = 0, day = 0;
  if (!EgnDateParts(text, year, month, day)) return 0;
  year += yearOffset;
  // Anniversaries of a 29 February birth fall on 1 March, leap year or not.
  if (day == 29 && month == 2 && yearOffset > 0) {
    month = 3;
    day = 1;
  }
  // Going through the date text keeps one rule for what a real date is:
  // month 0 or 13+, day 0, 31 April or 29 February 1900 all come back as 0.
  return ParseDateText(QStringLiteral("%1.%2.%3").arg(day).arg(month).arg(year));
}

bool IsUnder18(const QString &text) { return isUnderAge(text, 18); }

bool IsUnder35(const QString &text) { return isUnderAge(text, 35); }

bool IsAllDigits(const QString &text) {
  for (QChar c : text)
    if (!isAsciiDigit(c)) return false;
  return true;
}

int DaysToYears(int days) { return 4 * (days / 1461) + (days % 1461) / 365; }

QString CollapseSpaces(const QString &text) {
  QString out;
  out.reserve(text.size());
  bool inRun = false;
  for (QChar c : text) {
    const bool blank = c == QLatin1Char(' ');
    if (!(blank && inRun)) out.append(c);
    inRun = blank;
  }
  return out;
}

QString TrimRight(const QString &text) {
  qsizetype n = text.size();
  while (n > 0 && text.at(n - 1) == QLatin1Char(' ')) --n;
  return text.left(n);
}

TDate ParseDateText(const QString &text) {
  const qsizetype blank = text.indexOf(QLatin1Char(' '));
  QString datePart = blank < 0 ? text : text.left(blank);
  const bool monthFirst = datePart.contains(QLatin1Char('/'));
  if (monthFirst) datePart.replace(QLatin1Char('/'), QLatin1Char('.'));

  const QDate date = readDate(datePart, monthFirst);
  if (!date.isValid()) return 0;
  if (blank >= 0) {
    const QStringView timePart = QStringView(text).mid(blank + 1).trimmed();
    if (!timePart.isEmpty()) {
      const QTime time = readTime(timePart);
      // UTC so that a time inside a daylight-saving gap is kept as written.
      if (time.isValid()) return fromQDateTime(QDateTime(date, time, Qt::UTC));
    }
  }
  return fromQDate(date);
}

}  // namespace zv
