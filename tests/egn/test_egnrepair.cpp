// The personal number correction window over a register list.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include "DataModule.h"
#include "Dialogs.h"
#include "EGNRepair.h"
#include "InvalidEgn.h"
#include "Modal.h"
#include "TempRegister.h"
#include "egn.h"

namespace {

const QString kValid = zv::MakeEgn(QDate(1980, 1, 15), 0);

class EgnRepairTest : public ::testing::Test {
 protected:
  TempRegister reg;
  std::unique_ptr<TDataModule1> dm;
  std::unique_ptr<TEGNRepair> w;

  void SetUp() override {
    dm = std::make_unique<TDataModule1>();
    dm->connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
    dm->Transaction.ensure();
    fb::execute(dm->Database, dm->Transaction,
                QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS) "
                               "values (1, '01.01.2020', 'адрес', 1, 9, 'Default', 1)"));
    // three invalid numbers of one card, in the order of their keys
    for (const auto &[name, egn] : {std::pair{"Първи", "0101010070"}, std::pair{"Втори", "12345"},
                                    std::pair{"Трети", "0002290001"}})
      fb::execute(dm->Database, dm->Transaction,
                  QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE) "
                                 "select CARD_ID, ?, ?, 3 from RGS_CARD"),
                  {QString::fromUtf8(name), QString::fromUtf8(egn)});
    dm->Transaction.commit();
    dm->MainQuery.SQL[2] = QStringLiteral("order by PERSON_ID");
    zv::OpenInvalidEgnList(dm->MainQuery);
    ASSERT_EQ(dm->MainQuery.recordCount(), 3);
    w = std::make_unique<TEGNRepair>();
  }
  void TearDown() override {
    w.reset();
    if (dm->Database.connected()) dm->disconnectCommitting();
    dm.reset();
  }
  void showOn(int row) {
    dm->MainQuery.setRecNo(row);
    w->show();
    w->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(w.get()));
  }
  void type(const QString &text) {
    w->EgnEdit->setText(text);
    QTest::keyClick(w->EgnEdit, Qt::Key_Return);
  }
  // The stored number as another workstation sees it.
  QString committedEgn(const QString &name) {
    fb::Database db;
    db.databaseName = reg.path;
    db.connect();
    fb::Transaction tr(db);
    zv::Query q(db, tr);
    q.SQL = QStringList{QStringLiteral("select EGN from RGS_PERSON where NAME = '%1'").arg(name)};
    q.open();
    const QString egn = q.fieldByName(QStringLiteral("EGN")).asString().trimmed();
    tr.commit();
    return egn;
  }
  bool readyForNext() const {
    return w->EgnEdit->hasFocus() && w->EgnEdit->selectedText() == w->EgnEdit->text() && !w->EgnEdit->text().isEmpty();
  }
};

TEST_F(EgnRepairTest, ShowsTheCurrentRowAndStoresAValidNumberAtOnce) {
  showOn(1);
  EXPECT_EQ(w->windowTitle(), QStringLiteral("Редактиране на ЕГН"));
  EXPECT_EQ(w->DBText1->text(), QStringLiteral("Втори"));
  EXPECT_EQ(w->EgnEdit->text(), QStringLiteral("12345"));
  EXPECT_TRUE(readyForNext());
  type(kValid);
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown()[0].text, QStringLiteral("ЕГН-то е сменено."));
  EXPECT_EQ(Dialogs::shown()[0].caption, QStringLiteral("Редактиране на ЕГН"));
  EXPECT_EQ(committedEgn(QStringLiteral("Втори")), kValid);  // committed retaining
  EXPECT_TRUE(readyForNext());
  // no history entry, and the list is not reloaded
  zv::Query q(dm->Database, dm->Transaction);
  q.SQL = QStringList{QStringLiteral("select count(*) from INF_LOG")};
  q.open();
  EXPECT_EQ(q.value(0, 0).toInt(), 0);
  EXPECT_EQ(dm->MainQuery.recordCount(), 3);
}

TEST_F(EgnRepairTest, WrongCheckDigitAsksAndNineDigitsAreRefused) {
  showOn(0);
  type(QStringLiteral("010101007"));
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown()[0].kind, QStringLiteral("message"));
  EXPECT_EQ(Dialogs::shown()[0].text, QStringLiteral("ЕГН-то не е 10 цифри!"));
  EXPECT_EQ(Dialogs::shown()[0].caption, QStringLiteral("Невалидно ЕГН"));
  EXPECT_TRUE(readyForNext());

  Dialogs::clearShown();
  Dialogs::queueAnswer(false);
  type(QStringLiteral("0101010071"));
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown()[0].text, QStringLiteral("ЕГН-то не отговаря на валидна дата.Желаете ли го запишете?"));
  EXPECT_EQ(Dialogs::shown()[0].caption, QStringLiteral("Невалидно ЕГН"));
  EXPECT_EQ(committedEgn(QStringLiteral("Първи")), QStringLiteral("0101010070"));

  Dialogs::clearShown();
  Dialogs::queueAnswer(true);
  type(QStringLiteral("0101010071"));
  EXPECT_EQ(Dialogs::lastText(), QStringLiteral("ЕГН-то е сменено."));
  EXPECT_EQ(committedEgn(QStringLiteral("Първи")), QStringLiteral("0101010071"));
}

TEST_F(EgnRepairTest, KeysMoveThroughTheList) {
  QSignalSpy moved(w.get(), &TEGNRepair::rowMoved);
  showOn(0);
  QTest::keyClick(w->EgnEdit, Qt::Key_Down);
  EXPECT_EQ(w->DBText1->text(), QStringLiteral("Втори"));
  QTest::keyClicks(w->EgnEdit, QStringLiteral("<"));
  EXPECT_EQ(w->DBText1->text(), QStringLiteral("Трети"));
  EXPECT_EQ(w->EgnEdit->text(), QStringLiteral("0002290001"));  // the "<" was not typed
  QTest::keyClick(w->EgnEdit, Qt::Key_Down);                      // the last row: stays
  EXPECT_EQ(w->DBText1->text(), QStringLiteral("Трети"));
  EXPECT_EQ(dm->MainQuery.recNo(), 2);
  QTest::keyClick(w->EgnEdit, Qt::Key_Up);
  EXPECT_EQ(w->DBText1->text(), QStringLiteral("Втори"));
  EXPECT_TRUE(readyForNext());
  w->nbFirst->click();
  EXPECT_EQ(w->DBText1->text(), QStringLiteral("Първи"));
  ASSERT_EQ(moved.size(), 5);
  EXPECT_EQ(moved.last().at(0).toInt(), 0);
  EXPECT_TRUE(Dialogs::shown().isEmpty());
}

TEST_F(EgnRepairTest, OnlyThePictureButtonClosesWithOk) {
  dm->MainQuery.setRecNo(0);
  zvtest::onModal<TEGNRepair>([](TEGNRepair *d) { QTest::keyClick(d->EgnEdit, Qt::Key_Escape); });
  EXPECT_EQ(w->Execute(), QDialog::Rejected);
  zvtest::onModal<TEGNRepair>([](TEGNRepair *d) { d->SpeedButton2->click(); });
  EXPECT_EQ(w->Execute(), QDialog::Accepted);
  EXPECT_FALSE(dm->Person.active());
}

}  // namespace

namespace {

TEST_F(EgnRepairTest, HostileTextsAreRefusedAndNothingIsStored) {
  showOn(0);
  const QString texts[] = {QStringLiteral("'; drop table rgs_card; --"), QStringLiteral("01010'0070"),
                           QStringLiteral("010101007%"), QStringLiteral("01010_0070"), QStringLiteral("0101\\10070"),
                           QStringLiteral("01010\n0070"), QStringLiteral("01010100701234567890"),
                           QStringLiteral("０１０１０１００７０"), QStringLiteral("Ω101010070")};
  for (const QString &text : texts) {
    SCOPED_TRACE(text.toStdString());
    Dialogs::clearShown();
    type(text);
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_EQ(Dialogs::shown()[0].text, QStringLiteral("ЕГН-то не е 10 цифри!"));
    EXPECT_EQ(committedEgn(QStringLiteral("Първи")), QStringLiteral("0101010070"));
  }
}

}  // namespace
