// The change history written while cards are stored, and the card notes:
// stamping, the notes window, printing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "CardHistory.h"
#include "CardNotes.h"
#include "CardWidgets.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "Fb.h"
#include "History.h"
#include "Modal.h"
#include "NomForm.h"
#include "Session.h"
#include "CardWindowFixture.h"
#include "TempRegister.h"
#include "ViewKarton.h"
#include "egn.h"
#include "frmNotes.h"

// Readable failure output for texts.
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {


const QString kEgnA = egnOf(1985, 3, 10, 123);
const QString kEgnB = egnOf(1987, 7, 1, 456);
const QString kEgnC = egnOf(2015, 5, 5, 789);
const QString kEgnD = egnOf(1960, 2, 2, 222);
const QString kUser = QStringLiteral("Иван Петров");


// The stamp of a user's note as the notes memo shows it (LF line breaks).
QString stampOf(const QString &note) {
  return QStringLiteral("{ Изпълнител: ") + kUser + QStringLiteral("\n  Дата и час: 15.06.2024 10:00:00\n") +
         QStringLiteral("  Тип: Потребителско\n  Съобщение: '") + note + QStringLiteral("' }");
}

// ------------------------------------------------------------------ texts

TEST(CardHistoryTexts, WatchedCardFields) {
  const QStringList groups{QStringLiteral("Първа   група  "), QStringLiteral("Втора група")};
  const QStringList states{QStringLiteral("Подадено"), QStringLiteral("Вписан")};
  const zv::TDate d1 = zv::fromQDate(QDate(2020, 1, 2));
  const zv::TDate d2 = zv::fromQDate(QDate(2021, 3, 4));
  const zv::WatchedCardFields before{QStringLiteral("Д-1"), d1, 0, d1, 0};
  struct Case {
    const char *what;
    zv::WatchedCardFields now;
    QStringList texts;
  };
  const QString on = QStringLiteral(" на картон с номер : 17");
  const Case cases[] = {
      {"nothing changed", before, {}},
      {"declaration number",
       {QStringLiteral("Д-2"), d1, 0, d1, 0},
       {QStringLiteral("Промяна на последно подадена декларация от Д-1 на Д-2") + on}},
      {"declaration date",
       {QStringLiteral("Д-1"), d2, 0, d1, 0},
       {QStringLiteral("Промяна дата на последно подадена декларация от 02.01.2020 на 04.03.2021") + on}},
      {"group, blanks of the list text reduced",
       {QStringLiteral("Д-1"), d1, 1, d1, 0},
       {QStringLiteral("Промяна на група от Първа група  на Втора група") + on}},
      {"group to no position", {QStringLiteral("Д-1"), d1, -1, d1, 0}, {QStringLiteral("Промяна на група от Първа група  на ") + on}},
      {"group date",
       {QStringLiteral("Д-1"), d1, 0, d2, 0},
       {QStringLiteral("Промяна дата на група от 02.01.2020 на 04.03.2021") + on}},
      {"status", {QStringLiteral("Д-1"), d1, 0, d1, 1}, {QStringLiteral("Промяна на състояние от Подадено на Вписан") + on}},
      {"all five, in order",
       {QString(), d2, 1, d2, 1},
       {QStringLiteral("Промяна на последно подадена декларация от Д-1 на ") + on,
        QStringLiteral("Промяна дата на последно подадена декларация от 02.01.2020 на 04.03.2021") + on,
        QStringLiteral("Промяна на група от Първа група  на Втора група") + on,
        QStringLiteral("Промяна дата на група от 02.01.2020 на 04.03.2021") + on,
        QStringLiteral("Промяна на състояние от Подадено на Вписан") + on}},
  };
  for (const Case &c : cases)
    EXPECT_EQ(zv::CardChangeTexts(before, c.now, groups, states, QStringLiteral("17")), c.texts) << c.what;
}

TEST(CardHistoryTexts, MemberChangeLines) {
  const QStringList soc{QStringLiteral("Работещ"), QStringLiteral("Безработен")};
  zv::MemberRow row;
  row[zv::cellType] = QStringLiteral("Дете");
  row[zv::cellName] = QStringLiteral("Петя");
  row[zv::cellEgn] = kEgnC;
  row[zv::cellSoc] = QStringLiteral("Безработен");
  row[zv::cellNotes] = QStringLiteral("бел");
  row[zv::cellInvProc] = QStringLiteral("50");
  row[zv::cellInvDate] = QStringLiteral("31.01.2026");
  row[zv::cellTelk] = QStringLiteral("77");
  // The stored member equal to the row in every column.
  const zv::StoredMember same{QStringLiteral("Петя"),     kEgnC, 3, 1, QStringLiteral("бел"), 50,
                              QStringLiteral("31.1.2026"), QStringLiteral("77")};
  EXPECT_EQ(zv::MemberChangeLines(same, row, soc), QStringList());

  struct Case {
    const char *what;
    std::function<void(zv::StoredMember &)> stored;
    std::function<void(zv::MemberRow &)> edit;
    QStringList lines;
  };
  const auto none = [](auto &) {};
  const Case cases[] = {
      {"name", [](auto &m) { m.name = QStringLiteral("Мария"); }, none, {"Променено име от Мария на Петя"}},
      {"EGN", [](auto &m) { m.egn = kEgnA; }, none, {QStringLiteral("Променено ЕГН от ") + kEgnA + " на " + kEgnC}},
      {"type", [](auto &m) { m.type = 1; }, none, {"Променено тип от Съпруг на Дете"}},
      {"social group", [](auto &m) { m.socGroup = 0; }, none, {"Променено Соц. група от Работещ на Безработен"}},
      {"social group to none", none, [](auto &r) { r[zv::cellSoc].clear(); }, {"Променено Соц. група от Безработен на "}},
      {"social group code beyond the list", [](auto &m) { m.socGroup = 7; }, none,
       {"Променено Соц. група от  на Безработен"}},
      {"notes", [](auto &m) { m.notes = QStringLiteral("стара"); }, none, {"Променено бележки от стара на бел"}},
      {"percentage", [](auto &m) { m.invProc = 40; }, none, {"Променено процент на инвалидност от 40 на 50"}},
      {"date", [](auto &m) { m.invDate = QStringLiteral("01.02.2025"); }, none,
       {"Променено дата на ТЕЛК от 01.02.2025 на 31.01.2026"}},
      {"decision", [](auto &m) { m.telk = QStringLiteral("12"); }, none, {"Променено решение на ТЕЛК от 12 на 77"}},
      {"NULL stored values are not compared",
       [](auto &m) { m = zv::StoredMember{}; }, none, {}},
      {"disability cells emptied", none,
       [](auto &r) {
         r[zv::cellInvProc].clear();
         r[zv::cellInvDate].clear();
         r[zv::cellTelk].clear();
       },
       {"Променено процент на инвалидност от 50 на ", "Променено дата на ТЕЛК от 31.01.2026 на ",
        "Променено решение на ТЕЛК от 77 на "}},
      {"every column, in order",
       [](auto &m) {
         m = zv::StoredMember{QStringLiteral("А"), kEgnA, 0, 0, QStringLiteral("Б"), 1, QStringLiteral("1.1.2001"),
                              QStringLiteral("2")};
       },
       none,
       {"Променено име от А на Петя", QStringLiteral("Променено ЕГН от ") + kEgnA + " на " + kEgnC,
        "Променено тип от Титуляр на Дете", "Променено Соц. група от Работещ на Безработен",
        "Променено бележки от Б на бел", "Променено процент на инвалидност от 1 на 50",
        "Променено дата на ТЕЛК от 01.01.2001 на 31.01.2026", "Променено решение на ТЕЛК от 2 на 77"}},
  };
  for (const Case &c : cases) {
    zv::StoredMember m = same;
    zv::MemberRow r = row;
    c.stored(m);
    c.edit(r);
    EXPECT_EQ(zv::MemberChangeLines(m, r, soc), c.lines) << c.what;
  }

  for (const QString &bad : {QStringLiteral("скоро"), QStringLiteral("31.02.2026"), QString()}) {
    zv::StoredMember m = same;
    m.invDate = bad;
    try {
      zv::MemberChangeLines(m, row, soc);
      ADD_FAILURE() << "no error for " << bad.toStdString();
    } catch (const fb::Error &e) {
      EXPECT_EQ(e.text(), QStringLiteral("'%1' is not a valid date").arg(bad));
    }
  }
}

TEST(CardHistoryTexts, EntryTexts) {
  EXPECT_EQ(zv::MemberChangeText({QStringLiteral("Променено име от А на Б"), QStringLiteral("Променено тип от Дете на Друг")},
                                 QStringLiteral("8")),
            QStringLiteral("Променено име от А на Б\r\nПроменено тип от Дете на Друг\r\nКартон номер :8\r\n"));
  EXPECT_EQ(zv::MemberRemovedText(2, QStringLiteral("Мария"), QStringLiteral("8")),
            QStringLiteral("Изтриване на Съпруга с име Мария с картон номер :8"));
  EXPECT_EQ(zv::MemberAddedText(QStringLiteral("Мария")), QStringLiteral("Добавяне на член със име Мария"));
  EXPECT_EQ(zv::CardCreatedText(QStringLiteral("8")), QStringLiteral("Създаване на картон с регистрационен номер 8"));
}

// ------------------------------------------------------------------ window

class HistoryWindowTest : public CardWindowFixture {
 protected:
  void exec(const QString &sql, const std::vector<QVariant> &params = {}) {
    fb::execute(dm->Database, dm->Transaction, sql, params);
    dm->Transaction.commit();
  }
  // The history as "TYPE_T|T_ID|T_TEXT", in the order written.
  QStringList history() { return committed(QStringLiteral("select TYPE_T, T_ID, T_TEXT from INF_LOG order by LOG_ID")); }

  struct Member {
    QString name;
    int type;
    QString egn;
  };
  // A stored card, written straight into the register and committed; its
  // group is position 1 of the list. Returns CARD_ID.
  int storeCard(int regNum, const QList<Member> &members) {
    fb::execute(dm->Database, dm->Transaction,
                QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, ADRESS_DATE, GROUP1, GROUP2, GRUPA, "
                               "GRUPA_DATE, ADD_USER, STATUS, INCOME, HARD_LIFE) values (?, '01.02.2015', 'ул. Стара', "
                               "'01.02.2010', 2, 0, 1, '01.03.2015', 'Default', 1, 0, 0)"),
                {regNum});
    const int cardId = own(QStringLiteral("select CARD_ID from RGS_CARD where REG_NUM = %1").arg(regNum)).value(0).toInt();
    for (const Member &m : members)
      fb::execute(dm->Database, dm->Transaction,
                  QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE, SOCGRUPA) values (?, ?, ?, ?, 0)"),
                  {cardId, m.name, m.egn, m.type});
    dm->Transaction.commit();
    listAll();
    return cardId;
  }
  QStringList personIds(int cardId) {
    return own(QStringLiteral("select PERSON_ID from RGS_PERSON where CARD_ID = %1 order by PERSON_ID").arg(cardId));
  }
  static QStringList texts() {
    QStringList out;
    for (const Dialogs::Shown &s : Dialogs::shown()) out << s.kind + QLatin1Char(':') + s.caption + QLatin1Char(':') + s.text;
    return out;
  }
  static QString group(int n) { return zv::CollapseSpaces(zv::NomTextOf(QStringLiteral("GROUP1"), n)); }
};

const QString kUpdated = QStringLiteral("message::Данните са актуализирани успешно!");

TEST_F(HistoryWindowTest, GroupChangeWritesOneEntryAndSavingAgainNone) {
  const int id = storeCard(5, {{QStringLiteral("Анна"), 0, kEgnA}});
  openStored(5, true);
  w->cbGroup->setCurrentIndex(2);
  w->ebAdress->setText(QStringLiteral("ул. Нова"));  // not watched
  w->OKClick();
  ASSERT_EQ(texts(), QStringList({kUpdated}));
  // The NOM texts come padded to their width; one blank is left of each run.
  ASSERT_TRUE(zv::NomTextOf(QStringLiteral("GROUP1"), 1).endsWith(QStringLiteral("  ")));
  const QString expected = QStringLiteral("RGS_CARD|%1|Промяна на група от 2 - Живеещи в негодни за обитаване помещения "
                                          "на 3 - Живеещи в пренаселени жилища на картон с номер : 5")
                               .arg(id);
  EXPECT_EQ(group(1), QStringLiteral("2 - Живеещи в негодни за обитаване помещения "));
  EXPECT_EQ(history(), QStringList({expected}));

  Dialogs::clearShown();
  w->OKClick();
  EXPECT_EQ(texts(), QStringList({kUpdated}));
  EXPECT_EQ(history(), QStringList({expected}));
}

TEST_F(HistoryWindowTest, GroupNeverChosenLeavesSingleBlanks) {
  const int id = storeCard(6, {{QStringLiteral("Анна"), 0, kEgnA}});
  exec(QStringLiteral("update RGS_CARD set GRUPA = -1 where CARD_ID = %1").arg(id));
  openStored(6, true);
  ASSERT_EQ(w->cbGroup->currentIndex(), -1);
  w->cbGroup->setCurrentIndex(0);
  w->OKClick();
  EXPECT_EQ(history(),
            QStringList({QStringLiteral("RGS_CARD|%1|Промяна на група от на 1 - Без група (не участва в класирането) "
                                        "на картон с номер : 6")
                             .arg(id)}));
}

TEST_F(HistoryWindowTest, EgnChangeWritesTwoLinesUnderTheMember) {
  const int id = storeCard(7, {{QStringLiteral("Анна"), 0, kEgnA}, {QStringLiteral("Борис"), 1, kEgnB}});
  const QStringList ids = personIds(id);
  openStored(7, true);
  w->FamilyListSelectCell(2);
  ASSERT_EQ(w->FirstName->text(), QStringLiteral("Борис"));
  w->PersonEGN->setText(kEgnD);
  w->ModifyClick();
  w->OKClick();
  ASSERT_EQ(texts(), QStringList({kUpdated}));
  EXPECT_EQ(history(), QStringList({QStringLiteral("RGS_PERSON|") + ids[1] + QStringLiteral("|Променено ЕГН от ") + kEgnB +
                                    QStringLiteral(" на ") + kEgnD + QStringLiteral("\r\nКартон номер :7\r\n")}));
}

TEST_F(HistoryWindowTest, DisabilityDataAgainstNullAndEmptiedCells) {
  const int id = storeCard(8, {{QStringLiteral("Анна"), 0, kEgnA}, {QStringLiteral("Борис"), 1, kEgnB},
                               {QStringLiteral("Вера"), 3, kEgnC}});
  const QStringList ids = personIds(id);
  exec(QStringLiteral("update RGS_PERSON set INV_PROC = 70, INV_DATE = '31.01.2026', TELK_NUM = '77' "
                      "where PERSON_ID = ") + ids[2]);
  openStored(8, true);
  // Борис had no disability data: a new percentage is no change line.
  w->FamilyListSelectCell(2);
  member(QStringLiteral("Борис"), zv::kHusband, kEgnB);
  w->cbSocGrupa->setCurrentIndex(0);
  w->proc_inv->setText(QStringLiteral("50"));
  w->re6_telk->setText(QStringLiteral("12"));
  w->ModifyClick();
  // Вера's cells are emptied by a decision that is not digits.
  w->FamilyListSelectCell(3);
  member(QStringLiteral("Вера"), zv::kChild, kEgnC);
  w->cbSocGrupa->setCurrentIndex(0);
  w->proc_inv->setText(QStringLiteral("70"));
  w->re6_telk->setText(QStringLiteral("N/A"));
  w->ModifyClick();
  ASSERT_EQ(w->Rows()[2][zv::cellInvProc], QString());
  w->OKClick();
  ASSERT_EQ(texts(), QStringList({kUpdated}));
  EXPECT_EQ(history(), QStringList({QStringLiteral("RGS_PERSON|") + ids[2] +
                                    QStringLiteral("|Променено процент на инвалидност от 70 на \r\n"
                                                   "Променено дата на ТЕЛК от 31.01.2026 на \r\n"
                                                   "Променено решение на ТЕЛК от 77 на \r\nКартон номер :8\r\n")}));
  // The emptied cells leave the stored columns as they were.
  EXPECT_EQ(committed(QStringLiteral("select INV_PROC, trim(INV_DATE), trim(TELK_NUM) from RGS_PERSON where CARD_ID = %1 "
                                     "order by PERSON_ID")
                          .arg(id)),
            QStringList({"||", "50|15.06.2024|12", "70|31.01.2026|77"}));
}

TEST_F(HistoryWindowTest, RemovingTheSecondOfThreeMembers) {
  const int id = storeCard(3, {{QStringLiteral("Анна"), 0, kEgnA}, {QStringLiteral("Борис"), 1, kEgnB},
                               {QStringLiteral("Виктор"), 3, kEgnC}});
  const QStringList ids = personIds(id);
  openStored(3, true);
  w->cbStatus->setCurrentIndex(2);
  w->FamilyListSelectCell(2);
  w->DeleteClick();
  w->OKClick();
  ASSERT_EQ(texts(), QStringList({kUpdated}));
  EXPECT_EQ(history(),
            QStringList({QStringLiteral("RGS_CARD|%1|Промяна на състояние от Вписан в картотеката на Настанен на "
                                        "картон с номер : 3")
                             .arg(id),
                         QStringLiteral("RGS_PERSON|") + ids[1] + QStringLiteral("|Променено име от Борис на Виктор\r\n") +
                             QStringLiteral("Променено ЕГН от ") + kEgnB + QStringLiteral(" на ") + kEgnC +
                             QStringLiteral("\r\nПроменено тип от Съпруг на Дете\r\nКартон номер :3\r\n"),
                         QStringLiteral("RGS_PERSON|") + ids[2] +
                             QStringLiteral("|Изтриване на Дете с име Виктор с картон номер :3")}));
}

TEST_F(HistoryWindowTest, AdditionsAndTheNewCardEntry) {
  // A stored card gains a member: the entry carries the card's identifier.
  const int id = storeCard(9, {{QStringLiteral("Анна"), 0, kEgnA}});
  openStored(9, true);
  member(QStringLiteral("Мария   Иванова"), zv::kWife, kEgnB);
  w->AddClick();
  w->OKClick();
  ASSERT_EQ(texts(), QStringList({kUpdated}));
  EXPECT_EQ(history(), QStringList({QStringLiteral("RGS_CARD|%1|Добавяне на член със име Мария Иванова").arg(id)}));

  // A new card: one entry whose subject is the registration number, none for
  // its members.
  exec(QStringLiteral("delete from INF_LOG"));
  Dialogs::clearShown();
  w->OpenCard(0, true, false);
  w->ebRegNum->setText(QStringLiteral("40"));
  member(QStringLiteral("Иван"), zv::kHolder, kEgnC);
  w->AddClick();
  member(QStringLiteral("Дора"), zv::kOther, kEgnD);
  w->AddClick();
  w->ebAdress->setText(QStringLiteral("ул. Роза 5"));
  w->cbGroup->setCurrentIndex(1);
  w->cbsubGroup->setCurrentIndex(0);
  w->dtAdress->setDate(kToday.addYears(-10));
  w->OKClick();
  ASSERT_EQ(texts(), QStringList({QStringLiteral("message::Данните са регистрирани успешно!")}));
  const QString newId = committed(QStringLiteral("select CARD_ID from RGS_CARD where REG_NUM = 40")).value(0);
  ASSERT_NE(newId, QStringLiteral("40"));
  EXPECT_EQ(history(), QStringList({QStringLiteral("RGS_CARD|40|Създаване на картон с регистрационен номер 40")}));
}

TEST_F(HistoryWindowTest, UnreadableStoredDateRollsTheSaveBackAndKeepsTheWindow) {
  const int id = storeCard(4, {{QStringLiteral("Анна"), 0, kEgnA}});
  exec(QStringLiteral("update RGS_PERSON set INV_PROC = 30, INV_DATE = 'скоро', TELK_NUM = '5' where CARD_ID = %1").arg(id));
  openStored(4, true);
  w->cbGroup->setCurrentIndex(3);
  w->note_txt->setText(QStringLiteral("важно"));
  w->add_noteClick();
  const QString notes = w->mNotes->toPlainText();
  const QStringList cardBefore = committed(QStringLiteral("select * from RGS_CARD"));
  w->OKClick();
  const QList<Dialogs::Shown> shown = Dialogs::shown();
  ASSERT_EQ(shown.size(), 1);
  EXPECT_EQ(shown[0].text, QStringLiteral("'скоро' is not a valid date"));
  EXPECT_EQ(shown[0].icon, Dialogs::Icon::Error);
  EXPECT_EQ(history(), QStringList());
  EXPECT_EQ(committed(QStringLiteral("select * from RGS_CARD")), cardBefore);
  // Nothing on screen is lost, and the card is still a changed card.
  EXPECT_EQ(w->cbGroup->currentIndex(), 3);
  EXPECT_EQ(w->mNotes->toPlainText(), notes);
  EXPECT_EQ(w->Rows()[0][zv::cellInvDate], QStringLiteral("скоро"));
  EXPECT_TRUE(w->Modified);

  // The stored date mended meanwhile is a change made elsewhere: this save
  // would put "скоро" back, so it is refused whole until the card is reopened.
  exec(QStringLiteral("update RGS_PERSON set INV_DATE = '01.01.2030' where CARD_ID = %1").arg(id));
  dm->Transaction.commitRetaining();
  Dialogs::clearShown();
  w->OKClick();
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_TRUE(Dialogs::shown()[0].text.contains(QStringLiteral("променен от друга работна станция")));
  EXPECT_EQ(history(), QStringList());
  EXPECT_EQ(w->cbGroup->currentIndex(), 3);

  // Reopened, the same change goes through with the entry the failed one took back.
  openStored(4, true);
  EXPECT_EQ(w->Rows()[0][zv::cellInvDate], QStringLiteral("01.01.2030"));
  w->cbGroup->setCurrentIndex(3);
  Dialogs::clearShown();
  w->OKClick();
  ASSERT_EQ(texts(), QStringList({kUpdated}));
  const QStringList entries = history();
  ASSERT_EQ(entries.size(), 1);
  EXPECT_TRUE(entries[0].startsWith(QStringLiteral("RGS_CARD|%1|Промяна на група от 2 - ").arg(id)));
}

// ------------------------------------------------------------------ notes

TEST_F(HistoryWindowTest, NotesAreStampedNewestFirstAndStored) {
  const int id = storeCard(2, {{QStringLiteral("Анна"), 0, kEgnA}});
  exec(QStringLiteral("update RGS_CARD set NOTES = ? where CARD_ID = ?"), {QStringLiteral("стара\r\nбележка"), id});
  openStored(2, true);
  EXPECT_FALSE(w->GroupBoxNoteBut->isHidden());
  ASSERT_FALSE(w->Modified);
  w->add_noteClick();  // an empty note adds nothing
  EXPECT_EQ(w->mNotes->toPlainText(), QStringLiteral("стара\nбележка"));
  EXPECT_FALSE(w->Modified);

  w->note_txt->setText(QStringLiteral("първа"));
  w->add_note->click();
  w->note_txt->setText(QStringLiteral("втора"));
  w->add_noteClick();
  EXPECT_EQ(w->note_txt->text(), QStringLiteral("втора"));
  const QString expected = stampOf(QStringLiteral("втора")) + QLatin1Char('\n') + stampOf(QStringLiteral("първа")) +
                           QStringLiteral("\nстара\nбележка");
  EXPECT_EQ(w->mNotes->toPlainText(), expected);
  EXPECT_TRUE(w->Modified);

  // Closing asks, and Yes stores the notes with Windows line breaks.
  Dialogs::queueAnswer(true);
  w->CancelClick();
  EXPECT_EQ(texts(), QStringList({QStringLiteral("ask:Потвърждение:Искате ли да запазите промените върху картона"),
                                  kUpdated}));
  QString stored = expected;
  stored.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  EXPECT_EQ(committed(QStringLiteral("select NOTES from RGS_CARD")), QStringList({stored}));
  EXPECT_EQ(history(), QStringList());  // notes are not a watched field
}

TEST_F(HistoryWindowTest, NotesOfAReadOnlyCardAreNotStored) {
  storeCard(2, {{QStringLiteral("Анна"), 0, kEgnA}});
  openStored(2, false);
  w->note_txt->setText(QStringLiteral("бележка"));
  w->add_noteClick();
  EXPECT_EQ(w->mNotes->toPlainText(), stampOf(QStringLiteral("бележка")));
  w->CancelClick();
  EXPECT_EQ(texts(), QStringList());
  EXPECT_EQ(committed(QStringLiteral("select NOTES from RGS_CARD")), QStringList({QString()}));
}

TEST(CardNotesText, StoredBytesSurviveUnlessChanged) {
  const QString nbsp(QChar(0x00A0));
  const QString stored = QStringLiteral("стара") + nbsp + QStringLiteral("бележка\rред две\r\nред три\nкрай");
  const QString shown = QStringLiteral("стара") + nbsp + QStringLiteral("бележка\nред две\nред три\nкрай");
  ASSERT_EQ(zv::NotesForMemo(stored), shown);
  const QString other = QStringLiteral("друга станция\r\n") + stored;
  struct Case {
    const char *what;
    QString memo;
    QString storedNow;
    std::optional<QString> written;
  };
  const Case cases[] = {
      {"untouched", shown, stored, std::nullopt},
      {"untouched, changed elsewhere", shown, other, std::nullopt},
      {"emptied", QString(), stored, std::nullopt},
      {"note on top", QStringLiteral("нова\n") + shown, stored, QStringLiteral("нова\r\n") + stored},
      {"note on top, changed elsewhere", QStringLiteral("нова\n") + shown, other,
       QStringLiteral("нова\r\n") + other},
      {"a word changed inside",
       QString(shown).replace(QStringLiteral("две"), QStringLiteral("2\n2")), stored,
       QString(stored).replace(QStringLiteral("две"), QStringLiteral("2\r\n2"))},
      {"all replaced", QStringLiteral("ново\nвсичко"), stored, QStringLiteral("ново\r\nвсичко")},
  };
  for (const Case &c : cases) EXPECT_EQ(zv::NotesToStore(stored, c.memo, c.storedNow), c.written) << c.what;
  // A first note over none, with notes stored elsewhere meanwhile.
  EXPECT_EQ(zv::NotesToStore(QString(), QStringLiteral("нова"), QStringLiteral("друга")),
            QStringLiteral("нова\r\nдруга"));
}

TEST_F(HistoryWindowTest, NotesKeepTheirBytesThroughSaves) {
  const int id = storeCard(2, {{QStringLiteral("Анна"), 0, kEgnA}});
  const QString old = QStringLiteral("стара") + QChar(0x00A0) + QStringLiteral("бележка\rвтори ред\r\nтрети");
  exec(QStringLiteral("update RGS_CARD set NOTES = ? where CARD_ID = ?"), {old, id});
  const QString notesSql = QStringLiteral("select NOTES from RGS_CARD");

  // An unrelated change: the notes as they were, byte for byte.
  openStored(2, true);
  EXPECT_EQ(zv::MemoText(w->mNotes), QStringLiteral("стара") + QChar(0x00A0) + QStringLiteral("бележка\nвтори ред\nтрети"));
  w->ebIncome->setText(QStringLiteral("1200"));
  w->OKClick();
  ASSERT_EQ(texts(), QStringList({kUpdated}));
  EXPECT_EQ(committed(notesSql), QStringList({old}));

  // A note stamped on top, through the notes window too: the old notes
  // below it keep their bytes.
  Dialogs::clearShown();
  zvtest::onModal<TfrmuNotes>([](TfrmuNotes *f) {
    f->note_txt->setText(QStringLiteral("първа"));
    f->add_note->click();
    f->Button1->click();
  });
  QTest::mouseDClick(w->mNotes->viewport(), Qt::LeftButton);
  QString stamp = stampOf(QStringLiteral("първа"));
  stamp.replace(QLatin1Char('\n'), QStringLiteral("\r\n"));
  // Meanwhile another workstation adds its own note.
  const QString elsewhere = QStringLiteral("от друго място\r\n") + old;
  exec(QStringLiteral("update RGS_CARD set NOTES = ? where CARD_ID = ?"), {elsewhere, id});
  w->OKClick();
  ASSERT_EQ(texts(), QStringList({kUpdated}));
  EXPECT_EQ(committed(notesSql), QStringList({stamp + QStringLiteral("\r\n") + elsewhere}));
  // The memo now shows both notes, and saving again changes nothing.
  EXPECT_EQ(w->mNotes->toPlainText(), zv::NotesForMemo(stamp + QStringLiteral("\r\n") + elsewhere).replace(QChar(0x00A0), QLatin1Char(' ')));
  Dialogs::clearShown();
  w->OKClick();
  EXPECT_EQ(committed(notesSql), QStringList({stamp + QStringLiteral("\r\n") + elsewhere}));
}

TEST_F(HistoryWindowTest, NotesWindowFromADoubleClick) {
  storeCard(2, {{QStringLiteral("Анна"), 0, kEgnA}});

  // A new card has no notes window.
  w->OpenCard(0, true, false);
  EXPECT_TRUE(w->GroupBoxNoteBut->isHidden());
  bool opened = false;
  QTimer::singleShot(0, [&opened] {
    if (auto *f = qobject_cast<TfrmuNotes *>(QApplication::activeModalWidget())) {
      opened = true;
      f->reject();
    }
  });
  QTest::mouseDClick(w->mNotes->viewport(), Qt::LeftButton);
  QApplication::processEvents();
  EXPECT_FALSE(opened);

  openStored(2, true);
  w->mNotes->setPlainText(QStringLiteral("ред"));
  w->Modified = false;
  struct Seen {
    QString text;
    bool readOnly = false;
  } seen;
  // Opened and closed without a note: nothing changes.
  zvtest::onModal<TfrmuNotes>([&seen](TfrmuNotes *f) {
    seen = {f->mNotes->toPlainText(), f->mNotes->isReadOnly()};
    f->add_noteClick();  // empty note_txt
    f->reject();         // closed by other means than "Изход"
  });
  QTest::mouseDClick(w->mNotes->viewport(), Qt::LeftButton);
  EXPECT_EQ(seen.text, QStringLiteral("ред"));
  EXPECT_TRUE(seen.readOnly);
  EXPECT_EQ(w->mNotes->toPlainText(), QStringLiteral("ред"));
  EXPECT_FALSE(w->Modified);

  // A note added there comes back with "Изход".
  zvtest::onModal<TfrmuNotes>([](TfrmuNotes *f) {
    f->note_txt->setText(QStringLiteral("от прозореца"));
    f->add_note->click();
    f->Button1->click();
  });
  QTest::mouseDClick(w->mNotes->viewport(), Qt::LeftButton);
  EXPECT_FALSE(QApplication::activeModalWidget());
  EXPECT_EQ(w->mNotes->toPlainText(), stampOf(QStringLiteral("от прозореца")) + QStringLiteral("\nред"));
  EXPECT_TRUE(w->Modified);
}

// The text pdftotext reads from a PDF file, as lines.
QStringList pdfLines(const QString &pdf) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), pdf, QStringLiteral("-")});
  if (!p.waitForFinished(30000) || p.exitCode() != 0) return {QStringLiteral("<pdftotext failed>")};
  QStringList lines = QString::fromUtf8(p.readAllStandardOutput()).split(QLatin1Char('\n'));
  // Page ends and the final line break.
  for (QString &l : lines) l.remove(QLatin1Char('\f'));
  while (!lines.isEmpty() && lines.last().trimmed().isEmpty()) lines.removeLast();
  return lines;
}

TEST(NotesPrint, ThreeLinesPrintThreeLines) {
  if (QStandardPaths::findExecutable(QStringLiteral("pdftotext")).isEmpty()) GTEST_SKIP() << "pdftotext not installed";
  Dialogs::setScripted(true);
  Dialogs::clearShown();
  QPlainTextEdit card;
  card.setPlainText(QStringLiteral("{ Изпълнител: Иван\n  Тип: Потребителско\nпоследен ред"));
  TfrmuNotes f(&card);
  QTemporaryDir dir;
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(dir.filePath(QStringLiteral("notes.pdf")));
  EXPECT_EQ(f.Lines().size(), 3);
  ASSERT_TRUE(f.PrintTo(printer));
  EXPECT_EQ(Dialogs::shown().size(), 0);
  QStringList lines = pdfLines(printer.outputFileName());
  for (QString &l : lines) l = l.trimmed();
  EXPECT_EQ(lines, QStringList({QStringLiteral("{ Изпълнител: Иван"), QStringLiteral("Тип: Потребителско"),
                                QStringLiteral("последен ред")}));

  // A printer that cannot be opened: the error, and the text stays.
  printer.setOutputFileName(dir.filePath(QStringLiteral("no/such/folder/notes.pdf")));
  EXPECT_FALSE(f.PrintTo(printer));
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown()[0].caption, QStringLiteral("Грешка"));
  EXPECT_TRUE(Dialogs::shown()[0].text.startsWith(QStringLiteral("Грешка при печат: файлът ")));
  EXPECT_EQ(f.mNotes->toPlainText(), card.toPlainText());

  // "Печат" without a default printer says so and prints nothing.
  if (QPrinterInfo::defaultPrinter().isNull()) {
    Dialogs::clearShown();
    f.Button2->click();
    EXPECT_EQ(Dialogs::lastText(), QStringLiteral("Грешка при печат: няма зададен принтер по подразбиране"));
  }
  Dialogs::setScripted(false);
}

}  // namespace
