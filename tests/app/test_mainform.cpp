// The main window: start of work, logout, list modes, refresh and rights.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QMenu>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include "DataModule.h"
#include "Dialogs.h"
#include "Install.h"
#include "LoginAs.h"
#include "Modal.h"
#include "MainForm.h"
#include "Rights.h"
#include "Session.h"
#include "TempRegister.h"
#include "ViewKarton.h"

namespace {

// Reads the register through a connection of its own, as another
// workstation would: only committed work is seen.
QStringList committedLog(const QString &path) {
  fb::Database db;
  db.databaseName = path;
  db.connect();
  fb::Transaction tr(db);
  zv::Query q(db, tr);
  q.SQL = QStringList{QStringLiteral("select U_NAME, TYPE_T, T_ID, T_TEXT from INF_LOG order by LOG_ID")};
  q.open();
  QStringList out;
  for (q.first(); !q.eof(); q.next())
    out << q.fieldByName(QStringLiteral("U_NAME")).asString() + QLatin1Char('|') +
               q.fieldByName(QStringLiteral("TYPE_T")).asString() + QLatin1Char('|') +
               q.fieldByName(QStringLiteral("T_ID")).asString() + QLatin1Char('|') +
               q.fieldByName(QStringLiteral("T_TEXT")).asString();
  return out;
}

class MainFormTest : public ::testing::Test {
 protected:
  TempRegister reg;
  QTemporaryDir profile;
  std::unique_ptr<TMainForm> form;
  std::unique_ptr<TDataModule1> dm;
  int quits = 0;

  void SetUp() override {
    qputenv("USERPROFILE", QFile::encodeName(profile.path()));
    Dialogs::setScripted(true);
    Dialogs::clearShown();
    zv::session() = zv::Session{};
    fb::Database db;
    db.databaseName = reg.path;
    db.connect();
    fb::Transaction tr(db);
    zv::putUser(db, tr, QStringLiteral("ivan"), QStringLiteral("Иван Д'Арк"), QStringLiteral("USER3"),
                QStringLiteral("pw"));
    db.disconnect();
  }
  void TearDown() override {
    form.reset();
    if (dm && dm->Database.connected()) dm->disconnectCommitting();
    dm.reset();
    FreeLoginRecord();
    Dialogs::setScripted(false);
  }
  // Fills a login record as the library would and starts the work.
  void start(const QString &userName, const QString &role, const QString &login = QStringLiteral("ivan")) {
    zvtest::FillLoginRecord({.dbPath = reg.path, .userName = userName, .loginName = login, .role = role});
    startWithRecord();
  }
  void startWithRecord() {
    form = std::make_unique<TMainForm>();
    dm = std::make_unique<TDataModule1>();
    form->quitApplication = [this] { ++quits; };
    form->FormShow();
  }
  void exec(const QString &sql) { fb::execute(dm->Database, dm->Transaction, sql); }
  int addCard(int regNum, int status = 1, int grupa = 1) {
    exec(QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, GRUPA, ADD_USER, STATUS) "
                        "values (%1, '01.02.2003', 'адрес', %2, 9, %3, 'Default', %4)")
             .arg(regNum)
             .arg(grupa + 1)
             .arg(grupa)
             .arg(status));
    zv::Query q(dm->Database, dm->Transaction);
    q.SQL = QStringList{QStringLiteral("select CARD_ID from RGS_CARD where REG_NUM = %1").arg(regNum)};
    q.open();
    return q.fieldByName(QStringLiteral("CARD_ID")).asInteger();
  }
  void addPerson(int card, const QString &name, int type) {
    exec(QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE) values (%1, '%2', '0101010007', %3)")
             .arg(card)
             .arg(name)
             .arg(type));
  }
  QList<int> listedNumbers() {
    QList<int> out;
    for (int r = 0; r < dm->MainQuery.recordCount(); ++r) out << dm->MainQuery.value(r, QStringLiteral("REG_NUM")).toInt();
    return out;
  }
};

TEST(AccessLevel, RolesGiveLevelsAndUnknownRolesNone) {
  const QList<std::pair<QString, std::optional<int>>> cases = {
      {QStringLiteral("USER1"), 1},  {QStringLiteral("USER2"), 2},        {QStringLiteral("USER3"), 3},
      {QStringLiteral("USER4"), 4},  {QStringLiteral("USER6"), 6},        {QStringLiteral("user1"), std::nullopt},
      {QString(), std::nullopt},     {QStringLiteral("USER5"), std::nullopt}, {QStringLiteral(" USER1"), std::nullopt},
      {QStringLiteral("USER1 "), std::nullopt}, {QStringLiteral("ADMIN"), std::nullopt}};
  for (const auto &[role, level] : cases) EXPECT_EQ(zv::AccessLevelOfRole(role), level) << role.toStdString();
}

TEST_F(MainFormTest, StartOfWorkLogsInAndListsTheRegister) {
  start(QStringLiteral("Иван Д'Арк"), QStringLiteral("USER3"));
  EXPECT_EQ(form->AccessLevel, 3);
  EXPECT_EQ(quits, 0);
  EXPECT_EQ(zv::session().CurrentUserName, QStringLiteral("Иван Д'Арк"));
  EXPECT_EQ(zv::session().CurrentUserId, QStringLiteral("2"));
  EXPECT_EQ(dm->MainQuery.SQL.value(1), QStringLiteral("and P.PERSON_TYPE = 0 "));
  EXPECT_EQ(dm->MainQuery.SQL.value(2), QStringLiteral(" order by Reg_Num"));
  EXPECT_EQ(form->statusPanel(0)->text(), QStringLiteral("0 записа"));
  EXPECT_FALSE(form->grid()->isColumnHidden(10));  // "Подгрупа"
  EXPECT_TRUE(form->grid()->isColumnHidden(13));   // "Точки от класиране"
  // the last user is written to the settings file as Windows-1251
  QFile ini(profile.filePath(QStringLiteral("zv.ini")));
  ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
  EXPECT_TRUE(ini.readAll().contains("lastuser=ivan"));
  // the login entry is pending in the transaction; logout commits it
  form->tbExitClick();
  EXPECT_EQ(quits, 1);
  EXPECT_EQ(committedLog(reg.path),
            (QStringList{QStringLiteral("Иван Д'Арк|SYSTEM|2|Влизане на потребител с име Иван Д'Арк"),
                         QStringLiteral("Иван Д'Арк|SYSTEM|2|Излизане на потребител с име Иван Д'Арк")}));
  EXPECT_EQ(LoginRecord(), nullptr);
}

// A user missing from USERS, and a known user whose role is none of the five,
// are refused alike: the rights message, the program ends, no history entry.
TEST_F(MainFormTest, UserMissingFromUsersOrWithUnknownRoleEndsTheProgramWithoutHistory) {
  struct Case {
    QString userName, role, login;
  };
  const QList<Case> cases = {
      {QStringLiteral("Непознат"), QStringLiteral("USER1"), QStringLiteral("ghost")},
      {QStringLiteral("Иван Д'Арк"), QStringLiteral("user1"), QStringLiteral("ivan1")},
      {QStringLiteral("Иван Д'Арк"), QString(), QStringLiteral("ivan2")},
      {QStringLiteral("Иван Д'Арк"), QStringLiteral("ADMIN"), QStringLiteral("ivan3")},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.login.toStdString());
    quits = 0;
    Dialogs::clearShown();
    start(c.userName, c.role, c.login);
    EXPECT_EQ(quits, 1);
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_EQ(Dialogs::lastText(),
              QStringLiteral("На потребителя не са предоставени коректни права! Моля предупредете администратора!"));
    QFile ini(profile.filePath(QStringLiteral("zv.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("lastuser=" + c.login.toUtf8()));
    // A window left open after the refusal allows nothing.
    Dialogs::clearShown();
    EXPECT_EQ(form->AccessLevel, 0);
    form->tbRegisterClick();
    EXPECT_EQ(Dialogs::lastText(), zv::kNoRightsText);
    form->close();
    EXPECT_TRUE(committedLog(reg.path).isEmpty());
    form.reset();
    dm.reset();
    FreeLoginRecord();
  }
}

// A register of the previous version: incomes in leva, no mark of the
// conversion to euro.
void makeOldRegister(const QString &path) {
  fb::Database db;
  db.databaseName = path;
  db.connect();
  fb::Transaction tr(db);
  tr.ensure();
  fb::execute(db, tr, QStringLiteral("delete from REGISTER_STEPS"));
  const QStringList leva{QStringLiteral("1955.83"), QStringLiteral("100")};
  for (int i = 0; i < leva.size(); ++i)
    fb::execute(db, tr,
                QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS, INCOME) "
                               "values (%1, '01.02.2003', 'адрес', 1, 9, 'Default', 1, %2)")
                    .arg(i + 1)
                    .arg(leva[i]));
  tr.commit();
  db.disconnect();
}

QList<double> committedIncomes(const QString &path) {
  fb::Database db;
  db.databaseName = path;
  db.connect();
  fb::Transaction tr(db);
  zv::Query q(db, tr);
  q.SQL = QStringList{QStringLiteral("select INCOME from RGS_CARD order by REG_NUM")};
  q.open();
  QList<double> out;
  for (int r = 0; r < q.recordCount(); ++r) out << q.value(r, 0).toDouble();
  return out;
}

TEST_F(MainFormTest, StartOfWorkConvertsAnOldRegistersIncomesToEuroOnce) {
  makeOldRegister(reg.path);
  start(QStringLiteral("Иван Д'Арк"), QStringLiteral("USER3"));
  EXPECT_EQ(quits, 0);
  EXPECT_TRUE(Dialogs::shown().isEmpty()) << Dialogs::lastText().toStdString();
  EXPECT_EQ(committedIncomes(reg.path), (QList<double>{1000.00, 51.13}));
  form->tbExitClick();
  const QString conversion =
      QStringLiteral("Иван Д'Арк|SYSTEM|2|Доходите са превалутирани от лева в евро: 2 картона (1 евро = 1,95583 лв.)");
  EXPECT_EQ(committedLog(reg.path).value(0), conversion);
  EXPECT_EQ(committedLog(reg.path).size(), 3);
  // The next start finds the register converted.
  FreeLoginRecord();
  dm.reset();
  start(QStringLiteral("Иван Д'Арк"), QStringLiteral("USER3"));
  form->tbExitClick();
  EXPECT_EQ(committedIncomes(reg.path), (QList<double>{1000.00, 51.13}));
  EXPECT_EQ(committedLog(reg.path).count(conversion), 1);
}

TEST_F(MainFormTest, ConversionThatFailsIsToldAndTheWorkGoesOn) {
  makeOldRegister(reg.path);
  // Another workstation is changing card 2 and has not committed.
  fb::Database other;
  other.databaseName = reg.path;
  other.connect();
  fb::Transaction otherTr(other);
  otherTr.ensure();
  fb::execute(other, otherTr, QStringLiteral("update RGS_CARD set NOTES = 'пише се' where REG_NUM = 2"));
  start(QStringLiteral("Иван Д'Арк"), QStringLiteral("USER3"));
  EXPECT_EQ(quits, 0);
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_TRUE(Dialogs::shown()[0].text.contains(QStringLiteral("при следващото отваряне на картотеката")))
      << Dialogs::shown()[0].text.toStdString();
  EXPECT_EQ(form->statusPanel(0)->text(), QStringLiteral("0 записа"));  // the list opened all the same
  otherTr.rollback();
  other.disconnect();
  form->tbExitClick();
  EXPECT_EQ(committedIncomes(reg.path), (QList<double>{1955.83, 100}));
  const QStringList log = committedLog(reg.path);
  ASSERT_EQ(log.size(), 2);
  EXPECT_TRUE(log[0].endsWith(QStringLiteral("Влизане на потребител с име Иван Д'Арк")));
}

TEST_F(MainFormTest, CloseBoxWritesNoLogoutButKeepsPendingWork) {
  start(QStringLiteral("Администратор"), QStringLiteral("USER1"), QStringLiteral("admin"));
  addCard(77);
  form->close();
  const QStringList log = committedLog(reg.path);
  ASSERT_EQ(log.size(), 1);
  EXPECT_TRUE(log[0].endsWith(QStringLiteral("Влизане на потребител с име Администратор")));
  fb::Database db;
  db.databaseName = reg.path;
  db.connect();
  fb::Transaction tr(db);
  zv::Query q(db, tr);
  q.SQL = QStringList{QStringLiteral("select count(*) from RGS_CARD where REG_NUM = 77")};
  q.open();
  EXPECT_EQ(q.fieldByName(QStringLiteral("COUNT")).asInteger(), 1);
}

TEST_F(MainFormTest, ListModesAndRefresh) {
  start(QStringLiteral("Администратор"), QStringLiteral("USER1"), QStringLiteral("admin"));
  const int a = addCard(3);
  addPerson(a, QStringLiteral("Трети"), 0);
  const int b = addCard(1);
  addPerson(b, QStringLiteral("Първи"), 0);
  addPerson(b, QStringLiteral("Втори титуляр"), 0);
  const int c = addCard(2);
  addPerson(c, QStringLiteral("Само дете"), 3);
  form->Refresh();
  EXPECT_EQ(listedNumbers(), (QList<int>{1, 1, 3}));
  EXPECT_EQ(form->statusPanel(0)->text(), QStringLiteral("3 записа"));

  // refresh keeps the current registration number
  form->setCurrentRow(2);
  form->Refresh();
  EXPECT_EQ(form->currentRegNum(), 3);
  EXPECT_EQ(form->currentRow(), 2);
  // refresh commits: another workstation sees the login entry now
  EXPECT_EQ(committedLog(reg.path).size(), 1);
  // ...and a card removed meanwhile leaves the cursor on the first row
  exec(QStringLiteral("delete from RGS_PERSON where CARD_ID = %1").arg(a));
  form->Refresh();
  EXPECT_EQ(form->currentRow(), 0);

  // "Търсене" before any search lists all cards, like "Всички"
  form->tabs()->setCurrentIndex(1);
  EXPECT_EQ(form->tabs()->currentIndex(), 1);
  EXPECT_EQ(dm->MainQuery.SQL.value(1), QStringLiteral("and person_type=0"));
  EXPECT_EQ(dm->MainQuery.SQL.value(2), QStringLiteral("order by REG_NUM"));
  EXPECT_EQ(listedNumbers(), (QList<int>{1, 1}));

  // a third tab is removed when leaving it; the report button follows the tab
  form->tabs()->addTab(QStringLiteral("Класиране"));
  form->RankingOrder = QStringLiteral("order by REG_NUM desc");
  form->tabs()->setCurrentIndex(2);
  EXPECT_EQ(dm->MainQuery.SQL.value(1), QStringLiteral("and person_type=0 and c.status=1 and c.grupa<>0"));
  EXPECT_EQ(dm->MainQuery.SQL.value(2), QStringLiteral("order by REG_NUM desc"));
  auto *spr = form->findChild<QAction *>(QStringLiteral("tbSpravka"));
  ASSERT_NE(spr, nullptr);
  EXPECT_EQ(spr->text(), QStringLiteral("Отпечатване"));
  EXPECT_EQ(dm->displayText(0, QStringLiteral("CARD_ID")), QStringLiteral("1"));
  form->tabs()->setCurrentIndex(0);
  EXPECT_EQ(form->tabs()->count(), 2);
  EXPECT_EQ(spr->text(), QStringLiteral("Справка"));
}

TEST_F(MainFormTest, FailingSearchKeepsTheTab) {
  start(QStringLiteral("Администратор"), QStringLiteral("USER1"), QStringLiteral("admin"));
  form->tabs()->setTabText(1, QStringLiteral("Търсене: по име"));
  form->SearchFilter = QStringLiteral("and no_such_column = 1");
  form->tabs()->setCurrentIndex(1);
  EXPECT_EQ(form->tabs()->currentIndex(), 0);
  ASSERT_FALSE(Dialogs::shown().isEmpty());
  EXPECT_EQ(Dialogs::shown().last().caption, QStringLiteral("Грешка"));
  EXPECT_TRUE(dm->MainQuery.active());
  EXPECT_EQ(dm->MainQuery.SQL.value(1), QString());
}

TEST_F(MainFormTest, RightsChecksRefuseWithTheMessage) {
  struct Case {
    QString role;
    void (TMainForm::*command)();
    bool refused;
  };
  const QList<Case> cases = {
      {QStringLiteral("USER6"), &TMainForm::tbRegisterClick, true},
      {QStringLiteral("USER4"), &TMainForm::tbRegisterClick, false},
      {QStringLiteral("USER4"), &TMainForm::tbStatusClick, true},
      {QStringLiteral("USER3"), &TMainForm::tbStatusClick, false},
      {QStringLiteral("USER3"), &TMainForm::mLBDNamesClick, true},
      {QStringLiteral("USER2"), &TMainForm::mLBDNamesClick, false},
      // level 0 (no role known yet) grants nothing
      {QString(), &TMainForm::tbRegisterClick, true},
      {QString(), &TMainForm::tbStatusClick, true},
      {QString(), &TMainForm::mLBDNamesClick, true},
  };
  start(QStringLiteral("Иван Д'Арк"), QStringLiteral("USER3"));
  for (const Case &c : cases) {
    form->AccessLevel = zv::AccessLevelOfRole(c.role).value_or(0);
    Dialogs::clearShown();
    // An allowed ranking opens its criteria window: cancel it.
    if (!c.refused && c.command == &TMainForm::tbStatusClick)
      zvtest::onModal<QDialog>([](QDialog *d) { d->reject(); }, QStringLiteral("KlasForm"));
    (form.get()->*c.command)();
    const bool refused = !Dialogs::shown().isEmpty() && Dialogs::shown().first().text == zv::kNoRightsText;
    EXPECT_EQ(refused, c.refused) << c.role.toStdString();
    if (refused) {
      EXPECT_EQ(Dialogs::shown().first().caption, QStringLiteral("Грешка"));
    }
  }
}

TEST_F(MainFormTest, MenuAndToolbarCarryTheirKeysAndStates) {
  start(QStringLiteral("Администратор"), QStringLiteral("USER1"), QStringLiteral("admin"));
  struct Item {
    const char *name;
    QKeySequence key;
    bool enabled, visible;
  };
  const QList<Item> items = {
      {"mRegister", Qt::Key_F2, true, true},  {"mModify", Qt::Key_F3, true, true},
      {"N16", Qt::Key_F5, true, true},        {"mClass", Qt::Key_F8, true, true},
      {"mList", Qt::Key_F7, true, true},      {"mAbout", Qt::Key_F1, true, true},
      {"N10", Qt::Key_F12, true, true},       {"mOptions", Qt::Key_F11, true, true},
      {"mSlBel", Qt::Key_F6, true, true},     {"mInvalid", Qt::Key_F9, true, true},
      {"mLBDNames", Qt::Key_F10, true, true}, {"mUsers", {}, false, true},
      {"N11", {}, false, true},               {"mKart", {}, false, true},
      {"N4", {}, true, false},                {"N5", {}, true, false},
      {"N6", {}, true, false},                {"N15", {}, true, false},
  };
  for (const Item &i : items) {
    auto *a = form->findChild<QAction *>(QLatin1String(i.name));
    ASSERT_NE(a, nullptr) << i.name;
    EXPECT_EQ(a->shortcut(), i.key) << i.name;
    if (i.visible) {  // a hidden action is never enabled
      EXPECT_EQ(a->isEnabled(), i.enabled) << i.name;
    }
    EXPECT_EQ(a->isVisible(), i.visible) << i.name;
  }
  EXPECT_EQ(form->windowTitle(), QStringLiteral("Куорин Зелво"));
  EXPECT_EQ(form->minimumSize(), QSize(760, 379));
  // help: a missing document gives the message
  form->openDocument = [](const QString &) { return false; };
  form->hlpbtnClick();
  EXPECT_EQ(Dialogs::lastText(), QStringLiteral("Couldn't execute the application"));
  EXPECT_EQ(Dialogs::shown().last().caption, QStringLiteral("Error"));
}

// The search lists are filled at the start of work; the status menu is built
// from the nomenclature each time it opens, marking the current card's status.
TEST_F(MainFormTest, SearchListsAndStatusMenuComeFromTheNomenclatures) {
  start(QStringLiteral("Администратор"), QStringLiteral("USER1"), QStringLiteral("admin"));
  auto *sGroup = form->findChild<QComboBox *>(QStringLiteral("sGroup"));
  auto *sStatus = form->findChild<QComboBox *>(QStringLiteral("sStatus"));
  ASSERT_TRUE(sGroup && sStatus);
  EXPECT_EQ(sGroup->count(), 6);
  EXPECT_EQ(sStatus->count(), 5);
  EXPECT_TRUE(sStatus->itemText(1).startsWith(QStringLiteral("Вписан в картотеката")));

  form->BuildStatusMenu();  // empty list: nothing marked
  QList<QAction *> items = form->statusMenu()->actions();
  ASSERT_EQ(items.size(), 10);
  for (QAction *a : items) EXPECT_FALSE(a->isChecked());

  const int c = addCard(8, /*status=*/2);
  addPerson(c, QStringLiteral("Титуляр"), 0);
  form->Refresh();
  form->BuildStatusMenu();
  items = form->statusMenu()->actions();
  ASSERT_EQ(items.size(), 10);
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(items[i]->data().toInt(), i);
    EXPECT_EQ(items[i]->isChecked(), i == 2);
    EXPECT_EQ(items[i + 5]->data().toInt(), i + 9);
    EXPECT_EQ(items[i + 5]->text(), QStringLiteral("За Всички - ") + items[i]->text());
  }
}

// Opening cards from the list: nothing opens on an empty list, but the list
// is refreshed; a level-3 user gets the card without its save button.
TEST_F(MainFormTest, OpenCardFromTheList) {
  start(QStringLiteral("Иван Д'Арк"), QStringLiteral("USER3"));
  TViewKart card(form.get());
  int opened = 0;
  bool saveEnabled = true;
  QString shownNumber;
  const auto watch = [&] {
    zvtest::onModal<QDialog>(
        [&](QDialog *dlg) {
          ++opened;
          saveEnabled = dlg->findChild<QPushButton *>(QStringLiteral("OK"))->isEnabled();
          shownNumber = dlg->findChild<QLineEdit *>(QStringLiteral("ebRegNum"))->text();
          dlg->reject();
        },
        QStringLiteral("ViewKart"));
  };
  // A double click on the empty list opens nothing but refreshes, which
  // commits the login entry.
  EXPECT_TRUE(committedLog(reg.path).isEmpty());
  QTest::mouseDClick(form->grid()->viewport(), Qt::LeftButton);
  EXPECT_EQ(opened, 0);
  EXPECT_EQ(committedLog(reg.path).size(), 1);
  form->tbModifyClick();  // empty list
  EXPECT_EQ(opened, 0);
  const int c = addCard(5);
  addPerson(c, QStringLiteral("Титуляр"), 0);
  form->Refresh();
  watch();
  form->tbModifyClick();
  EXPECT_EQ(opened, 1);
  EXPECT_FALSE(saveEnabled);
  EXPECT_EQ(shownNumber, QStringLiteral("5"));
}

// The real login library, driven through its own dialog with a test
// configuration, followed by the start of work.
TEST_F(MainFormTest, RealLoginLibraryThenStartOfWork) {
  QTemporaryDir cfgDir;
  const QString cfg = cfgDir.filePath(QStringLiteral("qrnlogin.ini"));
  QFile f(cfg);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write(QStringLiteral("[Database]\nPath=%1\nUser=SYSDBA\nPassword=\n").arg(reg.path).toUtf8());
  f.close();
  qputenv("QRNLOGIN_CONFIG", QFile::encodeName(cfg));
  zvtest::onModal<QDialog>(
      [](QDialog *dlg) {
        dlg->findChild<QLineEdit *>(QStringLiteral("edLogin"))->setText(QStringLiteral("ivan"));
        dlg->findChild<QLineEdit *>(QStringLiteral("edPassword"))->setText(QStringLiteral("pw"));
        dlg->findChild<QPushButton *>(QStringLiteral("btnOk"))->click();
        if (dlg->isVisible()) dlg->reject();
      },
      QStringLiteral("QrnLoginDialog"));
  TLogInfoRec *rec = NewLoginRecord();
  ASSERT_TRUE(CallExternalLogin(QStringLiteral("ZV"), QStringLiteral("ZVAP"), 1, 1, rec));
  startWithRecord();
  EXPECT_EQ(form->AccessLevel, 3);
  EXPECT_EQ(zv::session().LoginName, QStringLiteral("ivan"));
  form->tbExitClick();
  EXPECT_EQ(committedLog(reg.path).size(), 2);
}

}  // namespace
