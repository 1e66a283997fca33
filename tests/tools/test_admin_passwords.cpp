// Passwords reach zv-admin without the command line, and the login
// configuration that holds the database password is kept private.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "Dataset.h"
#include "Fb.h"
#include "LoginConfig.h"
#include "Passwords.h"

namespace {

struct AdminRun {
  int code;
  QString out, err;
};

AdminRun admin(const QStringList &args, const QByteArray &input = QByteArray()) {
  QProcess p;
  p.start(QStringLiteral(ZV_ADMIN), args);
  p.write(input);
  p.closeWriteChannel();
  EXPECT_TRUE(p.waitForFinished(60000));
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

QString storedHash(const QString &path, const QString &login) {
  fb::Database db;
  db.databaseName = path;
  db.connect();
  fb::Transaction tr(db);
  zv::Query q(db, tr);
  q.SQL = QStringList{QStringLiteral("select PWHASH from USERS where LOGIN = '%1'").arg(login)};
  q.open();
  const QString h = q.isEmpty() ? QString() : q.value(0, 0).toString().trimmed();
  q.close();
  tr.rollback();
  db.disconnect();
  return h;
}

TEST(AdminPasswords, StdinPasswordIsStoredAndTheCommandLineOneWarns) {
  QTemporaryDir dir;
  const QString db = dir.filePath(QStringLiteral("r.fdb"));
  const AdminRun c = admin({QStringLiteral("create"), QStringLiteral("--database"), db, QStringLiteral("--password-stdin")},
                           "Тайна-Парола 1\n");
  ASSERT_EQ(c.code, 0) << c.err.toStdString();
  EXPECT_FALSE(c.out.contains(QStringLiteral("password:"))) << "a given password is not printed";
  EXPECT_FALSE(c.err.contains(QStringLiteral("warning")));
  EXPECT_TRUE(zv::verifyPassword(storedHash(db, QStringLiteral("admin")), QStringLiteral("Тайна-Парола 1")));

  const AdminRun u = admin({QStringLiteral("user"), QStringLiteral("--database"), db, QStringLiteral("--login"),
                            QStringLiteral("ivan"), QStringLiteral("--name"), QStringLiteral("Иван"),
                            QStringLiteral("--role"), QStringLiteral("USER2"), QStringLiteral("--password"),
                            QStringLiteral("visible-1")});
  ASSERT_EQ(u.code, 0) << u.err.toStdString();
  EXPECT_TRUE(u.err.contains(QStringLiteral("visible to other users"))) << u.err.toStdString();
  EXPECT_TRUE(zv::verifyPassword(storedHash(db, QStringLiteral("ivan")), QStringLiteral("visible-1")));

  const AdminRun changed =
      admin({QStringLiteral("user"), QStringLiteral("--database"), db, QStringLiteral("--login"), QStringLiteral("ivan"),
             QStringLiteral("--name"), QStringLiteral("Иван"), QStringLiteral("--role"), QStringLiteral("USER2"),
             QStringLiteral("--password-stdin")},
            "new-secret-2\r\n");
  ASSERT_EQ(changed.code, 0) << changed.err.toStdString();
  EXPECT_TRUE(zv::verifyPassword(storedHash(db, QStringLiteral("ivan")), QStringLiteral("new-secret-2")));

  // Both ways at once is a usage error.
  EXPECT_EQ(admin({QStringLiteral("create"), QStringLiteral("--database"), dir.filePath(QStringLiteral("x.fdb")),
                   QStringLiteral("--password-stdin"), QStringLiteral("--password"), QStringLiteral("p")})
                .code,
            2);
}

// A role the program does not know would let the user in with no rights at
// all: zv-admin refuses it and writes nothing.
TEST(AdminUsers, UnknownRoleIsRefusedAndNothingWritten) {
  QTemporaryDir dir;
  const QString db = dir.filePath(QStringLiteral("r.fdb"));
  ASSERT_EQ(admin({QStringLiteral("create"), QStringLiteral("--database"), db, QStringLiteral("--password-stdin")},
                  "Тайна-Парола 1\n")
                .code,
            0);
  const auto user = [&](const QString &login, const QString &role) {
    return admin({QStringLiteral("user"), QStringLiteral("--database"), db, QStringLiteral("--login"), login,
                  QStringLiteral("--name"), QStringLiteral("Иван"), QStringLiteral("--role"), role,
                  QStringLiteral("--password"), QStringLiteral("secret-12")});
  };
  for (const QString &role : {QStringLiteral("ADMIN"), QStringLiteral("user1"), QString(), QStringLiteral(" USER1")}) {
    SCOPED_TRACE(role.toStdString());
    const AdminRun r = user(QStringLiteral("ivan"), role);
    EXPECT_EQ(r.code, 2);
    EXPECT_TRUE(r.err.contains(QStringLiteral("unknown role"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("usage: zv-admin user"))) << r.err.toStdString();
    EXPECT_EQ(storedHash(db, QStringLiteral("ivan")), QString());
  }
  // An existing user keeps role and password.
  EXPECT_EQ(user(QStringLiteral("admin"), QStringLiteral("ADMIN")).code, 2);
  EXPECT_TRUE(zv::verifyPassword(storedHash(db, QStringLiteral("admin")), QStringLiteral("Тайна-Парола 1")));
  EXPECT_EQ(user(QStringLiteral("ivan"), QStringLiteral("USER6")).code, 0);

  // A name is one user's: another login under it is refused, the same login
  // keeps it.
  const AdminRun twice = user(QStringLiteral("ivan2"), QStringLiteral("USER2"));
  EXPECT_EQ(twice.code, 1);
  EXPECT_TRUE(twice.err.contains(QStringLiteral("the name 'Иван' belongs to the login 'ivan'"))) << twice.err.toStdString();
  EXPECT_EQ(storedHash(db, QStringLiteral("ivan2")), QString());
  EXPECT_EQ(user(QStringLiteral("ivan"), QStringLiteral("USER3")).code, 0);

  // A demo of more cards than any register holds is refused before it starts.
  const AdminRun huge = admin({QStringLiteral("demo"), QStringLiteral("--database"), db, QStringLiteral("--cards"),
                               QStringLiteral("2147483647")});
  EXPECT_EQ(huge.code, 2);
  EXPECT_TRUE(huge.err.contains(QStringLiteral("--cards takes at most 1000000"))) << huge.err.toStdString();
}

TEST(AdminPasswords, LoginConfigurationReadableByOthersIsReported) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("qrnlogin.ini"));
  EXPECT_TRUE(qrnlogin::permissionWarning(path).isEmpty()) << "no file, nothing to say";
  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  f.write("[Database]\nPassword=secret\n");
  f.close();
  ASSERT_TRUE(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner));
  EXPECT_TRUE(qrnlogin::permissionWarning(path).isEmpty());
  ASSERT_TRUE(f.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadGroup |
                               QFileDevice::ReadOther));
  EXPECT_TRUE(qrnlogin::permissionWarning(path).contains(QStringLiteral("chmod 600 ") + path));
}

}  // namespace
