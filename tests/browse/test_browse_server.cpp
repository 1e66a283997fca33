// Two workstations on one register on a real Firebird server: a status change
// on one keeps the note the other stored after the first listed the card.
// Skips when no server is named in ZV_TEST_SERVER (scripts/fbserver.sh).
#include <gtest/gtest.h>

#include <QUuid>

#include "CardStatus.h"
#include "DataModule.h"
#include "Install.h"
#include "Session.h"
#include "ZvDate.h"

namespace {

class TwoWorkstations : public ::testing::Test {
 protected:
  QString path, user, password;
  std::unique_ptr<TDataModule1> ws1, ws2;  // ws1 is the program's data module

  void SetUp() override {
    const QString base = qEnvironmentVariable("ZV_TEST_SERVER");
    if (base.isEmpty()) GTEST_SKIP() << "no Firebird server: set ZV_TEST_SERVER=host:/folder (scripts/fbserver.sh)";
    user = qEnvironmentVariable("ISC_USER", QStringLiteral("SYSDBA"));
    password = qEnvironmentVariable("ISC_PASSWORD");
    path = base + QStringLiteral("/browse-") + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".fdb");
    zv::InstallOptions o;
    o.database = path;
    o.dbUser = user;
    o.dbPassword = password;
    o.adminPassword = QStringLiteral("x");
    zv::createRegister(o);
    ws1 = std::make_unique<TDataModule1>();
    ws2 = std::make_unique<TDataModule1>();
    ASSERT_EQ(DataModule1, ws1.get());
    ws1->connectTo(path, user, password);
    ws2->connectTo(path, user, password);
    zv::setNow(QDateTime(QDate(2024, 6, 15), QTime(9, 0, 0)));
    zv::session().CurrentUserName = QStringLiteral("Първа станция");
  }
  void TearDown() override {
    zv::setNow(std::nullopt);
    for (auto *ws : {ws1.get(), ws2.get()})
      if (ws && ws->Database.connected()) ws->disconnectCommitting();
    ws2.reset();
    ws1.reset();
    if (!path.isEmpty()) {
      fb::Database db;
      db.databaseName = path;
      db.userName = user;
      db.password = password;
      try {
        db.connect();
        isc_drop_database(nullptr, db.handle());
      } catch (...) {
      }
    }
  }
};

TEST_F(TwoWorkstations, NoteStoredByTheOtherAfterListingSurvives) {
  ws1->Transaction.ensure();
  fb::execute(ws1->Database, ws1->Transaction,
              QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS, NOTES) "
                             "values (7, '01.01.2020', 'адрес', 1, 9, 'Default', 1, 'стара')"));
  fb::execute(ws1->Database, ws1->Transaction,
              QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE) "
                             "select CARD_ID, 'Титуляр', '0101010007', 0 from RGS_CARD"));
  ws1->Transaction.commit();
  // The first lists the card, then the second adds a note and commits.
  ws1->setMainLines(QStringLiteral("and P.PERSON_TYPE = 0 "), QStringLiteral(" order by Reg_Num"));
  ASSERT_EQ(ws1->MainQuery.recordCount(), 1);
  const int card = ws1->MainQuery.value(0, QStringLiteral("CARD_ID")).toInt();
  ws2->Transaction.ensure();
  fb::execute(ws2->Database, ws2->Transaction, QStringLiteral("update RGS_CARD set NOTES = ? where CARD_ID = ?"),
              {QStringLiteral("бележка от втората\r\nстара"), card});
  ws2->Transaction.commit();

  zv::SetCardStatus(card, 2);
  ws1->Transaction.commit();

  zv::Query q(ws2->Database, ws2->Transaction);
  q.SQL = QStringList{QStringLiteral("select STATUS, NOTES from RGS_CARD where CARD_ID = %1").arg(card)};
  q.open();
  EXPECT_EQ(q.value(0, 0).toInt(), 2);
  EXPECT_EQ(q.value(0, 1).toString(),
            QStringLiteral("{ Изпълнител: Първа станция\r\n  Дата и час: 15.06.2024 09:00:00\r\n  Тип: Системно\r\n"
                           "  Съобщение: 'Промяна на състояние от Вписан в картотеката  на Настанен ' }\r\n"
                           "бележка от втората\r\nстара\r\n"));
}

}  // namespace
