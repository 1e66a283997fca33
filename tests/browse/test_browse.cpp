// Status changes, deletion, the invalid personal number list and the search
// on a real register.
#include <gtest/gtest.h>

#include "BrowseFixture.h"
#include "CardDelete.h"
#include "CardStatus.h"
#include "WriteUnit.h"
#include "InvalidEgn.h"
#include "Progress.h"
#include "SearchFilter.h"
#include "egn.h"

namespace {

const QString kStampHead = QStringLiteral(
    "{ Изпълнител: Мария Д'Арк\r\n"
    "  Дата и час: 15.06.2024 10:20:30\r\n"
    "  Тип: Системно\r\n");

QString egn(int y, int m, int d, int serial = 0) { return zv::MakeEgn(QDate(y, m, d), serial); }

class Browse : public BrowseFixture {
 protected:
  void listHolders() { dm->setMainLines(zv::kHoldersOnlyFilter, QStringLiteral(" order by Reg_Num")); }
};

TEST(StatusNotes, OldLineEndsBecomeCrLf) {
  const QList<std::pair<QString, QString>> cases = {
      {"", ""},
      {"a", "a\r\n"},
      {"a\r\n", "a\r\n"},
      {"a\nb", "a\r\nb\r\n"},
      {"a\rb\r", "a\r\nb\r\n"},
      {"a\n\rb", "a\r\n\r\nb\r\n"},  // LF then CR: two line ends
      {"\n\n", "\r\n\r\n"},
  };
  for (const auto &[in, out] : cases) EXPECT_EQ(zv::WithCrLfLines(in), out) << in.toStdString();
}

// The list's own test must agree with the register's rule for every number:
// each century and month code, every day number, right and wrong check digits.
TEST(InvalidEgn, AgreesWithTheBirthDateRule) {
  QStringList numbers = {"", "123456789", "01010100070", "010101A007", "010101 007", "9932300008", "0000000000"};
  for (const char *yy : {"00", "04", "99", "50"})
    for (int mm = 0; mm < 100; ++mm)
      for (int dd = 0; dd < 100; ++dd) {
        const QString nine = QString::asprintf("%s%02d%02d123", yy, mm, dd);
        const int check = zv::EgnCheckDigit(nine);
        numbers << nine + QString::number(check) << nine + QString::number((check + 1) % 10);
      }
  int invalid = 0;
  for (const QString &n : numbers) {
    ASSERT_EQ(zv::IsInvalidEgn(n), zv::EgnBirthDate(n, 0) == 0) << n.toStdString();
    invalid += zv::IsInvalidEgn(n);
  }
  EXPECT_GT(invalid, numbers.size() / 2);  // the wrong check digits at least
  EXPECT_LT(invalid, numbers.size());
}

TEST_F(Browse, CardWithoutNotesGetsExactlyFourLines) {
  const int card = addCard(1, 1);
  addPerson(card, "Титуляр", egn(1980, 1, 15));
  listHolders();
  zv::SetCardStatus(card, 2);
  // Padded status texts: each run of blanks becomes one blank.
  const QString want =
      kStampHead + "  Съобщение: 'Промяна на състояние от Вписан в картотеката  на Настанен ' }\r\n";
  EXPECT_EQ(notesOf(card), want);
  EXPECT_EQ(notesOf(card).count("\r\n"), 4);
  // committed retaining: another workstation sees it already
  EXPECT_EQ(committedScalar(QStringLiteral("select STATUS from RGS_CARD where CARD_ID = %1").arg(card)).toInt(), 2);
}

TEST_F(Browse, OldNotesFollowWithNormalisedLineEnds) {
  const int card = addCard(1, 0, 0, QStringLiteral("първа\nвтора\rтрета"));
  addPerson(card, "Титуляр", egn(1980, 1, 15));
  listHolders();
  zv::SetCardStatus(card, 0);  // the same status is still written
  EXPECT_EQ(notesOf(card), kStampHead +
                               "  Съобщение: 'Промяна на състояние от Подадено заявление  на Подадено заявление ' }\r\n"
                               "първа\r\nвтора\r\nтрета\r\n");
}

// The notes and the old status are read from the stored card, not from the
// list: a note stored by another workstation after the list was opened stays.
TEST_F(Browse, NotesStoredAfterListingSurvive) {
  const int card = addCard(1, 1, 0, QStringLiteral("от списъка"));
  addPerson(card, "Титуляр", egn(1980, 1, 15));
  dm->Transaction.commit();
  listHolders();
  {
    fb::Database other;
    other.databaseName = reg.path;
    other.connect();
    fb::Transaction tr(other);
    fb::execute(other, tr, QStringLiteral("update RGS_CARD set STATUS = 4, NOTES = ? where CARD_ID = ?"),
                {QStringLiteral("от другата станция\r\nот списъка"), card});
    tr.commit();
  }
  zv::SetCardStatus(card, 1);
  EXPECT_EQ(notesOf(card), kStampHead +
                               "  Съобщение: 'Промяна на състояние от Изваден от картотеката  на Вписан в картотеката ' }\r\n"
                               "от другата станция\r\nот списъка\r\n");
}

TEST_F(Browse, AllListedCardsChangeOnceEach) {
  const int a = addCard(1, 0);
  addPerson(a, "Иван Петров", egn(1980, 1, 15));
  addPerson(a, "Мария Петрова", egn(1982, 3, 1, 1), 2);
  const int b = addCard(2, 0);
  addPerson(b, "Петър Петров", egn(1975, 5, 5));
  const int c = addCard(3, 0);
  addPerson(c, "Георги Иванов", egn(1970, 7, 7));
  // a name search lists card a twice
  zv::SearchCriteria crit;
  crit.nameOn = true;
  crit.name = "Петров";
  dm->setMainLines(zv::BuildSearchFilter(crit).filter, QStringLiteral(" order by Reg_Num"));
  ASSERT_EQ(dm->MainQuery.recordCount(), 3);
  const QList<int> ids = zv::ListedCardIds(dm->MainQuery);
  EXPECT_EQ(ids, (QList<int>{a, b}));
  // a card deleted meanwhile is passed over
  exec(QStringLiteral("delete from RGS_PERSON where CARD_ID = %1").arg(b));
  exec(QStringLiteral("delete from RGS_CARD where CARD_ID = %1").arg(b));
  zv::RecordingProgress progress;
  EXPECT_EQ(zv::SetCardsStatus(ids, 3, progress), 1);
  EXPECT_EQ(notesOf(a).count(QStringLiteral("{ Изпълнител")), 1);
  EXPECT_TRUE(notesOf(a).endsWith(QStringLiteral("на Отказано вписване ' }\r\n")));
  EXPECT_EQ(scalar(QStringLiteral("select STATUS from RGS_CARD where CARD_ID = %1").arg(c)).toInt(), 0);
  EXPECT_EQ(progress.positions, (std::vector<int>{33, 67}));
  EXPECT_FALSE(progress.shown);
}

// A card held at another workstation stops "За Всички - " with no card
// changed; once it is free, every card changes once.
TEST_F(Browse, AllListedCardsOrNone) {
  QList<int> ids;
  for (int reg : {1, 2, 3}) {
    ids << addCard(reg, 0);
    addPerson(ids.back(), QStringLiteral("Титуляр %1").arg(reg), egn(1980, 1, reg));
  }
  dm->Transaction.commit();
  fb::Database other;
  other.databaseName = reg.path;
  other.connect();
  fb::Transaction tr(other);
  fb::execute(other, tr, QStringLiteral("update RGS_CARD set NOTES = 'отворен' where REG_NUM = 2"));
  zv::RecordingProgress progress;
  try {
    zv::SetCardsStatus(ids, 3, progress);
    FAIL() << "changed with a card held elsewhere";
  } catch (const zv::UnitFailed &e) {
    EXPECT_TRUE(e.text().startsWith(QStringLiteral("Състоянието не е сменено на нито един картон: картон с рег. номер 2 "
                                                   "се променя на друго работно място. Опитайте отново.\n")))
        << e.text().toStdString();
  }
  EXPECT_FALSE(progress.shown);
  dm->Transaction.commit();  // what the next refresh does
  const auto committedStatuses = [&] {
    QStringList out;
    for (int id : ids)
      out << committedScalar(QStringLiteral("select STATUS || ':' || coalesce(NOTES, '') from RGS_CARD where CARD_ID = %1")
                                 .arg(id))
                 .toString();
    return out;
  };
  EXPECT_EQ(committedStatuses(), (QStringList{"0:", "0:", "0:"}));
  tr.commit();
  EXPECT_EQ(zv::SetCardsStatus(ids, 3, progress), 3);
  for (int id : ids) {
    EXPECT_EQ(notesOf(id).count(QStringLiteral("{ Изпълнител")), 1);
    EXPECT_EQ(committedScalar(QStringLiteral("select STATUS from RGS_CARD where CARD_ID = %1").arg(id)).toInt(), 3);
  }
  other.disconnect();
}

TEST_F(Browse, DeletionRemovesMembersAndCardInTheOpenTransaction) {
  const int card = addCard(5);
  addPerson(card, "Титуляр", egn(1980, 1, 15));
  for (int i = 1; i <= 3; ++i) addPerson(card, QStringLiteral("Член %1").arg(i), egn(2010, 1, i), 3);
  const int other = addCard(6);
  addPerson(other, "Друг", egn(1970, 1, 1));
  dm->Transaction.commit();
  zv::DeleteCard(dm->Database, dm->Transaction, card);
  const auto count = [&](const QString &table, int id) {
    return scalar(QStringLiteral("select count(*) from %1 where CARD_ID = %2").arg(table).arg(id)).toInt();
  };
  EXPECT_EQ(count("RGS_PERSON", card), 0);
  EXPECT_EQ(count("RGS_CARD", card), 0);
  EXPECT_EQ(count("RGS_PERSON", other), 1);
  // not committed yet: another workstation still sees the card
  EXPECT_EQ(committedScalar(QStringLiteral("select count(*) from RGS_PERSON where CARD_ID = %1").arg(card)).toInt(), 4);
  EXPECT_EQ(zv::DeleteCardQuestion("5"), "Сигутни ли сте, че искате да изтриете рег. картон с рег.номер 5 ?");
}

TEST_F(Browse, InvalidListShowsHoldersAndMembersOnTheirOwnRows) {
  const int a = addCard(2);
  addPerson(a, "Валиден титуляр", egn(1980, 1, 15));
  addPerson(a, "Член с грешна цифра", "0101010070", 3);
  addPerson(a, "Член с девет цифри", "010101007", 3);
  const int b = addCard(1);
  addPerson(b, "Титуляр на 29.02.1900", "0002290001");
  addPerson(b, "Валиден член", egn(2010, 1, 1), 3);
  dm->setMainLines(zv::kHoldersOnlyFilter, QStringLiteral(" order by Reg_Num"));
  zv::OpenInvalidEgnList(dm->MainQuery);
  EXPECT_EQ(dm->MainQuery.SQL.value(1), QString());
  EXPECT_EQ(dm->MainQuery.SQL.value(2), QStringLiteral(" order by Reg_Num"));
  QStringList rows = listed();
  rows.sort();  // rows of one card come in no fixed order
  EXPECT_EQ(rows, (QStringList{"1 Титуляр на 29.02.1900", "2 Член с грешна цифра", "2 Член с девет цифри"}));
  EXPECT_EQ(zv::InvalidEgnCountText(dm->MainQuery.recordCount()), "3 невалидни ЕГН-та");
  // Only the kept rows were read; switching the filter off lists every row again.
  dm->MainQuery.setFiltered(false);
  EXPECT_EQ(dm->MainQuery.recordCount(), 5);
  dm->MainQuery.setFiltered(true);
  EXPECT_EQ(dm->MainQuery.recordCount(), 3);
  exec(QStringLiteral("delete from RGS_PERSON where EGN in ('0101010070', '010101007', '0002290001')"));
  dm->MainQuery.open();  // a reopen keeps the record filter
  EXPECT_EQ(zv::InvalidEgnCountText(dm->MainQuery.recordCount()), "0 невалидни ЕГН-та");
}

TEST_F(Browse, SearchesOnTheServer) {
  const int a = addCard(1, 1, 3);
  addPerson(a, "ЖАНА Д'АРК", egn(1980, 1, 15));
  addPerson(a, "ДЕТЕ Д'АРК", egn(2012, 4, 4), 3);
  const int b = addCard(2, 1, 1);
  addPerson(b, "Петър Иванов", egn(1975, 5, 5));
  addPerson(b, "Дете 8001", egn(1980, 1, 2, 7), 3);
  listHolders();
  QString published;
  const auto search = [&](const std::function<void(zv::SearchCriteria &)> &set) {
    zv::SearchCriteria c;
    set(c);
    zv::RunSearch(dm->MainQuery, zv::BuildSearchFilter(c).filter, [&](const QString &sql) { published = sql; });
    QStringList rows = listed();
    rows.sort();
    return rows;
  };
  // An apostrophe is searched for literally; both members match, one row each.
  EXPECT_EQ(search([](zv::SearchCriteria &c) {
              c.nameOn = true;
              c.name = "д'арк";
            }),
            (QStringList{"1 ДЕТЕ Д'АРК", "1 ЖАНА Д'АРК"}));
  EXPECT_EQ(published, TDataModule1::kMainSelect + "\nand( upper(P.NAME) LIKE '%Д''АРК%')\n order by Reg_Num");
  // A personal number part finds holders and members alike.
  EXPECT_EQ(search([](zv::SearchCriteria &c) {
              c.egnOn = true;
              c.egn = "8001";
            }),
            (QStringList{"1 ЖАНА Д'АРК", "2 Дете 8001"}));
  EXPECT_EQ(search([](zv::SearchCriteria &c) {
              c.kidsOn = true;
              c.kidsFrom = "3";
              c.kidsTo = "1";
            }),
            QStringList{});
  EXPECT_EQ(search([](zv::SearchCriteria &c) {
              c.kidsOn = true;
              c.kidsFrom = "2";
            }),
            QStringList{"1 ЖАНА Д'АРК"});
  // The search switches a record filter off.
  zv::OpenInvalidEgnList(dm->MainQuery);
  EXPECT_TRUE(dm->MainQuery.filtered());
  search([](zv::SearchCriteria &c) { c.regNumOn = true, c.regNum = "2"; });
  EXPECT_FALSE(dm->MainQuery.filtered());
  EXPECT_EQ(listed(), QStringList{"2 Петър Иванов"});

  // A name matches whatever the letter case of the typing and of the stored
  // name, "ъ" included.
  const int c = addCard(3, 1, 0);
  addPerson(c, "Георги Ъглов", egn(1970, 7, 7));
  addPerson(c, "ъгЛОВА Мария", egn(1972, 8, 8, 1), 2);
  for (const char *typed : {"ъглов", "ЪГЛОВ", "ЪгЛоВ", "глов"})
    EXPECT_EQ(search([&](zv::SearchCriteria &k) { k.nameOn = true, k.name = QString::fromUtf8(typed); }),
              (QStringList{"3 Георги Ъглов", "3 ъгЛОВА Мария"}))
        << typed;
}

}  // namespace
