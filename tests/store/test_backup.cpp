// Backups through zv-admin: a demo register backed up and restored elsewhere
// holds every row of every table; an existing register is overwritten only
// when asked.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QUuid>

#include "Dataset.h"
#include "Fb.h"
#include "Install.h"
#include "TempRegister.h"

namespace {

struct AdminRun {
  int code;
  QString out, err;
};

AdminRun admin(const QStringList &args) {
  QProcess p;
  p.start(QStringLiteral(ZV_ADMIN), args);
  EXPECT_TRUE(p.waitForFinished(120000));
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString user() { return qEnvironmentVariable("ISC_USER", QStringLiteral("SYSDBA")); }

// Every row of every table, each as one text, in key order.
QStringList everything(const QString &path) {
  fb::Database db;
  db.databaseName = path;
  db.userName = user();
  db.password = qEnvironmentVariable("ISC_PASSWORD");
  db.connect();
  fb::Transaction tr(db);
  QStringList rows;
  for (const char *table : {"RGS_CARD", "RGS_PERSON", "NOM", "INF_LOG", "KLAS_NOM", "USERS"}) {
    zv::Query q(db, tr);
    q.SQL = QStringList{QStringLiteral("select * from %1 order by 1").arg(QLatin1String(table))};
    q.open();
    for (int r = 0; r < q.recordCount(); ++r) {
      QStringList cells{QLatin1String(table)};
      for (int c = 0; c < q.fieldCount(); ++c) cells << q.value(r, c).toString();
      rows << cells.join(QLatin1Char('|'));
    }
  }
  tr.rollback();
  db.disconnect();
  return rows;
}

void dropRegister(const QString &path) {
  fb::Database db;
  db.databaseName = path;
  db.userName = user();
  db.password = qEnvironmentVariable("ISC_PASSWORD");
  try {
    db.connect();
    isc_drop_database(nullptr, db.handle());
  } catch (...) {
  }
}

void roundTrip(const QString &source, const QString &target) {
  QTemporaryDir dir;
  ASSERT_EQ(admin({QStringLiteral("demo"), QStringLiteral("--database"), source, QStringLiteral("--cards"),
                   QStringLiteral("40")})
                .code,
            0);
  const QString file = dir.filePath(QStringLiteral("register.fbk"));
  const AdminRun b = admin({QStringLiteral("backup"), QStringLiteral("--database"), source, QStringLiteral("--out"), file});
  ASSERT_EQ(b.code, 0) << b.err.toStdString();
  // personal data: the owner's only
  constexpr QFileDevice::Permissions kOwnerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;
  EXPECT_EQ(QFileInfo(file).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), kOwnerOnly);
  if (!fb::Database::isRemote(source)) {
    EXPECT_EQ(QFileInfo(source).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser), kOwnerOnly);
  }
  const AdminRun r =
      admin({QStringLiteral("restore"), QStringLiteral("--from"), file, QStringLiteral("--database"), target});
  ASSERT_EQ(r.code, 0) << r.err.toStdString();
  const QStringList rows = everything(source);
  EXPECT_GT(rows.size(), 100);
  EXPECT_EQ(everything(target), rows);

  // Restoring over a register is refused unless told to replace it.
  const AdminRun again =
      admin({QStringLiteral("restore"), QStringLiteral("--from"), file, QStringLiteral("--database"), source});
  EXPECT_EQ(again.code, 1);
  EXPECT_TRUE(again.err.contains(QStringLiteral("--replace"))) << again.err.toStdString();
  const AdminRun replaced = admin({QStringLiteral("restore"), QStringLiteral("--from"), file, QStringLiteral("--database"),
                              source, QStringLiteral("--replace")});
  EXPECT_EQ(replaced.code, 0) << replaced.err.toStdString();
  EXPECT_EQ(everything(source), rows);
}

TEST(Backup, EmbeddedRegisterRoundTrips) {
  TempRegister reg;
  roundTrip(reg.path, reg.dir.filePath(QStringLiteral("restored.fdb")));
}

TEST(Backup, ServerRegisterRoundTrips) {
  const QString base = qEnvironmentVariable("ZV_TEST_SERVER");
  if (base.isEmpty()) GTEST_SKIP() << "no Firebird server: set ZV_TEST_SERVER=host:/folder (scripts/fbserver.sh)";
  const QString id = QUuid::createUuid().toString(QUuid::Id128);
  const QString source = base + QStringLiteral("/bk-") + id + QStringLiteral(".fdb");
  const QString target = base + QStringLiteral("/rs-") + id + QStringLiteral(".fdb");
  zv::InstallOptions o;
  o.database = source;
  o.dbUser = user();
  o.dbPassword = qEnvironmentVariable("ISC_PASSWORD");
  o.adminPassword = QStringLiteral("x");
  zv::createRegister(o);
  roundTrip(source, target);
  dropRegister(source);
  dropRegister(target);
}

TEST(Backup, BadArgumentsGiveTheUsage) {
  EXPECT_EQ(admin({QStringLiteral("backup"), QStringLiteral("--database")}).code, 2);
  const AdminRun r = admin({QStringLiteral("restore"), QStringLiteral("--from"), QStringLiteral("x.fbk")});
  EXPECT_EQ(r.code, 2);
  EXPECT_TRUE(r.err.startsWith(QStringLiteral("usage: zv-admin restore"))) << r.err.toStdString();
}

}  // namespace
