// The card rules, and the card window offscreen on a fresh register: storing
// new and changed cards, the checks and their messages, the member panel.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <QHeaderView>
#include <QScrollBar>
#include <QTest>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QToolButton>

#include "CardRules.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Session.h"
#include "CardWindowFixture.h"
#include "TempRegister.h"
#include "ViewKarton.h"
#include "egn.h"

// Readable failure output for texts.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {


const QString kHolderEgn = egnOf(1985, 3, 10, 123);
const QString kWifeEgn = egnOf(1987, 7, 1, 456);
const QString kChildEgn = egnOf(2015, 5, 5, 789);
const QString kChild2Egn = egnOf(2010, 1, 1, 111);
const QString kAdultEgn = egnOf(1960, 2, 2, 222);

zv::MemberRow rowOf(const QString &type, const QString &egn, const QString &name = QStringLiteral("Име")) {
  zv::MemberRow r;
  r[zv::cellType] = type;
  r[zv::cellName] = name;
  r[zv::cellEgn] = egn;
  return r;
}


// ------------------------------------------------------------------ rules

TEST(CardRules, TypeTextsAndCodes) {
  const QStringList texts{QStringLiteral("Титуляр"), QStringLiteral("Съпруг"), QStringLiteral("Съпруга"),
                          QStringLiteral("Дете"), QStringLiteral("Друг")};
  for (int c = 0; c < 5; ++c) {
    EXPECT_EQ(zv::TypeTextOf(c), texts[c]);
    EXPECT_EQ(zv::TypeCodeOf(texts[c]), c);
  }
  EXPECT_EQ(zv::TypeTextOf(5), QString());
  EXPECT_EQ(zv::TypeTextOf(-1), QString());
  EXPECT_EQ(zv::TypeCodeOf(QStringLiteral("дете")), 0);
  EXPECT_EQ(zv::TypeCodeOf(QString()), 0);
}

TEST(CardRules, MemberTypeRules) {
  const zv::MemberRows family{rowOf(zv::kHolder, kHolderEgn), rowOf(zv::kHusband, kWifeEgn),
                              rowOf(zv::kChild, kChildEgn)};
  const zv::MemberRows single{rowOf(zv::kHolder, kHolderEgn), rowOf(zv::kChild, kChildEgn)};
  struct Case {
    const char *what;
    const zv::MemberRows &rows;
    QString type;
    bool changing;
    int selected;
    bool allowed;
  };
  const Case cases[] = {
      {"second holder", family, zv::kHolder, false, 3, false},
      {"wife beside a husband", family, zv::kWife, false, 1, false},
      {"second husband", family, zv::kHusband, false, 2, false},
      {"another child", family, zv::kChild, false, 1, true},
      {"other member", family, zv::kOther, false, 1, true},
      {"spouse's own row switches", family, zv::kWife, true, 2, true},
      {"holder row to child", family, zv::kChild, true, 1, false},
      {"holder row stays holder", family, zv::kHolder, true, 1, true},
      {"child row to spouse", family, zv::kHusband, true, 3, false},
      {"child row to holder", family, zv::kHolder, true, 3, false},
      {"first spouse", single, zv::kWife, false, 1, true},
      {"child row to first spouse", single, zv::kHusband, true, 2, true},
  };
  for (const Case &c : cases)
    EXPECT_EQ(zv::IsTypeAllowed(c.rows, c.type, c.changing, c.selected), c.allowed) << c.what;
}

TEST(CardRules, MemberCheckOrderAndLookups) {
  pinNow();
  const zv::MemberRows rows{rowOf(zv::kHolder, kHolderEgn), rowOf(zv::kChild, kChildEgn)};
  QStringList looked;
  const QString stored = kAdultEgn;  // a member of another card
  const zv::EgnLookup lookup = [&](const QString &egn) {
    looked << egn;
    return egn == stored;
  };
  const QString badDate = egnOf(1985, 13, 10, 5);  // month 13, check digit right
  ASSERT_TRUE(zv::EgnCheckDigitOk(badDate));
  struct Case {
    const char *what;
    zv::MemberInput in;
    bool changing;
    int selected;
    int message;
    QStringList lookups;
  };
  const Case cases[] = {
      {"empty name, number of another card", {"", zv::kChild, stored}, false, 1, 1, {stored}},
      {"no type", {"Мария", "", kWifeEgn}, false, 1, 2, {kWifeEgn}},
      {"no number", {"Мария", zv::kWife, ""}, false, 1, 3, {""}},
      {"impossible date", {"Мария", zv::kWife, badDate}, false, 1, 4, {badDate}},
      {"stored in another card", {"Мария", zv::kWife, stored}, false, 1, 5, {stored}},
      {"held by another row: no look-up", {"Мария", zv::kOther, kChildEgn}, true, 1, 5, {}},
      {"duplicate wins over type", {"Мария", zv::kHolder, stored}, false, 1, 5, {stored}},
      {"type not allowed", {"Мария", zv::kHolder, kWifeEgn}, false, 1, 6, {kWifeEgn}},
      {"row keeps its number: no look-up", {"Дете", zv::kChild, kChildEgn}, true, 2, 0, {}},
      {"row takes a new number", {"Дете", zv::kChild, kChild2Egn}, true, 2, 0, {kChild2Egn}},
      {"new member", {"Мария", zv::kWife, kWifeEgn}, false, 1, 0, {kWifeEgn}},
  };
  for (const Case &c : cases) {
    looked.clear();
    EXPECT_EQ(zv::ValidateMember(c.in, rows, c.changing, c.selected, lookup), c.message) << c.what;
    EXPECT_EQ(looked, c.lookups) << c.what;
  }
  EXPECT_EQ(zv::MemberMessage(1), QStringLiteral("Моля въведете името на човека"));
  EXPECT_EQ(zv::MemberMessage(5), QStringLiteral("Дублиращо ЕГН"));
  EXPECT_EQ(zv::MemberMessage(6), QStringLiteral("Моля въведете валиден тип"));
  zv::setNow(std::nullopt);
}

TEST(CardRules, CardCheckLastFailingWins) {
  const zv::TDate now = zv::fromQDateTime(QDateTime(kToday, QTime(10, 0)));
  const zv::TDate tenYearsAgo = zv::fromQDate(kToday.addYears(-10));
  const zv::CardInput good{QStringLiteral("0"), QStringLiteral("подгрупа"), QStringLiteral("група"),
                           QStringLiteral("адрес"), 1, tenYearsAgo, 1, 5};
  struct Case {
    const char *what;
    zv::CardInput in;
    QString result;
  };
  zv::CardInput empty = good;
  empty.income.clear();
  empty.subGroupText.clear();
  empty.groupText.clear();
  empty.address.clear();
  empty.memberCount = 0;
  zv::CardInput noHolderNoAddressNoGroup = good;
  noHolderNoAddressNoGroup.memberCount = 0;
  noHolderNoAddressNoGroup.address.clear();
  noHolderNoAddressNoGroup.groupText.clear();
  zv::CardInput letters = good;
  letters.income = QStringLiteral("abc");
  zv::CardInput lettersNoSub = letters;
  lettersNoSub.subGroupText.clear();
  zv::CardInput emptyIncome = good;
  emptyIncome.income.clear();
  zv::CardInput decimal = good;
  decimal.income = QStringLiteral("1234.50");
  const Case cases[] = {
      {"all checks fail", empty, QStringLiteral("Моля въведете семейство")},
      {"no holder, address, group", noHolderNoAddressNoGroup, QStringLiteral("Моля въведете семейство")},
      {"income in letters", letters, QStringLiteral("Моля, въведете валиден доход")},
      {"letters and no subgroup", lettersNoSub, QStringLiteral("Моля въведете подгрупата на семейството")},
      {"empty income", emptyIncome, QStringLiteral("Моля, въведете валиден доход")},
      {"income 0", good, zv::kCardOk},
      {"income with decimals", decimal, zv::kCardOk},
  };
  for (const Case &c : cases) EXPECT_EQ(zv::ValidateCard(c.in, now).result, c.result) << c.what;

  const QString warning =
      QStringLiteral("Не можете да впишете картон в картотеката при регистрация на адрес по-малко от 5 години");
  zv::CardInput recent = good;
  recent.addressDate = zv::fromQDate(kToday.addYears(-1));
  EXPECT_EQ(zv::ValidateCard(recent, now).warning, warning);
  EXPECT_EQ(zv::ValidateCard(recent, now).result, zv::kCardOk);
  recent.statusPosition = 0;
  EXPECT_EQ(zv::ValidateCard(recent, now).warning, QString());
  zv::CardInput future = good;  // five years ahead counts as five years
  future.addressDate = zv::fromQDate(kToday.addYears(5).addDays(2));
  EXPECT_EQ(zv::ValidateCard(future, now).warning, QString());
}

TEST(CardRules, CountsAndFind) {
  pinNow();
  const QString eighteenToday = egnOf(2006, 6, 15, 333);
  const zv::MemberRows rows{rowOf(zv::kHolder, kHolderEgn), rowOf(zv::kChild, kChildEgn),
                            rowOf(zv::kChild, eighteenToday), rowOf(zv::kOther, kChild2Egn),
                            rowOf(zv::kChild, kChildEgn)};
  EXPECT_EQ(zv::CountMinorChildren(rows), 2);
  EXPECT_EQ(zv::MemberCount(rows, false), 5);
  EXPECT_EQ(zv::MemberCount({rowOf(zv::kHolder, QString(), QString())}, true), 0);
  EXPECT_EQ(zv::FindRowByColumn(rows, kChildEgn, zv::cellEgn), 5);
  EXPECT_EQ(zv::FindRowByColumn(rows, kWifeEgn, zv::cellEgn), 0);
  EXPECT_EQ(zv::FindRowByColumn(rows, zv::kHolder, zv::cellType), 1);
  zv::setNow(std::nullopt);
}

// ------------------------------------------------------------------ window

class CardWindowTest : public CardWindowFixture {
 protected:
  // Everything a save may touch.
  QStringList everything() {
    QStringList out;
    for (const char *sql : {"select * from RGS_CARD order by CARD_ID", "select * from RGS_PERSON order by PERSON_ID",
                            "select * from NOM order by N", "select * from INF_LOG order by LOG_ID"})
      out << own(QLatin1String(sql));
    return out;
  }

  struct Member {
    QString name;
    int type;
    QString egn;
  };
  // A stored card written straight into the register and committed.
  int storeCard(int regNum, const QList<Member> &members, int hardLife = 0, int group2 = 0) {
    fb::execute(dm->Database, dm->Transaction,
                QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, ADRESS_DATE, GROUP1, GROUP2, GRUPA, "
                               "ADD_USER, STATUS, INCOME, HARD_LIFE) values (?, '01.02.2015', ?, '01.02.2010', 2, ?, "
                               "1, 'Default', 1, 0, ?)"),
                {regNum, QStringLiteral("ул. Стара %1").arg(regNum), group2, hardLife});
    const int cardId = own(QStringLiteral("select CARD_ID from RGS_CARD where REG_NUM = %1").arg(regNum)).value(0).toInt();
    for (const Member &m : members)
      fb::execute(dm->Database, dm->Transaction,
                  QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE, SOCGRUPA) values (?, ?, ?, ?, 0)"),
                  {cardId, m.name, m.egn, m.type});
    dm->Transaction.commit();
    listAll();
    return cardId;
  }
  // The card fields that the check asks for.
  void cardFields(const QString &address, int status = 1, QDate addressDate = kToday.addYears(-10)) {
    w->ebAdress->setText(address);
    w->cbGroup->setCurrentIndex(1);
    w->cbsubGroup->setCurrentIndex(0);
    w->cbStatus->setCurrentIndex(status);
    w->dtAdress->setDate(addressDate);
  }
  static QList<Dialogs::Shown> boxes() { return Dialogs::shown(); }
  static QStringList texts() {
    QStringList out;
    for (const Dialogs::Shown &s : Dialogs::shown()) out << s.kind + QLatin1Char(':') + s.caption + QLatin1Char(':') + s.text;
    return out;
  }
  QStringList cell(int r) {
    const zv::MemberRow row = w->Rows().at(static_cast<size_t>(r - 1));
    return QStringList(row.begin(), row.end());
  }
};

TEST_F(CardWindowTest, NewCardStoredEndToEnd) {
  w->OpenCard(0, true, false);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Картотекиране на рег. картон"));
  EXPECT_TRUE(w->OK->isEnabled());
  EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("1"));
  EXPECT_EQ(w->FamilyCount->text(), QStringLiteral("0"));
  EXPECT_EQ(w->RowCount(), 1);
  EXPECT_EQ(cell(1), QStringList({QStringLiteral("Титуляр"), "", "", "", "", "", "", ""}));
  EXPECT_TRUE(w->HolderPending);
  EXPECT_FALSE(w->Modify->isEnabled());
  EXPECT_EQ(w->AddressHint->text(),
            QStringLiteral("* Не можете да впишете картон в картотеката при регистрация на адрес по-малко от 5 години"));

  member(QStringLiteral("Иван Иванов"), zv::kHolder, kHolderEgn);
  w->AddClick();
  EXPECT_EQ(w->RowCount(), 1);  // the placeholder took the holder
  EXPECT_FALSE(w->HolderPending);
  member(QStringLiteral("Петя Иванова"), zv::kChild, kChildEgn);
  w->cbSocGrupa->setCurrentIndex(5);
  w->AddClick();
  EXPECT_EQ(w->FamilyCount->text(), QStringLiteral("2"));
  EXPECT_EQ(w->FamilyKids->text(), QStringLiteral("1"));
  cardFields(QStringLiteral("ул. Роза 5"));
  w->doctxt->setText(QStringLiteral("ВХ-17"));
  w->ebCheck->setText(QStringLiteral("Проверяващ"));
  w->OKClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message::Данните са регистрирани успешно!")}));

  const QStringList card = committed(
      QStringLiteral("select CARD_ID, REG_NUM, GRUPA, GROUP1, GROUP2, STATUS, ADRESS, ADD_USER, HARD_LIFE, KIDS, "
                     "INCOME, DOC_IDTXT, POINTS, L_DATA, L_REASON, KART from RGS_CARD"));
  ASSERT_EQ(card.size(), 1);
  const QStringList c = card[0].split(QLatin1Char('|'));
  EXPECT_EQ(c.mid(1, 5), QStringList({"1", "1", "2", "0", "1"}));
  EXPECT_EQ(c[6].trimmed(), QStringLiteral("ул. Роза 5"));
  EXPECT_EQ(c[7].trimmed(), QStringLiteral("Default"));
  // Registered today: a single parent (+7) with one child (+3).
  EXPECT_EQ(c.mid(8, 5), QStringList({"0", "1", "0", "ВХ-17", "10"}));
  EXPECT_EQ(c.mid(13), QStringList({"0", "0", "0"}));
  EXPECT_EQ(committed(QStringLiteral("select CARD_ID, trim(NAME), EGN, PERSON_TYPE, SOCGRUPA, NOTES, INV_PROC from "
                                     "RGS_PERSON order by PERSON_ID")),
            QStringList({c[0] + QStringLiteral("|Иван Иванов|") + kHolderEgn + QStringLiteral("|0|0||"),
                         c[0] + QStringLiteral("|Петя Иванова|") + kChildEgn + QStringLiteral("|3|5||")}));
  EXPECT_EQ(committed(QStringLiteral("select N, COUNTER from NOM where N in (0, 1) order by N")),
            QStringList({"0|1", "1|1"}));
  EXPECT_EQ(committed(QStringLiteral("select U_NAME, TYPE_T, T_ID, T_TEXT from INF_LOG")),
            QStringList({QStringLiteral("Иван Петров|RGS_CARD|1|Създаване на картон с регистрационен номер 1")}));

  // Ready for the next card: a fresh number, the group and the checker kept.
  EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("2"));
  EXPECT_EQ(w->RowCount(), 1);
  EXPECT_TRUE(w->HolderPending);
  EXPECT_EQ(w->cbGroup->currentIndex(), 1);
  EXPECT_EQ(w->ebCheck->text(), QStringLiteral("Проверяващ"));
  EXPECT_EQ(w->ebAdress->text(), QString());

  // ... and the next card in a row is taken.
  Dialogs::clearShown();
  member(QStringLiteral("Мария Петрова"), zv::kHolder, kWifeEgn);
  w->AddClick();
  cardFields(QStringLiteral("ул. Липа 1"));
  w->OKClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message::Данните са регистрирани успешно!")}));
  EXPECT_EQ(committed(QStringLiteral("select REG_NUM from RGS_CARD order by REG_NUM")), QStringList({"1", "2"}));
  EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("3"));
}

TEST_F(CardWindowTest, NumberAlreadyUsedChangesNothing) {
  storeCard(1, {{QStringLiteral("Стар Титуляр"), 0, kAdultEgn}});
  for (const QString &number : {QStringLiteral("1"), QStringLiteral("12а"), QString()}) {
    Dialogs::clearShown();
    w->OpenCard(0, true, false);
    member(QStringLiteral("Иван Иванов"), zv::kHolder, kHolderEgn);
    w->AddClick();
    cardFields(QStringLiteral("ул. Роза 5"));
    w->ebRegNum->setText(number);
    const QStringList before = everything();
    w->OKClick();
    EXPECT_EQ(texts(),
              QStringList({QStringLiteral("message:Грешка при запис:Регистрационният номер е невалиден или вече съществува!")}))
        << number.toStdString();
    EXPECT_EQ(everything(), before) << number.toStdString();
    EXPECT_EQ(w->ebAdress->text(), QStringLiteral("ул. Роза 5"));
  }
}

TEST_F(CardWindowTest, CardCheckShowsTheLastFailingMessage) {
  w->OpenCard(0, true, false);
  w->ebIncome->setText(QStringLiteral("много"));
  w->OKClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message:Грешка при запис:Моля въведете семейство")}));
  EXPECT_TRUE(own(QStringLiteral("select * from RGS_CARD")).isEmpty());
  Dialogs::clearShown();
  member(QStringLiteral("Иван Иванов"), zv::kHolder, kHolderEgn);
  w->AddClick();
  cardFields(QStringLiteral("ул. Роза 5"));
  w->OKClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message:Грешка при запис:Моля, въведете валиден доход")}));
}

TEST_F(CardWindowTest, AddressWarningNeverStopsTheSave) {
  const QString warning = QStringLiteral(
      "warning:%1:Не можете да впишете картон в картотеката при регистрация на адрес по-малко от 5 години");
  struct Case {
    int status;
    bool warned;
  };
  for (const Case &c : {Case{1, true}, Case{0, false}}) {
    Dialogs::clearShown();
    w->OpenCard(0, true, false);
    member(QStringLiteral("Иван Иванов"), zv::kHolder, c.status ? kHolderEgn : kWifeEgn);
    w->AddClick();
    cardFields(QStringLiteral("ул. Роза 5"), c.status, kToday.addYears(-1));
    w->OKClick();
    const QStringList shown = texts();
    ASSERT_EQ(shown.size(), c.warned ? 2 : 1) << c.status;
    if (c.warned) {
      EXPECT_EQ(shown[0], warning.arg(Dialogs::shown()[0].caption));
    }
    EXPECT_EQ(shown.last(), QStringLiteral("message::Данните са регистрирани успешно!"));
  }
  EXPECT_EQ(committed(QStringLiteral("select REG_NUM, STATUS from RGS_CARD order by REG_NUM")),
            QStringList({"1|1", "2|0"}));
}

TEST_F(CardWindowTest, MemberTypeRulesInThePanel) {
  const QString invalidType = QStringLiteral("message:Грешка при добавяне:Моля въведете валиден тип");
  w->OpenCard(0, true, false);
  member(QStringLiteral("Петя"), zv::kChild, kChildEgn);
  w->AddClick();
  EXPECT_EQ(texts(), QStringList({invalidType}));
  EXPECT_EQ(cell(1)[zv::cellName], QString());
  EXPECT_TRUE(w->HolderPending);

  member(QStringLiteral("Иван"), zv::kHolder, kHolderEgn);
  w->AddClick();
  member(QStringLiteral("Георги"), zv::kHusband, kAdultEgn);
  w->AddClick();
  ASSERT_EQ(w->RowCount(), 2);
  struct Case {
    const char *what;
    QString type;
    bool change;
    int row;
    bool refused;
  };
  const Case cases[] = {
      {"wife beside a husband", zv::kWife, false, 1, true},
      {"second holder", zv::kHolder, false, 1, true},
      {"husband's row becomes wife", zv::kWife, true, 2, false},
      {"holder row becomes child", zv::kChild, true, 1, true},
  };
  for (const Case &c : cases) {
    Dialogs::clearShown();
    w->FamilyListSelectCell(c.row);
    const QStringList rowBefore = cell(c.row);
    // A change keeps the row's own number; an addition brings a new one.
    member(QStringLiteral("Име"), c.type, c.change ? cell(c.row)[zv::cellEgn] : kChild2Egn);
    if (c.change)
      w->ModifyClick();
    else
      w->AddClick();
    EXPECT_EQ(texts(), c.refused ? QStringList({invalidType}) : QStringList()) << c.what;
    EXPECT_EQ(w->RowCount(), 2) << c.what;
    if (c.refused) {
      EXPECT_EQ(cell(c.row), rowBefore) << c.what;
    }
  }
  EXPECT_EQ(cell(2)[zv::cellType], zv::kWife);
}

TEST_F(CardWindowTest, DuplicateNumberInTheCardAndInTheRegister) {
  storeCard(7, {{QStringLiteral("Стар Титуляр"), 0, kAdultEgn}});
  const QString duplicate = QStringLiteral("message:Грешка при добавяне:Дублиращо ЕГН");
  w->OpenCard(0, true, false);
  member(QStringLiteral("Иван"), zv::kHolder, kAdultEgn);
  w->AddClick();
  EXPECT_EQ(texts(), QStringList({duplicate}));
  EXPECT_TRUE(w->HolderPending);

  Dialogs::clearShown();
  member(QStringLiteral("Иван"), zv::kHolder, kHolderEgn);
  w->AddClick();
  member(QStringLiteral("Петя"), zv::kChild, kHolderEgn);
  w->AddClick();
  EXPECT_EQ(texts(), QStringList({duplicate}));
  EXPECT_EQ(w->RowCount(), 1);

  // Whatever is typed as the number reaches the register as a value.
  Dialogs::clearShown();
  member(QStringLiteral("Петя"), zv::kChild, QStringLiteral("0' or ''='"));
  w->AddClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message:Грешка при добавяне:Моля въведете валидно ЕГН")}));
  EXPECT_FALSE(zv::EgnIsStored(QStringLiteral("1' or '1'='1")));
  EXPECT_TRUE(zv::EgnIsStored(kAdultEgn));
}

TEST_F(CardWindowTest, ReadOnlyOpeningStoresNothing) {
  const int id = storeCard(5, {{QStringLiteral("Иван Иванов"), 0, kHolderEgn}, {QStringLiteral("Петя"), 3, kChildEgn}});
  fb::execute(dm->Database, dm->Transaction,
              QStringLiteral("update RGS_CARD set NOTES = ?, L_CONDITIONS = 'влажно' where CARD_ID = ?"),
              {QStringLiteral("ред 1\r\nред 2"), id});
  dm->Transaction.commit();
  openStored(5, false);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Разглеждане/промяна на рег.картон"));
  EXPECT_FALSE(w->OK->isEnabled());
  EXPECT_FALSE(w->DBNavigator1->isHidden());
  EXPECT_FALSE(w->Load->isHidden());
  EXPECT_EQ(w->CardId, id);
  EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("5"));
  EXPECT_EQ(w->ebAdress->text(), QStringLiteral("ул. Стара 5"));
  EXPECT_EQ(w->ebLCond->text(), QStringLiteral("влажно"));
  EXPECT_EQ(w->mNotes->toPlainText(), QStringLiteral("ред 1\nред 2"));
  EXPECT_EQ(w->cbGroup->currentIndex(), 1);
  EXPECT_EQ(w->ebIncome->text(), QStringLiteral("0"));
  EXPECT_EQ(w->AddDate->date(), QDate(2015, 2, 1));
  EXPECT_EQ(w->FamilyCount->text(), QStringLiteral("2"));
  EXPECT_EQ(w->FamilyKids->text(), QStringLiteral("1"));
  EXPECT_EQ(cell(2), QStringList({QStringLiteral("Дете"), QStringLiteral("Петя"), kChildEgn,
                                  w->cbSocGrupa->itemText(0), "", "", "", ""}));
  EXPECT_FALSE(w->Modified);

  const QStringList before = everything();
  w->ebAdress->setText(QStringLiteral("друг адрес"));
  w->FamilyListSelectCell(2);
  w->DeleteClick();
  w->CancelClick();
  EXPECT_TRUE(texts().isEmpty());  // no question on a read-only card
  EXPECT_EQ(everything(), before);

  // The same window then registers a new card.
  w->OpenCard(0, true, false);
  EXPECT_TRUE(w->OK->isEnabled());
}

TEST_F(CardWindowTest, ModalOpeningShowsTheCardAndClosingAsks) {
  storeCard(4, {{QStringLiteral("Анна"), 0, kHolderEgn}});
  listAll();
  QString shownNumber;
  QTimer::singleShot(0, w.get(), [this, &shownNumber] {
    shownNumber = w->ebRegNum->text();
    w->ebAdress->setText(QStringLiteral("ул. Нова 4"));
    Dialogs::queueAnswer(false);
    w->CancelClick();
  });
  w->OpenCard(1, true);
  EXPECT_EQ(shownNumber, QStringLiteral("4"));
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(texts(), QStringList({QStringLiteral("ask:Потвърждение:Искате ли да запазите промените върху картона")}));
  EXPECT_EQ(committed(QStringLiteral("select trim(ADRESS) from RGS_CARD")), QStringList({QStringLiteral("ул. Стара 4")}));
}

TEST_F(CardWindowTest, RemovalPairsRowsWithStoredMembersByPosition) {
  const int id = storeCard(3, {{QStringLiteral("Анна"), 0, kHolderEgn},
                               {QStringLiteral("Борис"), 1, kWifeEgn},
                               {QStringLiteral("Виктор"), 3, kChildEgn}});
  const QStringList ids = own(QStringLiteral("select PERSON_ID from RGS_PERSON order by PERSON_ID"));
  openStored(3, true);
  w->FamilyListSelectCell(2);
  w->DeleteClick();
  EXPECT_TRUE(w->Modified);
  w->OKClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message::Данните са актуализирани успешно!")}));
  EXPECT_FALSE(w->Modified);
  EXPECT_EQ(committed(QStringLiteral("select PERSON_ID, CARD_ID, trim(NAME), EGN, PERSON_TYPE from RGS_PERSON "
                                     "order by PERSON_ID")),
            QStringList({ids[0] + QStringLiteral("|%1|Анна|").arg(id) + kHolderEgn + QStringLiteral("|0"),
                         ids[1] + QStringLiteral("|%1|Виктор|").arg(id) + kChildEgn + QStringLiteral("|3")}));
  EXPECT_EQ(committed(QStringLiteral("select KIDS from RGS_CARD")), QStringList({"1"}));
  EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("3"));  // the card stays on screen
}

TEST_F(CardWindowTest, FailedSaveIsRolledBackWhole) {
  w->OpenCard(0, true, false);
  member(QStringLiteral("Иван Иванов"), zv::kHolder, kHolderEgn);
  w->AddClick();
  const QString tooLong(120, QChar(u'Я'));  // NAME holds 100 characters: the server refuses the member
  // The box takes no more than the column; a row this long comes only from
  // elsewhere, and the server's refusal must still take back the whole save.
  w->FirstName->setMaxLength(32767);
  member(tooLong, zv::kOther, kAdultEgn);
  w->AddClick();
  cardFields(QStringLiteral("ул. Роза 5"));
  const QStringList before = everything();
  w->OKClick();
  const QList<Dialogs::Shown> shown = boxes();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0].icon, Dialogs::Icon::Error);
  EXPECT_TRUE(shown[0].text.contains(QStringLiteral("truncation"))) << shown[0].text.toStdString();
  EXPECT_EQ(everything(), before);
  EXPECT_EQ(w->RowCount(), 2);
  EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("1"));
  EXPECT_EQ(w->ebAdress->text(), QStringLiteral("ул. Роза 5"));

  // A changed stored card: the card row goes back with the member.
  storeCard(2, {{QStringLiteral("Анна"), 0, kWifeEgn}});
  openStored(2, true);
  w->ebAdress->setText(QStringLiteral("нов адрес"));
  member(tooLong, zv::kOther, kChild2Egn);
  w->AddClick();
  const QStringList stored = everything();
  Dialogs::clearShown();
  w->OKClick();
  EXPECT_EQ(boxes().size(), 1);
  EXPECT_EQ(everything(), stored);
  EXPECT_TRUE(w->Modified);  // a failed save leaves the card changed
}

TEST_F(CardWindowTest, ChangedCardIsOfferedForStoringBeforeItIsReplaced) {
  storeCard(1, {{QStringLiteral("Анна"), 0, kHolderEgn}});
  storeCard(2, {{QStringLiteral("Борис"), 0, kWifeEgn}});
  const QString question = QStringLiteral("ask:Потвърждение:Искате ли да запазите промените върху картона");
  openStored(1, true);

  // Navigator, answered No: the edit is dropped.
  w->ebAdress->setText(QStringLiteral("ул. Нова 1"));
  EXPECT_TRUE(w->Modified);
  Dialogs::queueAnswer(false);
  w->DBNavigator1Click(TViewKart::nbtNext);
  EXPECT_EQ(texts(), QStringList({question}));
  EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("2"));
  EXPECT_FALSE(w->Modified);

  // "Зареждане", answered Yes: stored under its own number, then replaced.
  Dialogs::clearShown();
  w->ebAdress->setText(QStringLiteral("ул. Нова 2"));
  w->ebRegNum->setText(QStringLiteral("1"));
  Dialogs::queueAnswer(true);
  w->LoadClick();
  EXPECT_EQ(texts(), QStringList({question, QStringLiteral("message::Данните са актуализирани успешно!")}));
  EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("1"));

  // Closing, answered Yes.
  Dialogs::clearShown();
  w->dek_id->setText(QStringLiteral("Д-44"));
  Dialogs::queueAnswer(true);
  w->CancelClick();
  EXPECT_EQ(texts(), QStringList({question, QStringLiteral("message::Данните са актуализирани успешно!")}));
  EXPECT_EQ(committed(QStringLiteral("select REG_NUM, trim(ADRESS), LASTDEK_ID from RGS_CARD order by REG_NUM")),
            QStringList({QStringLiteral("1|ул. Стара 1|Д-44"), QStringLiteral("2|ул. Нова 2|")}));

  // An unchanged card closes without a question; a number not listed is refused.
  openStored(2, true);
  Dialogs::clearShown();
  w->ebRegNum->setText(QStringLiteral("99"));
  w->LoadClick();
  EXPECT_EQ(texts(),
            QStringList({QStringLiteral("message:Грешка:Не същетсвува запис с този регистрационен номер")}));
  EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("2"));
  Dialogs::clearShown();
  w->CancelClick();
  EXPECT_TRUE(texts().isEmpty());
}

TEST_F(CardWindowTest, HardLifeFollowsTheBoxBothWays) {
  struct Case {
    int group2;
    bool ticked;
    QString stored;
  };
  int number = 0;
  for (const Case &c : {Case{0, false, "0"}, Case{5, false, "1"}, Case{0, true, "1"}}) {
    ++number;
    const int id = storeCard(number, {{QStringLiteral("Анна"), 0, egnOf(1980, 1, number, 10)}}, 1, c.group2);
    openStored(number, true);
    EXPECT_TRUE(w->HardLife->isChecked());
    w->HardLife->setChecked(c.ticked);
    w->OKClick();
    EXPECT_EQ(committed(QStringLiteral("select HARD_LIFE from RGS_CARD where CARD_ID = %1").arg(id)),
              QStringList({c.stored}))
        << c.group2 << c.ticked;
  }
}

TEST_F(CardWindowTest, DisabilityCellsTakeDigitsOnly) {
  w->OpenCard(0, true, false);
  member(QStringLiteral("Иван"), zv::kHolder, kHolderEgn);
  w->AddClick();
  const QDate until(2026, 1, 31);
  const QStringList given{QStringLiteral("50"), QStringLiteral("31.01.2026"), QStringLiteral("1234")};
  struct Case {
    const char *what;
    QString percent, decision;
    QStringList cells;
  };
  const Case cases[] = {
      {"digits", "60", "777", {QStringLiteral("60"), QStringLiteral("31.01.2026"), QStringLiteral("777")}},
      {"decision not digits", "50", "12/34", {"", "", ""}},
      {"percent not digits", "50%", "99", given},
      {"empty boxes", "", "", given},
      {"decision only", "", "99", given},
  };
  for (const Case &c : cases) {
    // The row first holds disability data.
    w->FamilyListSelectCell(1);
    member(QStringLiteral("Иван"), zv::kHolder, kHolderEgn);
    w->proc_inv->setText(given[0]);
    w->re6_telk->setText(given[2]);
    w->val_do->setDate(until);
    w->ModifyClick();
    ASSERT_EQ(cell(1).mid(5), given);
    w->FamilyListSelectCell(1);
    EXPECT_EQ(w->FirstName->text(), QStringLiteral("Иван")) << c.what;
    w->proc_inv->setText(c.percent);
    w->re6_telk->setText(c.decision);
    w->val_do->setDate(until);
    w->ModifyClick();
    EXPECT_EQ(cell(1).mid(5), c.cells) << c.what;
    EXPECT_EQ(w->proc_inv->text(), QString()) << c.what;
  }

  // "Пожизнена": 3000 years from today, for as long as it is ticked.
  w->pojiz->setChecked(true);
  EXPECT_FALSE(w->val_do->isEnabled());
  EXPECT_EQ(w->val_do->date(), QDate(5024, 6, 15));
  member(QStringLiteral("Петя"), zv::kChild, kChildEgn);
  w->proc_inv->setText(QStringLiteral("80"));
  w->re6_telk->setText(QStringLiteral("55"));
  w->AddClick();
  EXPECT_EQ(cell(2).mid(5), QStringList({"80", "15.06.5024", "55"}));
  EXPECT_FALSE(w->pojiz->isChecked());
  EXPECT_TRUE(w->val_do->isEnabled());
  EXPECT_EQ(w->val_do->date(), kToday);

  // A member added after a removal starts without disability data.
  w->FamilyListSelectCell(2);
  w->DeleteClick();
  member(QStringLiteral("Мария"), zv::kWife, kWifeEgn);
  w->AddClick();
  EXPECT_EQ(cell(2).mid(5), QStringList({"", "", ""}));
}

TEST_F(CardWindowTest, HolderExchangeAndRemoval) {
  w->OpenCard(0, true, false);
  member(QStringLiteral("Иван"), zv::kHolder, kHolderEgn);
  w->AddClick();
  EXPECT_FALSE(w->Delete->isEnabled());
  member(QStringLiteral("Мария"), zv::kWife, kWifeEgn);
  w->AddClick();
  EXPECT_TRUE(w->Delete->isEnabled());
  member(QStringLiteral("Петя"), zv::kChild, kChildEgn);
  w->AddClick();
  ASSERT_EQ(w->RowCount(), 3);

  // After an add the next selection leaves the panel as it is.
  w->FamilyListSelectCell(2);
  EXPECT_EQ(w->FirstName->text(), QString());
  EXPECT_FALSE(w->gbFamilyMember->isHidden());
  w->FamilyListSelectCell(2);
  EXPECT_EQ(w->FirstName->text(), QStringLiteral("Мария"));
  EXPECT_EQ(w->PersonType->currentText(), zv::kWife);

  Dialogs::clearShown();
  w->FamilyListSelectCell(1);
  w->DeleteClick();
  EXPECT_EQ(texts(),
            QStringList({QStringLiteral("message:Грешка при премахването:Не е възможно да бъде изтрит титуляра")}));
  EXPECT_EQ(w->RowCount(), 3);

  w->FamilyListSelectCell(3);
  w->Button1Click();
  EXPECT_EQ(cell(1).mid(0, 3), QStringList({zv::kHolder, QStringLiteral("Петя"), kChildEgn}));
  EXPECT_EQ(cell(3).mid(0, 3), QStringList({zv::kOther, QStringLiteral("Иван"), kHolderEgn}));
  EXPECT_EQ(w->FamilyKids->text(), QStringLiteral("1"));  // counted again at the next change
  w->FamilyListSelectCell(2);
  w->Button1Click();
  EXPECT_EQ(cell(1).mid(0, 2), QStringList({zv::kHolder, QStringLiteral("Мария")}));
  EXPECT_EQ(cell(2).mid(0, 2), QStringList({zv::kHusband, QStringLiteral("Петя")}));

  w->FamilyListSelectCell(3);
  w->DeleteClick();
  EXPECT_EQ(w->RowCount(), 2);
  EXPECT_TRUE(w->Delete->isEnabled());
  EXPECT_EQ(w->FamilyCount->text(), QStringLiteral("2"));
  w->FamilyListSelectCell(2);
  w->DeleteClick();
  EXPECT_EQ(w->RowCount(), 1);
  EXPECT_FALSE(w->Delete->isEnabled());
}

TEST_F(CardWindowTest, ChangeWithNoRowToChangeLosesNothing) {
  // The card is listed; its members are gone before it is opened (removed
  // at another workstation).
  const int id = storeCard(6, {{QStringLiteral("Стар"), 0, kAdultEgn}});
  fb::execute(dm->Database, dm->Transaction, QStringLiteral("delete from RGS_PERSON where CARD_ID = ?"), {id});
  dm->Transaction.commit();
  ASSERT_EQ(dm->MainQuery.fieldByName(QStringLiteral("CARD_ID")).asInteger(), id);
  w->OpenCard(1, true, false);
  // A stored card without members offers the holder row a new card has.
  EXPECT_EQ(cell(1), QStringList({zv::kHolder, "", "", "", "", "", "", ""}));
  EXPECT_EQ(w->FamilyCount->text(), QStringLiteral("0"));

  // Yes to the question before leaving goes through the card check: a card
  // without members is not stored, and stays on screen.
  w->ebAdress->setText(QStringLiteral("ул. Нова 6"));
  Dialogs::queueAnswer(true);
  w->DBNavigator1Click(TViewKart::nbtFirst);
  EXPECT_EQ(texts(), QStringList({QStringLiteral("ask:Потвърждение:Искате ли да запазите промените върху картона"),
                                  QStringLiteral("message:Грешка при запис:Моля въведете семейство")}));
  EXPECT_TRUE(committed(QStringLiteral("select * from RGS_PERSON")).isEmpty());
  EXPECT_EQ(committed(QStringLiteral("select trim(ADRESS) from RGS_CARD")), QStringList({QStringLiteral("ул. Стара 6")}));
  EXPECT_EQ(w->ebAdress->text(), QStringLiteral("ул. Нова 6"));

  // "Промяна" takes the first member as the holder, and only as the holder.
  Dialogs::clearShown();
  member(QStringLiteral("Петя"), zv::kChild, kChildEgn);
  w->ModifyClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message:Грешка при добавяне:Моля въведете валиден тип")}));
  EXPECT_EQ(w->FirstName->text(), QStringLiteral("Петя"));
  Dialogs::clearShown();
  member(QStringLiteral("Иван Иванов"), zv::kHolder, kHolderEgn);
  w->ModifyClick();
  EXPECT_TRUE(texts().isEmpty());
  EXPECT_EQ(cell(1).mid(0, 3), QStringList({zv::kHolder, QStringLiteral("Иван Иванов"), kHolderEgn}));
  EXPECT_EQ(w->FamilyCount->text(), QStringLiteral("1"));

  // With rows but none selected, "Промяна" adds what was typed.
  {
    const QSignalBlocker quiet(w->FamilyList);
    w->FamilyList->setCurrentCell(-1, -1);
  }
  member(QStringLiteral("Петя"), zv::kChild, kChildEgn);
  w->ModifyClick();
  ASSERT_EQ(w->RowCount(), 2);
  EXPECT_EQ(cell(1)[zv::cellName], QStringLiteral("Иван Иванов"));
  EXPECT_EQ(cell(2).mid(0, 3), QStringList({zv::kChild, QStringLiteral("Петя"), kChildEgn}));
  w->OKClick();
  EXPECT_EQ(committed(QStringLiteral("select trim(NAME), PERSON_TYPE from RGS_PERSON order by PERSON_ID")),
            QStringList({QStringLiteral("Иван Иванов|0"), QStringLiteral("Петя|3")}));
}

TEST_F(CardWindowTest, EachNewCardOpeningStartsClean) {
  const int id = storeCard(8, {{QStringLiteral("Анна"), 0, kHolderEgn}, {QStringLiteral("Петя"), 3, kChildEgn},
                               {QStringLiteral("Вики"), 3, kChild2Egn}});
  fb::execute(dm->Database, dm->Transaction,
              QStringLiteral("update RGS_CARD set DOC_IDTXT = 'ВХ-8', CHECK_NAME = 'Проверяващ', CHECK_DATE = "
                             "'01.03.2020', PROT_ID = 4, PROT_DATE = '02.03.2020' where CARD_ID = ?"),
              {id});
  dm->Transaction.commit();
  openStored(8, false);
  w->FamilyListSelectCell(2);
  w->PersonNotes->setText(QStringLiteral("бележка на Петя"));
  ASSERT_EQ(w->FamilyKids->text(), QStringLiteral("2"));
  w->CancelClick();

  w->OpenCard(0, true, false);
  EXPECT_EQ(w->doctxt->text(), QString());
  EXPECT_EQ(w->ebCheck->text(), QString());
  for (const QDateEdit *d : {w->dtAdress, w->protDate, w->dtCheck, w->AddDate}) EXPECT_EQ(d->date(), kToday);
  EXPECT_EQ(w->FamilyKids->text(), QStringLiteral("0"));
  EXPECT_EQ(w->PersonNotes->text(), QString());
  EXPECT_EQ(w->cbGroup->currentIndex(), -1);

  // Within one opening the next card takes over what the clerk set.
  member(QStringLiteral("Иван"), zv::kHolder, kWifeEgn);
  w->AddClick();
  member(QStringLiteral("Дете"), zv::kChild, egnOf(2016, 1, 1, 5));
  w->AddClick();
  cardFields(QStringLiteral("ул. Роза 5"));
  w->doctxt->setText(QStringLiteral("ВХ-9"));
  w->dtCheck->setDate(QDate(2024, 5, 1));
  w->OKClick();
  EXPECT_EQ(w->doctxt->text(), QStringLiteral("ВХ-9"));
  EXPECT_EQ(w->dtCheck->date(), QDate(2024, 5, 1));
  EXPECT_EQ(w->cbGroup->currentIndex(), 1);
  EXPECT_EQ(w->FamilyCount->text(), QStringLiteral("0"));
  EXPECT_EQ(w->FamilyKids->text(), QStringLiteral("0"));
}

TEST(CardRules, UnwritableCharacters) {
  struct Case {
    QString text;
    QString ch;
    int position;
  };
  const Case cases[] = {
      {QStringLiteral("Иван № 5, ул. „Роза“ – 10 € \u00a0"), QString(), 0},  // all in Windows-1251
      {QStringLiteral("Иван \u0395вов"), QStringLiteral("\u0395"), 6},           // Greek capital epsilon
      {QStringLiteral("Пе😀тър 😀"), QStringLiteral("😀"), 3},                  // outside the basic plane
      {QStringLiteral("ok\u4e2d"), QStringLiteral("\u4e2d"), 3},
  };
  for (const Case &c : cases) {
    const std::optional<zv::UnwritableChar> bad = zv::FirstUnwritableChar(c.text);
    ASSERT_EQ(bad.has_value(), c.position != 0) << c.text.toStdString();
    if (bad) {
      EXPECT_EQ(bad->ch, c.ch);
      EXPECT_EQ(bad->position, c.position);
      EXPECT_EQ(c.text.mid(bad->offset, bad->ch.size()), c.ch);
    }
  }
  EXPECT_EQ(zv::UnwritableFieldMessage(QStringLiteral("Име"), QStringLiteral("\u0395ва")),
            QStringLiteral("Полето \"Име\" съдържа знак, който не може да бъде записан: \"\u0395\" (на позиция 1)"));
  EXPECT_EQ(zv::UnwritableFieldMessage(QStringLiteral("Име"), QStringLiteral("Ева")), std::nullopt);
}

TEST_F(CardWindowTest, UnwritableTextIsRefusedWhereItIsTyped) {
  const QString greekE = QStringLiteral("\u0395");  // looks like the Cyrillic Е
  w->OpenCard(0, true, false);
  member(greekE + QStringLiteral("вгени Иванов"), zv::kHolder, kHolderEgn);
  w->AddClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message:Грешка при добавяне:Полето \"Име\" съдържа знак, който не "
                                                 "може да бъде записан: \"") + greekE + QStringLiteral("\" (на позиция 1)")}));
  EXPECT_TRUE(w->HolderPending);
  EXPECT_EQ(cell(1)[zv::cellName], QString());
  EXPECT_EQ(w->FirstName->text(), greekE + QStringLiteral("вгени Иванов"));  // kept, the character selected
  EXPECT_EQ(w->FirstName->selectedText(), greekE);

  Dialogs::clearShown();
  member(QStringLiteral("Евгени Иванов"), zv::kHolder, kHolderEgn);
  w->PersonNotes->setText(QStringLiteral("вижте 😀"));
  w->AddClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message:Грешка при добавяне:Полето \"Допълнителни бележки\" съдържа "
                                                 "знак, който не може да бъде записан: \"😀\" (на позиция 7)")}));
  w->PersonNotes->setText(QStringLiteral("вижте"));
  Dialogs::clearShown();
  w->AddClick();
  ASSERT_TRUE(texts().isEmpty());

  // At "Запис": the field named, its tab shown, nothing stored.
  cardFields(QStringLiteral("ул. Роза 5"));
  w->ebAssets->setText(QStringLiteral("къща в Ολυμπος"));
  const QStringList before = everything();
  w->OKClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message:Грешка при запис:Полето \"Друго имущество\" съдържа знак, "
                                                 "който не може да бъде записан: \"Ο\" (на позиция 8)")}));
  EXPECT_EQ(everything(), before);
  EXPECT_EQ(w->PageControl1->currentIndex(), 1);
  EXPECT_EQ(w->ebAssets->text(), QStringLiteral("къща в Ολυμπος"));

  // A stored card closed with Yes is refused the same way.
  storeCard(3, {{QStringLiteral("Анна"), 0, kWifeEgn}});
  openStored(3, true);
  w->mNotes->setPlainText(QStringLiteral("ред\nα"));
  const QStringList stored = everything();
  Dialogs::clearShown();
  Dialogs::queueAnswer(true);
  w->CancelClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("ask:Потвърждение:Искате ли да запазите промените върху картона"),
                                  QStringLiteral("message:Грешка при запис:Полето \"Бележки\" съдържа знак, който не "
                                                 "може да бъде записан: \"α\" (на позиция 5)")}));
  EXPECT_EQ(everything(), stored);
}

// The window as it is shown: Tab from field to field, calendars on the
// dates, texts that read whole.
class ShownCardWindowTest : public CardWindowTest {
 protected:
  void showWindow() {
    w->show();
    QApplication::setActiveWindow(w.get());
    QApplication::processEvents();
  }
  // The fields Tab (or Shift+Tab) visits from the focused one, by name.
  QStringList walk(int steps, Qt::KeyboardModifiers mods = Qt::NoModifier) {
    QStringList seen;
    for (int i = 0; i < steps; ++i) {
      QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, mods);
      QWidget *f = QApplication::focusWidget();
      seen << (f ? f->objectName() : QStringLiteral("<none>"));
    }
    return seen;
  }
};

TEST_F(ShownCardWindowTest, TabGoesFromFieldToField) {
  for (const QDateEdit *d : w->findChildren<QDateEdit *>()) {
    EXPECT_TRUE(d->calendarPopup()) << d->objectName().toStdString();
    EXPECT_EQ(d->displayFormat(), QStringLiteral("dd.MM.yyyy")) << d->objectName().toStdString();
  }
  w->OpenCard(0, true, false);
  showWindow();
  w->ebRegNum->setFocus();
  EXPECT_EQ(walk(19), QStringList({"AddDate", "doctxt", "qt_tabwidget_tabbar", "FamilyList", "Show", "Button1",
                                   "cbGroup", "dtGrupaDate", "cbsubGroup", "HardLife", "cbStatus", "ebGot",
                                   "dtCheck", "ebCheck", "ebAdress", "dtAdress", "OK", "Cancel", "ebRegNum"}));
  // A date box is left at once, in both directions, its date untouched.
  w->dtCheck->setFocus();
  EXPECT_EQ(walk(2, Qt::ShiftModifier), QStringList({"ebGot", "cbStatus"}));
  w->AddDate->setFocus();
  EXPECT_EQ(walk(1, Qt::ShiftModifier), QStringList({"ebRegNum"}));
  EXPECT_EQ(w->AddDate->date(), kToday);

  // The member panel and the other tab, when shown.
  w->ShowClick();
  w->FirstName->setFocus();
  EXPECT_EQ(walk(12), QStringList({"PersonType", "PersonEGN", "bLBD", "cbSocGrupa", "PersonNotes", "proc_inv",
                                   "val_do", "pojiz", "re6_telk", "Add", "cbGroup", "dtGrupaDate"}));
  w->PageControl1->setCurrentIndex(1);
  w->cbLData->setFocus();
  EXPECT_EQ(walk(13), QStringList({"ebLCond", "cbLReason", "ebIncome", "cbKart", "ebDeals", "ebAssets", "dek_id",
                                   "dek_dat", "pr", "protDate", "mNotes", "OK", "Cancel"}));
}

TEST_F(ShownCardWindowTest, TextsReadWhole) {
  const QString address =
      QStringLiteral("гр. Пловдив, ж.к. Тракия, бл. 154, вх. Б, ет. 7, ап. 42, ул. Александър Стамболийски 123");
  const int id = storeCard(9, {{QStringLiteral("Иван Георгиев Иванов"), 0, kHolderEgn},
                               {QStringLiteral("Мария Петрова Иванова"), 2, kWifeEgn}});
  fb::execute(dm->Database, dm->Transaction,
              QStringLiteral("update RGS_CARD set ADRESS = ? where CARD_ID = ?"), {address, id});
  fb::execute(dm->Database, dm->Transaction,
              QStringLiteral("update RGS_PERSON set INV_PROC = 100, INV_DATE = '15.06.5024', TELK_NUM = '1234' "
                             "where EGN = ?"),
              {kWifeEgn});
  dm->Transaction.commit();
  openStored(9, true);
  showWindow();

  // The address from its start, in a box that holds a street address.
  EXPECT_EQ(w->ebAdress->text(), address);
  EXPECT_EQ(w->ebAdress->cursorPosition(), 0);
  EXPECT_GE(w->ebAdress->width(), w->ebAdress->fontMetrics().horizontalAdvance(address.left(60)));

  // Group and subgroup texts whole in their boxes.
  w->cbGroup->setCurrentIndex(1);
  for (const QComboBox *c : {w->cbGroup, w->cbsubGroup, w->cbStatus}) {
    int widest = 0;
    for (int i = 0; i < c->count(); ++i)
      widest = qMax(widest, c->fontMetrics().horizontalAdvance(c->itemText(i).trimmed()));
    EXPECT_GE(c->width(), widest + 20) << c->objectName().toStdString();
  }

  // Every member column in sight, its heading on two lines at most, the
  // dates under it whole.
  QTableWidget *list = w->FamilyList;
  EXPECT_EQ(list->horizontalScrollBar()->maximum(), 0);
  QFont bold = list->horizontalHeader()->font();
  bold.setBold(true);
  const QFontMetrics hm(bold);
  for (int c = 0; c < list->columnCount(); ++c) {
    const QString heading = list->horizontalHeaderItem(c)->text();
    const QRect need = hm.boundingRect(QRect(0, 0, list->columnWidth(c) - 8, 1000), Qt::TextWordWrap, heading);
    EXPECT_LE(need.height(), 2 * hm.lineSpacing()) << heading.toStdString();
    EXPECT_LE(need.width(), list->columnWidth(c) - 8) << heading.toStdString();
  }
  EXPECT_GE(list->horizontalHeader()->height(), 2 * hm.lineSpacing());
  EXPECT_EQ(cell(2)[zv::cellInvDate], QStringLiteral("15.06.5024"));
  EXPECT_GE(list->columnWidth(zv::cellInvDate), list->fontMetrics().horizontalAdvance(QStringLiteral("15.06.5024")) + 8);

  // The member panel shows its disability boxes within the window.
  w->FamilyListSelectCell(2);
  QApplication::processEvents();
  for (QWidget *box : std::initializer_list<QWidget *>{w->proc_inv, w->val_do, w->pojiz, w->re6_telk}) {
    const QRect at(box->mapTo(w->gbFamilyMember, QPoint(0, 0)), box->size());
    EXPECT_TRUE(w->gbFamilyMember->rect().contains(at)) << box->objectName().toStdString();
    EXPECT_GE(box->width(), box->minimumSizeHint().width()) << box->objectName().toStdString();
  }
  EXPECT_LE(w->gbFamilyMember->minimumSizeHint().width(), w->gbFamilyMember->width());
}


// Enter on a focused button presses that button; only "Запис" stores.
TEST_F(ShownCardWindowTest, EnterPressesTheFocusedButtonOnly) {
  const auto pressEnter = [](QWidget *button) {
    button->setFocus();
    ASSERT_EQ(QApplication::focusWidget(), button) << button->objectName().toStdString();
    QTest::keyClick(button, Qt::Key_Return);
  };
  // A new card whose check would pass: Enter on "Прибавяне" only adds.
  w->OpenCard(0, true, false);
  showWindow();
  w->ShowClick();
  cardFields(QStringLiteral("ул. Роза 5"));
  member(QStringLiteral("Иван Иванов"), zv::kHolder, kHolderEgn);
  pressEnter(w->Add);
  member(QStringLiteral("Петя Иванова"), zv::kChild, kChildEgn);
  pressEnter(w->Add);
  EXPECT_TRUE(texts().isEmpty());
  EXPECT_EQ(w->RowCount(), 2);
  EXPECT_EQ(cell(2)[zv::cellName], QStringLiteral("Петя Иванова"));
  EXPECT_TRUE(own(QStringLiteral("select * from RGS_CARD")).isEmpty());

  storeCard(1, {{QStringLiteral("Анна"), 0, kAdultEgn}});
  storeCard(2, {{QStringLiteral("Борис"), 0, kWifeEgn}, {QStringLiteral("Вики"), 3, kChild2Egn}});
  storeCard(3, {{QStringLiteral("Галя"), 0, egnOf(1970, 4, 4, 44)}});
  const QString updated = QStringLiteral("message::Данните са актуализирани успешно!");
  struct Case {
    const char *what;
    QWidget *button;
    std::function<void()> arrange;
    std::function<void()> check;
    QStringList shown{};  // the boxes the press shows
  };
  const Case cases[] = {
      {"Зареждане", w->Load, [&] { w->ebRegNum->setText(QStringLiteral("3")); },
       [&] { EXPECT_EQ(w->ebAdress->text(), QStringLiteral("ул. Стара 3")); }},
      {"Скрий / Покажи", w->Show, [] {}, [&] { EXPECT_FALSE(w->gbFamilyMember->isHidden()); }},
      {"Промени избрания на титуляр", w->Button1, [&] { w->FamilyListSelectCell(2); },
       [&] { EXPECT_EQ(cell(1)[zv::cellName], QStringLiteral("Вики")); }},
      {"Провека в ЛБД ...", w->bLBD, [&] { w->FamilyListSelectCell(2); }, [] {},
       {QStringLiteral("message:") + QCoreApplication::applicationName() + QStringLiteral(":НЯМА ВРЪЗКА С ЛБД!")}},
      {"Промяна", w->Modify,
       [&] {
         w->FamilyListSelectCell(2);
         w->FirstName->setText(QStringLiteral("Виктория"));
       },
       [&] { EXPECT_EQ(cell(2)[zv::cellName], QStringLiteral("Виктория")); }},
      {"Прибавяне", w->Add,
       [&] {
         w->ShowClick();
         member(QStringLiteral("Дора"), zv::kOther, kChildEgn);
       },
       [&] { EXPECT_EQ(w->RowCount(), 3); }},
      {"Премахване", w->Delete, [&] { w->FamilyListSelectCell(2); }, [&] { EXPECT_EQ(w->RowCount(), 1); }},
      {"Добави", w->add_note,
       [&] {
         w->PageControl1->setCurrentIndex(1);
         w->note_txt->setText(QStringLiteral("посетен"));
       },
       [&] { EXPECT_TRUE(w->mNotes->toPlainText().contains(QStringLiteral("посетен"))); }},
      {"first", w->nbFirst, [] {}, [&] { EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("1")); }},
      {"prior", w->nbPrior, [] {}, [&] { EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("1")); }},
      {"next", w->nbNext, [] {}, [&] { EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("3")); }},
      {"last", w->nbLast, [] {}, [&] { EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("3")); }},
      {"Изход", w->Cancel, [] {}, [&] { EXPECT_FALSE(w->isVisible()); }},
      {"Запис", w->OK, [&] { w->ebAdress->setText(QStringLiteral("ул. Нова 2")); },
       [&] {
         EXPECT_EQ(committed(QStringLiteral("select trim(ADRESS) from RGS_CARD where REG_NUM = 2")),
                   QStringList({QStringLiteral("ул. Нова 2")}));
       },
       {updated}},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    openStored(2, true);
    showWindow();
    c.arrange();
    const QStringList before = everything();
    Dialogs::clearShown();
    pressEnter(c.button);
    EXPECT_EQ(texts(), c.shown);
    c.check();
    if (c.shown != QStringList({updated})) {
      EXPECT_EQ(everything(), before);
    }
  }
}

TEST_F(ShownCardWindowTest, AfterAnAddOrAChangeTheNameBoxHasTheFocus) {
  w->OpenCard(0, true, false);
  showWindow();
  w->ShowClick();
  member(QStringLiteral("Иван Иванов"), zv::kHolder, kHolderEgn);
  QTest::mouseClick(w->Add, Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), w->FirstName);
  member(QStringLiteral("Петя"), zv::kChild, kChildEgn);
  QTest::mouseClick(w->Add, Qt::LeftButton);
  EXPECT_EQ(QApplication::focusWidget(), w->FirstName);
  w->FamilyListSelectCell(2);
  w->FamilyListSelectCell(2);
  w->FirstName->setText(QStringLiteral("Петя Иванова"));
  QTest::mouseClick(w->Modify, Qt::LeftButton);
  EXPECT_EQ(cell(2)[zv::cellName], QStringLiteral("Петя Иванова"));
  EXPECT_EQ(QApplication::focusWidget(), w->FirstName);
  EXPECT_TRUE(texts().isEmpty());
}

// Esc, "Изход" and the window's close button: a question whenever anything
// typed is unsaved; Yes goes the way of "Запис".
class ClosingCardWindowTest : public ShownCardWindowTest {
 protected:
  const QString question = QStringLiteral("ask:Потвърждение:Искате ли да запазите промените върху картона");
  void esc() { QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : w.get(), Qt::Key_Escape); }
  void openNew() {
    w->OpenCard(0, true, false);
    showWindow();
    Dialogs::clearShown();
  }
  void openCard(int regNum) {
    openStored(regNum, true);
    showWindow();
    Dialogs::clearShown();
  }
};

TEST_F(ClosingCardWindowTest, EveryWayOfClosingAsksOnANewCardWithTyping) {
  const std::pair<const char *, std::function<void()>> closers[] = {
      {"Esc", [&] { esc(); }},
      {"Изход", [&] { QTest::mouseClick(w->Cancel, Qt::LeftButton); }},
      {"close button", [&] { w->close(); }},
  };
  const QStringList before = everything();
  for (const auto &[what, close] : closers) {
    SCOPED_TRACE(what);
    // Untouched: closes without a word.
    openNew();
    close();
    EXPECT_FALSE(w->isVisible());
    EXPECT_TRUE(texts().isEmpty());
    // Typed: asked; No closes and stores nothing.
    openNew();
    w->doctxt->setFocus();
    QTest::keyClicks(w->doctxt, QStringLiteral("17"));
    Dialogs::queueAnswer(false);
    close();
    EXPECT_EQ(texts(), QStringList({question}));
    EXPECT_FALSE(w->isVisible());
    EXPECT_EQ(everything(), before);
  }
}

TEST_F(ClosingCardWindowTest, NewCardYesGoesThroughTheCheckAndTheSave) {
  storeCard(7, {{QStringLiteral("Анна"), 0, kAdultEgn}});
  const QStringList before = everything();
  // A member added is typing too; Yes with a failing check keeps it all.
  openNew();
  w->ShowClick();
  member(QStringLiteral("Иван Иванов"), zv::kHolder, kHolderEgn);
  w->AddClick();
  Dialogs::queueAnswer(true);
  esc();
  EXPECT_EQ(texts(), QStringList({question, QStringLiteral("message:Грешка при запис:Моля въведете адреса на семейството")}));
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(cell(1)[zv::cellName], QStringLiteral("Иван Иванов"));
  EXPECT_EQ(everything(), before);

  // A check that passes with a number already used: the save refuses, the
  // window stays.
  cardFields(QStringLiteral("ул. Роза 5"));
  w->ebRegNum->setText(QStringLiteral("7"));
  Dialogs::clearShown();
  Dialogs::queueAnswer(true);
  esc();
  EXPECT_EQ(texts(), QStringList({question, QStringLiteral("message:Грешка при запис:Регистрационният номер е "
                                                           "невалиден или вече съществува!")}));
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(everything(), before);

  // Yes with everything in order stores the card and closes.
  w->ebRegNum->setText(QStringLiteral("8"));
  Dialogs::clearShown();
  Dialogs::queueAnswer(true);
  esc();
  EXPECT_EQ(texts(), QStringList({question, QStringLiteral("message::Данните са регистрирани успешно!")}));
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(committed(QStringLiteral("select REG_NUM, trim(ADRESS) from RGS_CARD order by REG_NUM")),
            QStringList({QStringLiteral("7|ул. Стара 7"), QStringLiteral("8|ул. Роза 5")}));
}

TEST_F(ClosingCardWindowTest, StoredCardAsksWhenAFieldDiffersFromTheLoadedCard) {
  storeCard(4, {{QStringLiteral("Анна"), 0, kHolderEgn}});
  const QString stored = QStringLiteral("ул. Стара 4");
  const auto address = [&] { return committed(QStringLiteral("select trim(ADRESS) from RGS_CARD")); };

  // Untouched, or changed and changed back: no question.
  openCard(4);
  esc();
  EXPECT_FALSE(w->isVisible());
  openCard(4);
  w->ebCheck->setText(QStringLiteral("проверяващ"));
  w->ebCheck->clear();
  esc();
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(texts().isEmpty());

  // Changed, No: closed, nothing stored.
  openCard(4);
  w->ebCheck->setText(QStringLiteral("проверяващ"));
  Dialogs::queueAnswer(false);
  esc();
  EXPECT_EQ(texts(), QStringList({question}));
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(committed(QStringLiteral("select CHECK_NAME from RGS_CARD")), QStringList({QString()}));

  // Yes with a failing check: the message, the window open with its typing;
  // a second Esc asks again.
  openCard(4);
  w->ebAdress->clear();
  Dialogs::queueAnswer(true);
  esc();
  EXPECT_EQ(texts(), QStringList({question, QStringLiteral("message:Грешка при запис:Моля въведете адреса на семейството")}));
  EXPECT_TRUE(w->isVisible());
  EXPECT_EQ(w->ebAdress->text(), QString());
  EXPECT_EQ(address(), QStringList({stored}));

  // Yes with a passing check: stored, closed.
  w->ebAdress->setText(QStringLiteral("ул. Нова 4"));
  Dialogs::clearShown();
  Dialogs::queueAnswer(true);
  esc();
  EXPECT_EQ(texts(), QStringList({question, QStringLiteral("message::Данните са актуализирани успешно!")}));
  EXPECT_FALSE(w->isVisible());
  EXPECT_EQ(address(), QStringList({QStringLiteral("ул. Нова 4")}));

  // After "Запис" nothing is unsaved.
  openCard(4);
  w->dek_id->setText(QStringLiteral("Д-1"));
  w->OKClick();
  Dialogs::clearShown();
  esc();
  EXPECT_FALSE(w->isVisible());
  EXPECT_TRUE(texts().isEmpty());
}

// The address date is a whole date: shown, typed, stored and counted so.
TEST_F(ShownCardWindowTest, AddressDateKeepsDayAndMonth) {
  const int id = storeCard(5, {{QStringLiteral("Анна"), 0, kHolderEgn}});
  fb::execute(dm->Database, dm->Transaction,
              QStringLiteral("update RGS_CARD set ADRESS_DATE = '15.03.2019' where CARD_ID = ?"), {id});
  dm->Transaction.commit();
  openStored(5, true);
  showWindow();
  EXPECT_EQ(w->dtAdress->date(), QDate(2019, 3, 15));
  EXPECT_EQ(w->dtAdress->text(), QStringLiteral("15.03.2019"));

  // Typed in: day, month and year.
  w->dtAdress->setFocus();
  w->dtAdress->setSelectedSection(QDateTimeEdit::DaySection);
  QTest::keyClicks(w->dtAdress, QStringLiteral("20"));
  w->dtAdress->setSelectedSection(QDateTimeEdit::MonthSection);
  QTest::keyClicks(w->dtAdress, QStringLiteral("11"));
  EXPECT_EQ(w->dtAdress->date(), QDate(2019, 11, 20));

  // Today is 15.06.2024 and five years are needed: from 20.11.2019 the
  // family has four, and is warned; from 15.03.2019 it has five.
  const QString warning = QStringLiteral(
      "Не можете да впишете картон в картотеката при регистрация на адрес по-малко от 5 години");
  const QString addressDate = QStringLiteral("select ADRESS_DATE from RGS_CARD where CARD_ID = %1").arg(id);
  w->OKClick();
  ASSERT_EQ(boxes().size(), 2);
  EXPECT_EQ(boxes()[0].text, warning);
  EXPECT_EQ(committed(addressDate), QStringList({QStringLiteral("20.11.2019")}));

  w->dtAdress->setDate(QDate(2019, 3, 15));
  Dialogs::clearShown();
  w->OKClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("message::Данните са актуализирани успешно!")}));
  EXPECT_EQ(committed(addressDate), QStringList({QStringLiteral("15.03.2019")}));
  openStored(5, true);
  EXPECT_EQ(w->dtAdress->date(), QDate(2019, 3, 15));
}

// The income is in euro.
TEST_F(ShownCardWindowTest, IncomeIsInEuro) {
  w->OpenCard(0, true, false);
  showWindow();
  w->PageControl1->setCurrentIndex(1);
  QStringList labels;
  for (const QLabel *l : w->findChildren<QLabel *>())
    if (l->isVisible()) labels << l->text();
  EXPECT_TRUE(labels.contains(QStringLiteral("евро")));
  for (const QString &text : labels) EXPECT_FALSE(text.contains(QStringLiteral("лв"))) << text.toStdString();
}

}  // namespace
