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

#include "CardRules.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Session.h"
#include "CardWindowFixture.h"
#include "TempRegister.h"
#include "ViewKarton.h"
#include "egn.h"

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
  member(QStringLiteral("Ли 中"), zv::kOther, kAdultEgn);  // no Windows-1251 form
  w->AddClick();
  cardFields(QStringLiteral("ул. Роза 5"));
  const QStringList before = everything();
  w->OKClick();
  const QList<Dialogs::Shown> shown = boxes();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0].icon, Dialogs::Icon::Error);
  EXPECT_TRUE(shown[0].text.contains(QStringLiteral("中"))) << shown[0].text.toStdString();
  EXPECT_EQ(everything(), before);
  EXPECT_EQ(w->RowCount(), 2);
  EXPECT_EQ(w->ebRegNum->text(), QStringLiteral("1"));
  EXPECT_EQ(w->ebAdress->text(), QStringLiteral("ул. Роза 5"));

  // A changed stored card: the card row goes back with the member.
  storeCard(2, {{QStringLiteral("Анна"), 0, kWifeEgn}});
  openStored(2, true);
  w->ebAdress->setText(QStringLiteral("нов адрес"));
  member(QStringLiteral("Ли 中"), zv::kOther, kChild2Egn);
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

}  // namespace
