// The main window's browsing commands: the search on its tabs, the status
// menu, deletion and the invalid personal number list with its window.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QShortcut>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "BrowseFixture.h"
#include "Dialogs.h"
#include "EGNRepair.h"
#include "LoginAs.h"
#include "MainForm.h"
#include "Modal.h"
#include "SearchPanel.h"
#include "Status.h"
#include "ViewKarton.h"
#include "egn.h"

namespace {

QString egn(int y, int m, int d, int serial = 0) { return zv::MakeEgn(QDate(y, m, d), serial); }

class BrowseWindow : public ::testing::Test {
 protected:
  TempRegister reg;
  QTemporaryDir profile;
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TDataModule1> dm;
  TSearchPanel *panel = nullptr;

  void SetUp() override {
    qputenv("USERPROFILE", QFile::encodeName(profile.path()));
    zv::setNow(QDateTime(QDate(2024, 6, 15), QTime(10, 20, 30)));
    zv::session() = zv::Session{};
    zvtest::FillLoginRecord({.dbPath = reg.path, .userName = QStringLiteral("Администратор"),
                             .loginName = QStringLiteral("admin"), .role = QStringLiteral("USER1")});
    form = std::make_unique<TMainForm>();
    dm = std::make_unique<TDataModule1>();
    form->quitApplication = [] {};
    form->FormShow();
    panel = form->searchPanel();
    ASSERT_EQ(form->AccessLevel, 1);
  }
  void TearDown() override {
    form.reset();
    if (dm && dm->Database.connected()) dm->disconnectCommitting();
    dm.reset();
    FreeLoginRecord();
    zv::setNow(std::nullopt);
  }
  void exec(const QString &sql, const std::vector<QVariant> &params = {}) {
    dm->Transaction.ensure();
    fb::execute(dm->Database, dm->Transaction, sql, params);
  }
  int addCard(int regNum, int status = 1, int kids = 0) {
    exec(QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, GRUPA, ADD_USER, STATUS, "
                        "KIDS) values (?, '01.02.2003', 'адрес', 1, 9, 1, 'Default', ?, ?)"),
         {regNum, status, kids});
    zv::Query q(dm->Database, dm->Transaction);
    q.SQL = QStringList{QStringLiteral("select CARD_ID from RGS_CARD where REG_NUM = %1").arg(regNum)};
    q.open();
    return q.value(0, 0).toInt();
  }
  void addPerson(int card, const QString &name, const QString &number, int type = 0) {
    exec(QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE) values (?, ?, ?, ?)"),
         {card, name, number, type});
  }
  // Three cards: 1 and 3 with an invalid member each, 2 all valid.
  void threeCards() {
    const int a = addCard(1, 1, 2);
    addPerson(a, "Иван Петров", egn(1980, 1, 15));
    addPerson(a, "Дете с грешка", "0101010070", 3);
    const int b = addCard(2, 1, 0);
    addPerson(b, "Петър Петров", egn(1975, 5, 5));
    const int c = addCard(3, 0, 3);
    addPerson(c, "Георги Иванов", "12345");
    form->Refresh();
  }
  QList<int> listedNumbers() {
    QList<int> out;
    for (int r = 0; r < dm->MainQuery.recordCount(); ++r)
      out << dm->MainQuery.value(r, QStringLiteral("REG_NUM")).toInt();
    return out;
  }
  int statusOf(int regNum) {
    zv::Query q(dm->Database, dm->Transaction);
    q.SQL = QStringList{QStringLiteral("select STATUS from RGS_CARD where REG_NUM = %1").arg(regNum)};
    q.open();
    return q.value(0, 0).toInt();
  }
  QString tabTexts() {
    QStringList out;
    for (int i = 0; i < form->tabs()->count(); ++i) out << form->tabs()->tabText(i);
    return out.join('|');
  }
  void pressF9() { form->findChild<QAction *>(QStringLiteral("mInvalid"))->trigger(); }
};

TEST_F(BrowseWindow, SearchFromTheListsTabsAndKeys) {
  threeCards();
  // Enter in the name field: the search tab with its caption, the statement
  // on the clipboard.
  panel->CheckBox2->setChecked(true);
  panel->sName->setText("Петров");
  QTest::keyClick(panel->sName, Qt::Key_Return);
  EXPECT_EQ(form->tabs()->currentIndex(), 1);
  EXPECT_EQ(tabTexts(), "Всички|Търсене:ПЕТРОВ");
  EXPECT_EQ(form->SearchFilter, "and( upper(P.NAME) LIKE '%ПЕТРОВ%')");
  EXPECT_EQ(listedNumbers(), (QList<int>{1, 2}));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), dm->MainQuery.SQL.join('\n'));
  EXPECT_EQ(form->statusPanel(0)->text(), "2 записа");

  // F4 on tab 1 runs the search again in place.
  panel->sMemFrom->setText("1");
  form->show();
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
  QTest::keyClick(form.get(), Qt::Key_F4);
  EXPECT_EQ(tabTexts(), "Всички|Търсене:ПЕТРОВ,деца oт 1");
  EXPECT_EQ(listedNumbers(), QList<int>{1});

  // Nothing that applies: back to all cards.
  panel->CheckBox2->setChecked(false);
  panel->sMemFrom->setText("x");
  form->sbSearchClick();
  EXPECT_EQ(form->tabs()->currentIndex(), 0);
  EXPECT_EQ(tabTexts(), "Всички|Търсене");
  EXPECT_EQ(listedNumbers(), (QList<int>{1, 2, 3}));
  form->close();
}

TEST_F(BrowseWindow, SearchOnTheRankingTabKeepsItsOrderAndRemovesTheTab) {
  threeCards();
  form->tabs()->addTab("Класиране");
  form->RankingOrder = "order by REG_NUM desc";
  form->tabs()->setCurrentIndex(2);
  panel->sMemFrom->setText("0");  // ticks the children box
  form->sbSearchClick();
  EXPECT_EQ(tabTexts(), "Всички|Търсене:деца oт 0");
  EXPECT_EQ(form->tabs()->currentIndex(), 1);
  EXPECT_EQ(dm->MainQuery.SQL.value(2), "order by REG_NUM desc");
  // the ranking list holds cards of status 1 and a group only; the search
  // lists every holder, in ranking order
  EXPECT_EQ(listedNumbers(), (QList<int>{3, 2, 1}));
}

TEST_F(BrowseWindow, FailingSearchRestoresTheList) {
  threeCards();
  const QString filterBefore = dm->MainQuery.SQL.value(1);
  const int rowsBefore = dm->MainQuery.recordCount();
  panel->sName->setText(QString::fromUtf8("李"));  // no Windows-1251 form
  panel->CheckBox2->setChecked(true);
  form->sbSearchClick();
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown().last().caption, "Грешка");
  EXPECT_TRUE(Dialogs::shown().last().text.contains(QStringLiteral("\"По име\""))) << Dialogs::shown().last().text.toStdString();
  // Refused before the search began: the list is left as it was.
  EXPECT_EQ(form->tabs()->currentIndex(), 0);
  EXPECT_TRUE(dm->MainQuery.active());
  EXPECT_FALSE(dm->MainQuery.filtered());
  EXPECT_EQ(dm->MainQuery.SQL.value(1), filterBefore);
  EXPECT_EQ(dm->MainQuery.recordCount(), rowsBefore);
}

TEST_F(BrowseWindow, StatusMenuChangesOneCardOrAllListed) {
  exec("update NOM set STATUS = null where N > 2");
  dm->Nom.open();
  threeCards();
  form->setCurrentRow(1);  // card 2, status 1
  form->BuildStatusMenu();
  QList<QAction *> items = form->statusMenu()->actions();
  ASSERT_EQ(items.size(), 6);
  QList<int> numbers;
  for (QAction *a : items) {
    numbers << a->data().toInt();
    EXPECT_FALSE(a->isSeparator());
  }
  EXPECT_EQ(numbers, (QList<int>{0, 1, 2, 9, 10, 11}));
  EXPECT_TRUE(items[1]->isChecked());
  EXPECT_FALSE(items[3]->isCheckable());
  EXPECT_TRUE(items[3]->text().startsWith("За Всички - Подадено заявление"));

  items[2]->trigger();  // one card: no question
  EXPECT_TRUE(items[2]->isChecked());
  EXPECT_EQ(statusOf(2), 2);
  EXPECT_EQ(statusOf(1), 1);
  EXPECT_EQ(form->currentRegNum(), 2);  // the refresh keeps the row

  // All listed cards: asked first, No changes nothing.
  form->BuildStatusMenu();
  items = form->statusMenu()->actions();
  Dialogs::clearShown();
  Dialogs::queueAnswer(false);
  items[3]->trigger();
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown()[0].kind, "ask");
  EXPECT_EQ(Dialogs::shown()[0].caption, "Промяна на състояние");
  EXPECT_EQ(Dialogs::shown()[0].text,
            "Състоянието на 3 картона от списъка ще бъде сменено на \"Подадено заявление\". Желаете ли да "
            "продължите?");
  EXPECT_EQ(statusOf(1), 1);

  TStatusForm progress;
  Dialogs::queueAnswer(true);
  items[3]->trigger();
  for (int reg : {1, 2, 3}) EXPECT_EQ(statusOf(reg), 0) << reg;
  EXPECT_FALSE(progress.isVisible());
  EXPECT_EQ(progress.position(), zv::ProgressPercent(3, 3));
}

// A status change writes on the cards: it needs the right to store them.
// Below it both kinds of item are refused, with nothing asked or written.
TEST_F(BrowseWindow, StatusChangesNeedTheRightToStoreCards) {
  threeCards();
  const auto notesOf = [&](int regNum) {
    zv::Query q(dm->Database, dm->Transaction);
    q.SQL = QStringList{QStringLiteral("select NOTES from RGS_CARD where REG_NUM = %1").arg(regNum)};
    q.open();
    return q.value(0, 0).toString();
  };
  for (const int level : {6, 4, 3, 0}) {
    SCOPED_TRACE(level);
    form->AccessLevel = level;
    form->setCurrentRow(1);
    for (const int item : {2, 5 + 2}) {  // status 2 for this card; for every listed card
      form->BuildStatusMenu();
      const QList<QAction *> items = form->statusMenu()->actions();
      ASSERT_EQ(items.size(), 10);
      Dialogs::clearShown();
      items[item]->trigger();
      ASSERT_EQ(Dialogs::shown().size(), 1);
      EXPECT_EQ(Dialogs::shown()[0].text, "Потребителят не разполага с достатъчно права");
      EXPECT_EQ(Dialogs::shown()[0].caption, "Грешка");
    }
    for (int reg : {1, 2, 3}) {
      EXPECT_EQ(statusOf(reg), reg == 3 ? 0 : 1) << reg;
      EXPECT_EQ(notesOf(reg), QString()) << reg;
    }
  }
  form->AccessLevel = 2;
  form->BuildStatusMenu();
  form->statusMenu()->actions()[2]->trigger();
  EXPECT_EQ(statusOf(2), 2);
  EXPECT_TRUE(notesOf(2).startsWith("{ Изпълнител: Администратор"));
}

TEST_F(BrowseWindow, DeletionAsksThenDeletesAndReopens) {
  threeCards();
  form->setCurrentRow(1);
  Dialogs::queueAnswer(false);
  form->DelClick();
  EXPECT_EQ(Dialogs::lastText(), "Сигутни ли сте, че искате да изтриете рег. картон с рег.номер 2 ?");
  EXPECT_EQ(Dialogs::shown().last().caption, "Закриване");
  EXPECT_EQ(listedNumbers(), (QList<int>{1, 2, 3}));
  Dialogs::queueAnswer(true);
  form->DelClick();
  EXPECT_EQ(listedNumbers(), (QList<int>{1, 3}));
  EXPECT_EQ(form->currentRow(), 0);
  EXPECT_EQ(form->statusPanel(0)->text(), "2 записа");
}

TEST_F(BrowseWindow, InvalidListTabAndItsEnd) {
  threeCards();
  pressF9();
  pressF9();
  EXPECT_EQ(tabTexts(), "Всички|Търсене|Невалидни ЕГН-та");
  EXPECT_EQ(form->tabs()->currentIndex(), 2);
  EXPECT_EQ(dm->MainQuery.SQL.value(1), QString());
  EXPECT_TRUE(dm->MainQuery.filtered());
  EXPECT_EQ(listedNumbers(), (QList<int>{1, 3}));
  EXPECT_EQ(form->statusPanel(0)->text(), "2 невалидни ЕГН-та");
  form->Refresh();
  EXPECT_EQ(form->statusPanel(0)->text(), "2 невалидни ЕГН-та");
  EXPECT_TRUE(dm->MainQuery.filtered());
  // a search ends it
  panel->sRegNum->setText("3");
  form->sbSearchClick();
  EXPECT_EQ(tabTexts(), "Всички|Търсене:3");
  EXPECT_FALSE(dm->MainQuery.filtered());
  EXPECT_EQ(listedNumbers(), QList<int>{3});
  // the ranking tab renamed: the report button is the list's again
  form->tabs()->addTab("Класиране");
  form->tabs()->setCurrentIndex(2);
  pressF9();
  EXPECT_EQ(tabTexts(), "Всички|Търсене:3|Невалидни ЕГН-та");
  EXPECT_EQ(form->findChild<QAction *>("tbSpravka")->text(), "Справка");
  form->tabs()->setCurrentIndex(0);
  EXPECT_EQ(tabTexts(), "Всички|Търсене:3");
  EXPECT_FALSE(dm->MainQuery.filtered());
  EXPECT_EQ(form->statusPanel(0)->text(), "3 записа");
}

TEST_F(BrowseWindow, EnterOnTheInvalidListByAccessLevel) {
  threeCards();
  TViewKart card(form.get());
  TEGNRepair repair(form.get());
  pressF9();
  form->setCurrentRow(1);  // card 3
  int cards = 0, repairs = 0;
  bool editable = true;
  QString shownName;
  const auto watchCard = [&] {
    zvtest::onModal<QDialog>(
        [&](QDialog *d) {
          ++cards;
          editable = d->findChild<QPushButton *>("OK")->isEnabled();
          d->reject();
        },
        "ViewKart");
  };

  // Level 3: Enter opens the card read-only.
  form->AccessLevel = 3;
  watchCard();
  QTest::keyClick(form->grid(), Qt::Key_Return);
  EXPECT_EQ(cards, 1);
  EXPECT_FALSE(editable);

  // Level 2: the correction window; Esc closes it without the card.
  form->AccessLevel = 2;
  form->setCurrentRow(1);
  zvtest::onModal<TEGNRepair>([&](TEGNRepair *d) {
    ++repairs;
    shownName = d->DBText1->text();
    QTest::keyClick(d->EgnEdit, Qt::Key_Escape);
  });
  QTest::keyClick(form->grid(), Qt::Key_Return);
  EXPECT_EQ(repairs, 1);
  EXPECT_EQ(shownName, "Георги Иванов");
  EXPECT_EQ(cards, 1);

  // A click on a cell: moving up in the window moves the list; the picture
  // button opens the card of that row.
  zvtest::onModal<TEGNRepair>([&](TEGNRepair *d) {
    ++repairs;
    QTest::keyClick(d->EgnEdit, Qt::Key_Up);
    shownName = d->DBText1->text();
    d->SpeedButton2->click();
  });
  watchCard();
  form->FamilyGridCellClick();
  EXPECT_EQ(repairs, 2);
  EXPECT_EQ(shownName, "Дете с грешка");
  EXPECT_EQ(cards, 2);
  EXPECT_TRUE(editable);
  EXPECT_EQ(form->currentRegNum(), 1);
}

}  // namespace
