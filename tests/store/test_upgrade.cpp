// The register's upgrade step and the one-time conversion of incomes from
// leva to euro: on registers of the previous version, twice over, against a
// card locked elsewhere, and from two workstations at once, embedded and on
// a Firebird server (the server cases skip when ZV_TEST_SERVER is unset, see
// scripts/fbserver.sh).
#include <gtest/gtest.h>

#include <QUuid>
#include <thread>

#include "DataModule.h"
#include "Install.h"
#include "Session.h"
#include "TempRegister.h"
#include "Upgrade.h"

// Readable failures: texts print as UTF-8.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

namespace {

// The program's own tables, in the order the upgrade adds them.
const QStringList kOwnTables = {QStringLiteral("REGISTER_STEPS"), QStringLiteral("LOGIN_FAILURES"),
                                QStringLiteral("REGISTER_LOCKS")};

TEST(LevaToEuro, HalfUpToTheCentOnTheTypedAmount) {
  const struct {
    double leva, euro;
  } cases[] = {
      {1955.83, 1000.00}, {100, 51.13},      {1.95583, 1.00},   {0, 0},        {0.01, 0.01},
      {0.00977915, 0.01},  // exactly half a cent goes up
      {0.00977914, 0.00},  {12345.67, 6312.24}, {36000, 18406.51}, {-100, -51.13}, {1955830, 1000000.00},
  };
  for (const auto &c : cases) {
    const double euro = zv::LevaToEuro(c.leva);
    EXPECT_EQ(euro, c.euro) << c.leva << " -> " << QString::number(euro, 'g', 17).toStdString();
  }
}

// A register somewhere: an embedded file, or a file on the test server.
struct RegisterPlace {
  QString path, user = QStringLiteral("SYSDBA"), password;
  std::unique_ptr<TempRegister> local;

  // False when the server is asked for and none is named.
  bool make(bool onServer) {
    if (!onServer) {
      local = std::make_unique<TempRegister>();
      path = local->path;
      return true;
    }
    const QString base = qEnvironmentVariable("ZV_TEST_SERVER");
    if (base.isEmpty()) return false;
    user = qEnvironmentVariable("ISC_USER", QStringLiteral("SYSDBA"));
    password = qEnvironmentVariable("ISC_PASSWORD");
    path = base + QStringLiteral("/euro-") + QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".fdb");
    zv::InstallOptions o;
    o.database = path;
    o.dbUser = user;
    o.dbPassword = password;
    o.adminPassword = QStringLiteral("x");
    zv::createRegister(o);
    return true;
  }
  void drop() {
    if (local || path.isEmpty()) return;
    fb::Database db;
    aim(db);
    try {
      db.connect();
      isc_drop_database(nullptr, db.handle());
    } catch (...) {
    }
  }
  void aim(fb::Database &db) const {
    db.databaseName = path;
    db.userName = user;
    db.password = password;
  }
  // Statements run and committed on a connection of their own.
  void run(const QStringList &sqls) const {
    fb::Database db;
    aim(db);
    db.connect();
    fb::Transaction tr(db);
    for (const QString &sql : sqls) {
      tr.ensure();
      fb::execute(db, tr, sql);
      tr.commit();
    }
    db.disconnect();
  }
  // Committed rows as "a|b|c", read as another workstation would.
  QStringList rows(const QString &sql) const {
    fb::Database db;
    aim(db);
    db.connect();
    fb::Transaction tr(db);
    fb::Statement q(db, tr);
    tr.ensure();
    q.prepare(sql);
    q.execute();
    QStringList out;
    while (q.fetch()) {
      QStringList cells;
      for (int c = 0; c < q.columnCount(); ++c) {
        const QVariant v = q.value(c);
        cells << (!v.isValid() ? QStringLiteral("NULL")
                  : v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 17)
                                                    : v.toString().trimmed());
      }
      out << cells.join(QLatin1Char('|'));
    }
    q.closeCursor();
    tr.commit();
    db.disconnect();
    return out;
  }
  QStringList incomes() const { return rows(QStringLiteral("select INCOME from RGS_CARD order by REG_NUM")); }
  QStringList history() const { return rows(QStringLiteral("select U_NAME, TYPE_T, T_ID, T_TEXT from INF_LOG")); }
  QStringList steps() const { return rows(QStringLiteral("select STEP, DONE_BY from REGISTER_STEPS")); }

  // Turns the register into one of the previous version with cards of these
  // incomes (in leva): without the mark of the conversion, or (noTable)
  // without the program's own tables.
  void makeOld(const QStringList &incomes, bool noTable = false) const {
    QStringList sql;
    if (noTable)
      for (const QString &t : kOwnTables) sql << QStringLiteral("drop table ") + t;
    else
      sql << QStringLiteral("delete from REGISTER_STEPS");
    for (int i = 0; i < incomes.size(); ++i)
      sql << QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS, INCOME) "
                            "values (%1, '01.02.2003', 'адрес', 1, 9, 'Default', 1, %2)")
                 .arg(i + 1)
                 .arg(incomes[i]);
    run(sql);
  }
};

const QStringList kLeva{QStringLiteral("1955.83"), QStringLiteral("100"), QStringLiteral("NULL")};
const QStringList kEuro{QStringLiteral("1000"), QStringLiteral("51.130000000000003"), QStringLiteral("NULL")};
const QString kUser = QStringLiteral("Иван Петров");
const QString kEntry = kUser + QStringLiteral(
                                   "|SYSTEM|1|Доходите са превалутирани от лева в евро: 2 картона "
                                   "(1 евро = 1,95583 лв.)");

// One workstation on an embedded register, opening it as the program does.
class EuroConversion : public ::testing::Test {
 protected:
  RegisterPlace reg;
  TDataModule1 dm;
  void SetUp() override {
    zv::session() = zv::Session{kUser, QStringLiteral("1"), QStringLiteral("ivan")};
    reg.make(false);
    ASSERT_EQ(DataModule1, &dm);
  }
  void TearDown() override {
    if (dm.Database.connected()) dm.disconnectCommitting();
  }
  // An opening: connect, upgrade, convert; the number converted.
  int open() {
    if (dm.Database.connected()) dm.disconnectCommitting();
    dm.connectTo(reg.path, reg.user, reg.password);
    zv::UpgradeRegister(dm.Database, dm.Transaction);
    return zv::ConvertIncomesToEuro();
  }
};

TEST_F(EuroConversion, OldRegisterConvertedOnceWithOneHistoryEntry) {
  reg.makeOld(kLeva);
  EXPECT_EQ(open(), 2);
  EXPECT_EQ(reg.incomes(), kEuro);
  EXPECT_EQ(reg.history(), QStringList{kEntry});
  EXPECT_EQ(reg.steps(), QStringList{zv::kEuroStep + QLatin1Char('|') + kUser});
  // Opened again: nothing more happens.
  EXPECT_EQ(open(), 0);
  EXPECT_EQ(reg.incomes(), kEuro);
  EXPECT_EQ(reg.history(), QStringList{kEntry});
}

TEST_F(EuroConversion, PreviousVersionGetsTheTableOnceAndTheSharedTablesStay) {
  const QString columns = QStringLiteral(
      "select trim(RDB$RELATION_NAME) || '.' || trim(RDB$FIELD_NAME) from RDB$RELATION_FIELDS "
      "where RDB$SYSTEM_FLAG = 0 order by 1");
  reg.makeOld(kLeva, true);
  const QStringList before = reg.rows(columns);
  dm.connectTo(reg.path, reg.user, reg.password);
  EXPECT_EQ(zv::UpgradeRegister(dm.Database, dm.Transaction).createdTables, kOwnTables);
  EXPECT_TRUE(zv::UpgradeRegister(dm.Database, dm.Transaction).createdTables.isEmpty());
  QStringList after = reg.rows(columns);
  after.removeIf([](const QString &c) { return kOwnTables.contains(c.section(QLatin1Char('.'), 0, 0)); });
  EXPECT_EQ(after, before);
  EXPECT_EQ(zv::ConvertIncomesToEuro(), 2);
  EXPECT_EQ(reg.incomes(), kEuro);
}

TEST_F(EuroConversion, NewRegisterIsInEuroAlready) {
  reg.run({QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS, INCOME) "
                          "values (1, '01.02.2003', 'адрес', 1, 9, 'Default', 1, 100)")});
  EXPECT_EQ(open(), 0);
  EXPECT_EQ(reg.incomes(), QStringList{QStringLiteral("100")});
  EXPECT_TRUE(reg.history().isEmpty());
}

TEST_F(EuroConversion, CardLockedElsewhereLeavesEverythingForTheNextOpening) {
  reg.makeOld(kLeva);
  fb::Database other;
  reg.aim(other);
  other.connect();
  fb::Transaction otherTr(other);
  otherTr.ensure();
  fb::execute(other, otherTr, QStringLiteral("update RGS_CARD set NOTES = 'пише се' where REG_NUM = 2"));
  EXPECT_THROW(open(), fb::Error);
  EXPECT_FALSE(dm.Transaction.active());
  EXPECT_EQ(reg.rows(QStringLiteral("select INCOME from RGS_CARD order by REG_NUM")),
            (QStringList{QStringLiteral("1955.8299999999999"), QStringLiteral("100"), QStringLiteral("NULL")}));
  EXPECT_TRUE(reg.steps().isEmpty());
  EXPECT_TRUE(reg.history().isEmpty());
  otherTr.commit();
  other.disconnect();
  EXPECT_EQ(open(), 2);
  EXPECT_EQ(reg.incomes(), kEuro);
}

// Two workstations at once, on an embedded file and on the server.
class TwoWorkstations : public ::testing::TestWithParam<bool> {
 protected:
  RegisterPlace reg;
  std::unique_ptr<TDataModule1> ws1, ws2;
  void SetUp() override {
    if (!reg.make(GetParam())) GTEST_SKIP() << "no Firebird server: set ZV_TEST_SERVER=host:/folder (scripts/fbserver.sh)";
    zv::session() = zv::Session{kUser, QStringLiteral("1"), QStringLiteral("ivan")};
    ws1 = std::make_unique<TDataModule1>();
    ws2 = std::make_unique<TDataModule1>();
  }
  void TearDown() override {
    for (auto *ws : {ws1.get(), ws2.get()})
      if (ws && ws->Database.connected()) {
        ws->Transaction.rollback();
        ws->Database.disconnect();
      }
    DataModule1 = nullptr;
    ws2.reset();
    ws1.reset();
    reg.drop();
  }
  void connectBoth() {
    for (auto *ws : {ws1.get(), ws2.get()}) ws->connectTo(reg.path, reg.user, reg.password);
  }
};

TEST_P(TwoWorkstations, ConvertingAtTheSameMomentConvertsOnce) {
  reg.makeOld(kLeva);
  connectBoth();
  int second = -1;
  QStringList seenBySecond;
  DataModule1 = ws1.get();
  const int first = zv::ConvertIncomesToEuro([&] {
    // The first holds its conversion uncommitted while the second opens.
    DataModule1 = ws2.get();
    second = zv::ConvertIncomesToEuro();
    seenBySecond = reg.incomes();
    DataModule1 = ws1.get();
  });
  EXPECT_EQ(first, 2);
  EXPECT_EQ(second, 0);
  EXPECT_EQ(seenBySecond.value(1), QStringLiteral("100")) << "the second wrote nothing";
  EXPECT_FALSE(ws2->Transaction.active());
  DataModule1 = ws2.get();
  EXPECT_EQ(zv::ConvertIncomesToEuro(), 0);
  EXPECT_EQ(reg.incomes(), kEuro);
  EXPECT_EQ(reg.history(), QStringList{kEntry});
}

TEST_P(TwoWorkstations, AddingTheTableAtTheSameMomentFailsNeither) {
  reg.makeOld({}, true);
  connectBoth();
  // The first has created the table and not yet committed it.
  ws1->Transaction.ensure();
  fb::execute(ws1->Database, ws1->Transaction,
              QStringLiteral("create table REGISTER_STEPS (STEP varchar(40) not null, DONE_AT date, DONE_BY "
                             "varchar(50), constraint PK_REGISTER_STEPS primary key (STEP))"));
  std::thread commitSoon([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    ws1->Transaction.commit();
  });
  zv::UpgradeReport report;
  EXPECT_NO_THROW(report = zv::UpgradeRegister(ws2->Database, ws2->Transaction));
  commitSoon.join();
  EXPECT_EQ(report.createdTables, kOwnTables.mid(1)) << "the other's table is not ours";
  EXPECT_TRUE(zv::UpgradeRegister(ws1->Database, ws1->Transaction).createdTables.isEmpty());
  DataModule1 = ws2.get();
  EXPECT_EQ(zv::ConvertIncomesToEuro(), 0);
  EXPECT_EQ(reg.steps(), QStringList{zv::kEuroStep + QLatin1Char('|') + kUser});
}

INSTANTIATE_TEST_SUITE_P(Place, TwoWorkstations, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool> &i) { return i.param ? "Server" : "Embedded"; });

}  // namespace
