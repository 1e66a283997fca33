// The real program, started as a clerk starts it, with a stand-in login
// library beside it.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <csignal>

#include "Dataset.h"
#include "Fb.h"
#include "Install.h"
#include "TempRegister.h"

namespace {

QStringList logRows(const QString &path) {
  fb::Database db;
  db.databaseName = path;
  db.connect();
  fb::Transaction tr(db);
  zv::Query q(db, tr);
  q.SQL = QStringList{QStringLiteral("select T_TEXT from INF_LOG order by LOG_ID")};
  q.open();
  QStringList out;
  for (q.first(); !q.eof(); q.next()) out << q.fieldByName(QStringLiteral("T_TEXT")).asString();
  return out;
}

// A user the login library accepts but the register does not know, or one
// whose role is none of the known ones: the program shows the rights message
// and ends by itself.
TEST(Program, UserMissingFromTheRegisterOrWithAnUnknownRoleEndsTheProgram) {
  struct Case {
    QString user, login, role;
  };
  const Case cases[] = {
      {QStringLiteral("Никой Непознат"), QStringLiteral("nobody"), QStringLiteral("USER1")},
      {QStringLiteral("Администратор"), QStringLiteral("admin"), QStringLiteral("ADMIN")},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.role.toStdString());
    TempRegister reg;
    QTemporaryDir dir;
    const QString exe = dir.filePath(QStringLiteral("QuorinZV"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZV_PROGRAM), exe));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZV_LOGIN_STUB), dir.filePath(QStringLiteral("libQrnLogin.so"))));
    const QString seen = dir.filePath(QStringLiteral("seen.txt"));

    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    e.insert(QStringLiteral("HOME"), dir.path());
    e.insert(QStringLiteral("USERPROFILE"), dir.path());
    e.insert(QStringLiteral("ZV_STUB_DB"), reg.path);
    e.insert(QStringLiteral("ZV_STUB_USER"), c.user);
    e.insert(QStringLiteral("ZV_STUB_LOGIN"), c.login);
    e.insert(QStringLiteral("ZV_STUB_ROLE"), c.role);
    e.insert(QStringLiteral("ZV_STUB_SEEN"), seen);
    p.setProcessEnvironment(e);
    p.start(exe, {});
    ASSERT_TRUE(p.waitForStarted(10000));
    const bool ended = p.waitForFinished(30000);
    if (!ended) p.kill();
    ASSERT_TRUE(ended) << "the program kept running after the rights message";
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);

    QFile f(seen);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(f.readAll()),
              QStringLiteral("На потребителя не са предоставени коректни права! Моля предупредете администратора!|Добре\n"));
    // No history entry for the refused user; the settings file names the login.
    EXPECT_TRUE(logRows(reg.path).isEmpty());
    QFile ini(dir.filePath(QStringLiteral("zv.ini")));
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_TRUE(ini.readAll().contains("lastuser=" + c.login.toUtf8()));
  }
}

// The desktop ending its session sends SIGTERM (a closed terminal SIGHUP):
// the program ends at once, as by its close box, with the open transaction's
// work committed.
TEST(Program, TermAndHangUpEndTheProgramAsItsCloseBoxDoes) {
  for (const int signal : {SIGTERM, SIGHUP}) {
    TempRegister reg;
    QTemporaryDir dir;
    const QString exe = dir.filePath(QStringLiteral("QuorinZV"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZV_PROGRAM), exe));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZV_LOGIN_STUB), dir.filePath(QStringLiteral("libQrnLogin.so"))));
    QProcess p;
    QProcessEnvironment e = QProcessEnvironment::systemEnvironment();
    e.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    e.insert(QStringLiteral("HOME"), dir.path());
    e.insert(QStringLiteral("USERPROFILE"), dir.path());
    e.insert(QStringLiteral("ZV_STUB_DB"), reg.path);
    e.insert(QStringLiteral("ZV_STUB_USER"), QStringLiteral("Администратор"));
    e.insert(QStringLiteral("ZV_STUB_LOGIN"), QStringLiteral("admin"));
    e.insert(QStringLiteral("ZV_STUB_ROLE"), QStringLiteral("USER1"));
    e.insert(QStringLiteral("ZV_STUB_SEEN"), dir.filePath(QStringLiteral("seen.txt")));
    p.setProcessEnvironment(e);
    p.start(exe, {});
    ASSERT_TRUE(p.waitForStarted(10000));
    // The register is open once the settings file names the login; the
    // list opens right after.
    const QString ini = dir.filePath(QStringLiteral("zv.ini"));
    for (int i = 0; i < 300 && !QFile::exists(ini); ++i) QThread::msleep(100);
    ASSERT_TRUE(QFile::exists(ini));
    QThread::msleep(1500);
    ASSERT_EQ(p.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(p.processId()), signal);
    const bool ended = p.waitForFinished(10000);
    if (!ended) p.kill();
    ASSERT_TRUE(ended) << "the program ignored signal " << signal;
    EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(p.exitCode(), 0);
    // The login entry, pending in the open transaction, was committed.
    EXPECT_EQ(logRows(reg.path), QStringList{QStringLiteral("Влизане на потребител с име Администратор")});
  }
}

}  // namespace
