// Two workstations sharing one register on a real Firebird server. The tests
// skip when no server is named in ZV_TEST_SERVER (host:/folder), as set up by
// scripts/fbserver.sh; CI always starts one.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QUuid>

#include "DataModule.h"
#include "Install.h"

namespace {

class TwoWorkstations : public ::testing::Test {
 protected:
  QString path;
  TDataModule1 ws1, ws2;
  void SetUp() override {
    const QString base = qEnvironmentVariable("ZV_TEST_SERVER");
    if (base.isEmpty()) GTEST_SKIP() << "no Firebird server: set ZV_TEST_SERVER=host:/folder (scripts/fbserver.sh)";
    path = base + QStringLiteral("/ws-") + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".fdb");
    zv::InstallOptions o;
    o.database = path;
    o.dbUser = qEnvironmentVariable("ISC_USER", QStringLiteral("SYSDBA"));
    o.dbPassword = qEnvironmentVariable("ISC_PASSWORD");
    o.adminPassword = QStringLiteral("x");
    zv::createRegister(o);
    ws1.connectTo(path, o.dbUser, o.dbPassword);
    ws2.connectTo(path, o.dbUser, o.dbPassword);
  }
  void TearDown() override {
    for (TDataModule1 *ws : {&ws1, &ws2})
      if (ws->Database.connected()) {
        ws->Transaction.rollback();
        ws->Database.disconnect();
      }
    if (!path.isEmpty()) {
      fb::Database db;
      db.databaseName = path;
      db.userName = qEnvironmentVariable("ISC_USER", QStringLiteral("SYSDBA"));
      db.password = qEnvironmentVariable("ISC_PASSWORD");
      try {
        db.connect();
        isc_drop_database(nullptr, db.handle());
      } catch (...) {
      }
    }
  }
  static void insertCard(TDataModule1 &ws, int regNum, const QString &address) {
    ws.Transaction.ensure();
    fb::execute(ws.Database, ws.Transaction,
                QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS) "
                               "values (?, '01.01.2020', ?, 1, 9, 'Default', 1)"),
                {regNum, address});
  }
  static QStringList addresses(TDataModule1 &ws, int regNum) {
    zv::Query q(ws.Database, ws.Transaction);
    q.SQL = QStringList{QStringLiteral("select ADRESS from RGS_CARD where REG_NUM = %1").arg(regNum)};
    q.open();
    QStringList out;
    for (q.first(); !q.eof(); q.next()) out << q.fieldByName(QStringLiteral("ADRESS")).asString().trimmed();
    return out;
  }
};

TEST_F(TwoWorkstations, SameNumberTwiceGivesTheSecondTheServersError) {
  // Both at once: the second fails at once (no wait) instead of freezing.
  insertCard(ws1, 100, QStringLiteral("Първа станция"));
  try {
    insertCard(ws2, 100, QStringLiteral("Втора станция"));
    FAIL() << "the second insert was accepted";
  } catch (const fb::Error &e) {
    EXPECT_FALSE(e.text().isEmpty());
  }
  ws2.Transaction.rollback();
  ws1.Transaction.commit();
  EXPECT_EQ(addresses(ws2, 100), QStringList{QStringLiteral("Първа станция")});

  // After the first has committed: the unique index refuses it.
  insertCard(ws1, 101, QStringLiteral("Първа станция"));
  ws1.Transaction.commit();
  try {
    insertCard(ws2, 101, QStringLiteral("Втора станция"));
    FAIL() << "the second insert was accepted";
  } catch (const fb::Error &e) {
    EXPECT_TRUE(e.text().contains(QStringLiteral("RGS_CARD_IDX1"))) << e.text().toStdString();
  }
  ws2.Transaction.rollback();
  EXPECT_EQ(addresses(ws1, 101), QStringList{QStringLiteral("Първа станция")});
}

}  // namespace
