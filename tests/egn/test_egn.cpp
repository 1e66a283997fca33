#include <gtest/gtest.h>

#include <QDate>
#include <QDateTime>
#include <QLocale>
#include <QTime>

#include "Dialogs.h"
#include "ZvDate.h"
#include "egn.h"

using namespace zv;

namespace {

QDate d(int y, int m, int day) { return QDate(y, m, day); }

// The clock stays pinned only inside one test.
struct PinnedClock {
  explicit PinnedClock(const QDateTime &at) { setNow(at); }
  ~PinnedClock() { setNow(std::nullopt); }
  void set(const QDateTime &at) { setNow(at); }
};

QDateTime lastMomentBefore(const QDate &day) {
  return QDateTime(day.addDays(-1), QTime(23, 59, 59, 999));
}

}  // namespace

TEST(Egn, FormatCheckDigitAndBirthDate) {
  struct Case {
    QString text;
    bool tenDigits;
    bool checkOk;
    QDate born;  // invalid QDate: not a valid number
  };
  const Case cases[] = {
      {"0101010007", true, true, d(1901, 1, 1)},   // sum 18, remainder 7
      {"0101010060", true, true, d(1901, 1, 1)},   // remainder 10 -> check digit 0
      {"0021010008", true, true, d(1800, 1, 1)},   // month 21: the 1800s
      {"9941010001", true, true, d(2099, 1, 1)},   // month 41: the 2000s
      {"0552310000", true, true, d(2005, 12, 31)},  // month 52 is December
      {"0130010004", true, true, d(1801, 10, 1)},   // month 30 is October
      {"9912311230", true, true, d(1999, 12, 31)},
      {"0402290006", true, true, d(1904, 2, 29)},  // leap day of a leap year
      {"0002290001", true, true, QDate()},         // 1900 has no 29 February
      {"9942290000", true, true, QDate()},         // nor has 2099
      {"0104310008", true, true, QDate()},         // 31 April
      {"0000000000", true, true, QDate()},         // month 0
      {"9932300008", true, true, QDate()},         // 30.12.1899 is the no-date value
      {"0101010070", true, false, QDate()},        // wrong check digit
      {"010101007", false, false, QDate()},
      {"01010100070", false, false, QDate()},
      {"010101 007", false, false, QDate()},
      {"010101A007", false, false, QDate()},
      {"", false, false, QDate()},
      // Arabic-Indic digits are digits to Unicode, not to a personal number.
      {QString::fromUtf8("٠١٠١٠١٠٠٠٧"), false, false, QDate()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.text.toStdString());
    EXPECT_EQ(IsTenDigitEgn(c.text), c.tenDigits);
    EXPECT_EQ(EgnCheckDigitOk(c.text), c.checkOk);
    EXPECT_EQ(EgnBirthDate(c.text, 0), fromQDate(c.born));  // fromQDate(invalid) == 0
  }

  // Only 0 completes 010101006: every other last digit fails the check.
  for (char last = '1'; last <= '9'; ++last) {
    const QString text = QStringLiteral("010101006") + QLatin1Char(last);
    EXPECT_FALSE(EgnCheckDigitOk(text)) << text.toStdString();
  }
}

TEST(Egn, MakeEgnGivesTheNumberOfABirthDate) {
  // The century sits in the month; the check digit closes the number.
  EXPECT_EQ(zv::MakeEgn(QDate(1901, 1, 1), 0), QStringLiteral("0101010007"));
  EXPECT_EQ(zv::MakeEgn(QDate(1800, 1, 1), 0), QStringLiteral("0021010008"));
  EXPECT_EQ(zv::MakeEgn(QDate(2099, 1, 1), 0), QStringLiteral("9941010001"));
  EXPECT_EQ(zv::EgnCheckDigit(QStringLiteral("010101006")), 0);  // remainder 10
  EXPECT_EQ(zv::EgnCheckDigit(QStringLiteral("01010100")), -1);
  EXPECT_EQ(zv::EgnCheckDigit(QStringLiteral("01010100a")), -1);
}

TEST(Egn, BirthDateWithYearOffset) {
  struct Case {
    QString text;
    int offset;
    QDate expected;
  };
  const Case cases[] = {
      {"0101010007", 35, d(1936, 1, 1)},
      {"0021010008", 18, d(1818, 1, 1)},
      {"0402290006", 18, d(1922, 3, 1)},  // common target year
      {"0402290006", 4, d(1908, 3, 1)},   // leap target year: still 1 March
      {"0101010070", 18, QDate()},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE((c.text + QLatin1Char('+') + QString::number(c.offset)).toStdString());
    EXPECT_EQ(EgnBirthDate(c.text, c.offset), fromQDate(c.expected));
  }
}

TEST(Egn, AgeTestsTurnAtMidnightOfTheBirthday) {
  const QString born2007 = QStringLiteral("0745201234");  // 20 May 2007
  const QString leapDay = QStringLiteral("0402290006");   // 29 February 1904
  struct Case {
    QString text;
    QDateTime now;
    bool under18;
    bool under35;
  };
  const Case cases[] = {
      {born2007, lastMomentBefore(d(2025, 5, 20)), true, true},
      {born2007, QDateTime(d(2025, 5, 20), QTime(0, 0)), false, true},
      {born2007, lastMomentBefore(d(2042, 5, 20)), false, true},
      {born2007, QDateTime(d(2042, 5, 20), QTime(0, 0)), false, false},
      {leapDay, lastMomentBefore(d(1922, 3, 1)), true, true},
      {leapDay, QDateTime(d(1922, 3, 1), QTime(0, 0)), false, true},
      {leapDay, QDateTime(d(1939, 3, 1), QTime(0, 0)), false, false},
      // An invalid number is never under age, even long before any birthday.
      {"0002290001", QDateTime(d(1900, 6, 1), QTime(12, 0)), false, false},
      // 29 February 2099 does not exist, though its anniversaries would.
      {"9942290000", QDateTime(d(2025, 6, 1), QTime(12, 0)), false, false},
      {"0101010070", QDateTime(d(1900, 6, 1), QTime(12, 0)), false, false},
      {"", QDateTime(d(1900, 6, 1), QTime(12, 0)), false, false},
  };
  PinnedClock clock(QDateTime(d(2000, 1, 1), QTime(0, 0)));
  for (const Case &c : cases) {
    SCOPED_TRACE((c.text + QLatin1Char(' ') + c.now.toString(Qt::ISODateWithMs)).toStdString());
    clock.set(c.now);
    EXPECT_EQ(IsUnder18(c.text), c.under18);
    EXPECT_EQ(IsUnder35(c.text), c.under35);
  }
}

TEST(Egn, IsAllDigits) {
  EXPECT_TRUE(IsAllDigits(""));
  EXPECT_TRUE(IsAllDigits("000123"));
  EXPECT_TRUE(IsAllDigits("01234567890123456789"));  // any length
  EXPECT_FALSE(IsAllDigits("12a4"));
  EXPECT_FALSE(IsAllDigits("12 4"));
  EXPECT_FALSE(IsAllDigits("-12"));
  EXPECT_FALSE(IsAllDigits(QString::fromUtf8("١٢")));
}

TEST(Egn, DaysToYears) {
  const std::pair<int, int> cases[] = {
      {0, 0}, {364, 0}, {365, 1}, {1095, 3}, {1460, 4}, {1461, 4}, {2921, 8},
  };
  for (const auto &[days, years] : cases) EXPECT_EQ(DaysToYears(days), years) << days;
}

TEST(Egn, CollapseSpaces) {
  const std::pair<QString, QString> cases[] = {
      {"  first   second  ", " first second "},
      {"", ""},
      {" ", " "},
      {"no_blanks", "no_blanks"},
      {"a\t\tb\n\nc \t d", "a\t\tb\n\nc \t d"},  // only code 32 collapses
  };
  for (const auto &[in, expected] : cases) EXPECT_EQ(CollapseSpaces(in), expected) << in.toStdString();
}

TEST(Egn, TrimRightKeepsLeadingBlanks) {
  const std::pair<QString, QString> cases[] = {
      {"  name   ", "  name"}, {"", ""}, {"   ", ""}, {"a b", "a b"}, {"tab\t", "tab\t"}};
  for (const auto &[in, expected] : cases) EXPECT_EQ(TrimRight(in), expected) << in.toStdString();
}

TEST(Egn, ParseDateText) {
  auto at = [](QDate day, QTime time) { return fromQDateTime(QDateTime(day, time, Qt::UTC)); };
  const std::pair<QString, TDate> cases[] = {
      {"05.03.2020", fromQDate(d(2020, 3, 5))},
      {"5.3.2020", fromQDate(d(2020, 3, 5))},
      {"3/5/2020", fromQDate(d(2020, 3, 5))},  // slash: month first
      {"12/31/1999", fromQDate(d(1999, 12, 31))},
      {"1.1.1800", fromQDate(d(1800, 1, 1))},  // before day 0
      {"29.2.2000", fromQDate(d(2000, 2, 29))},
      {"05.03.2020 14:30", at(d(2020, 3, 5), QTime(14, 30))},
      {"05.03.2020 7:05:09", at(d(2020, 3, 5), QTime(7, 5, 9))},
      {"05.03.2020    14:30  ", at(d(2020, 3, 5), QTime(14, 30))},
      {"05.03.2020 25:00", fromQDate(d(2020, 3, 5))},  // bad time: date alone
      {"05.03.2020 noon", fromQDate(d(2020, 3, 5))},
      {"05.03.2020 ", fromQDate(d(2020, 3, 5))},
      {"31.02.2020", 0},
      {"29.2.1900", 0},
      {"13/1/2020", 0},
      {"0.1.2020", 0},
      {"5.3", 0},
      {"5.3.2020.1", 0},
      {"5-3-2020", 0},
      {"", 0},
      {" 05.03.2020", 0},  // the date part ends at the first blank
      {"30.12.1899", 0},
  };
  // The reading must not follow, nor disturb, the program's locale.
  QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
  for (const auto &[text, expected] : cases) EXPECT_EQ(ParseDateText(text), expected) << text.toStdString();
  EXPECT_EQ(QLocale().language(), QLocale::English);
  EXPECT_EQ(QLocale().territory(), QLocale::UnitedStates);
  QLocale::setDefault(QLocale::c());
}

TEST(Egn, ShowWarningGoesThroughTheDialogFacade) {
  Dialogs::setScripted(true);
  Dialogs::clearShown();
  ShowWarning(QStringLiteral("Невалидно ЕГН!"));
  const QList<Dialogs::Shown> shown = Dialogs::shown();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0].kind, "warning");
  EXPECT_EQ(shown[0].text, QStringLiteral("Невалидно ЕГН!"));
  EXPECT_EQ(shown[0].icon, Dialogs::Icon::Warning);
  Dialogs::setScripted(false);
}
