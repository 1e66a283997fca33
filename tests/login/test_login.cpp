// The login library driven through the program's own calls: the library is
// loaded by file name from beside this test, its dialogs are filled in and
// clicked from timers while they run modally, and every test works on a fresh
// embedded register.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <functional>
#include <ostream>

#include "Fb.h"
#include "Install.h"
#include "LogInfoRec.h"
#include "LoginCall.h"
#include "LoginThrottle.h"
#include "Modal.h"
#include "Passwords.h"
#include "QrnLogin.h"

// Readable texts in failure reports.
void PrintTo(const QString &s, std::ostream *os) { *os << '"' << s.toStdString() << '"'; }

namespace {

const QString kWrong = QStringLiteral("Грешно потребителско име или парола.");
const QString kAdminName = QStringLiteral("Мария Петрова");
const QString kAdminPassword = QStringLiteral("Парола-1");
const QString kIvanName = QStringLiteral("Иван Д'Арк");

using Step = std::function<void(QDialog *)>;

// Runs `step` once the modal dialog `name` is up, from inside its own event
// loop. A step must end the dialog (OK that succeeds, or Cancel).
void whenModal(const QString &name, Step step) { zvtest::onModal<QDialog>(step, name); }

template <typename T>
T *part(QDialog *dlg, const char *name) {
  T *w = dlg->findChild<T *>(QLatin1String(name));
  if (!w) {
    ADD_FAILURE() << "no " << name << " in " << dlg->objectName().toStdString();
    dlg->reject();  // do not leave the test waiting on the dialog
  }
  return w;
}

void fill(QDialog *dlg, const char *field, const QString &text) {
  if (auto *e = part<QLineEdit>(dlg, field)) e->setText(text);
}

void click(QDialog *dlg, const char *button) {
  if (auto *b = part<QPushButton>(dlg, button)) b->click();
}

QString errorText(QDialog *dlg) {
  auto *l = part<QLabel>(dlg, "lblError");
  return l ? l->text() : QString();
}

// One login attempt; returns the dialog's error text after OK.
QString tryLogin(QDialog *dlg, const QString &login, const QString &password) {
  fill(dlg, "edLogin", login);
  fill(dlg, "edPassword", password);
  click(dlg, "btnOk");
  return errorText(dlg);
}

QString tryChange(QDialog *dlg, const QString &oldPw, const QString &newPw, const QString &repeat) {
  fill(dlg, "edOldPassword", oldPw);
  fill(dlg, "edNewPassword", newPw);
  fill(dlg, "edRepeatPassword", repeat);
  click(dlg, "btnOk");
  return errorText(dlg);
}

// Fails the test and closes any modal dialog still open after `ms`: a call
// that should show nothing must not hang the run when it does.
class NoDialogGuard {
 public:
  explicit NoDialogGuard(int ms = 3000) {
    timer_.setSingleShot(true);
    QObject::connect(&timer_, &QTimer::timeout, [] {
      if (QWidget *w = QApplication::activeModalWidget()) {
        ADD_FAILURE() << "unexpected dialog " << w->objectName().toStdString();
        w->close();
      }
    });
    timer_.start(ms);
  }

 private:
  QTimer timer_;
};

class Login : public ::testing::Test {
 protected:
  QTemporaryDir dir;
  QString dbPath;
  QString configPath;
  TLogInfoRec *rec = nullptr;

  void SetUp() override {
    ASSERT_TRUE(dir.isValid());
    dbPath = dir.filePath(QStringLiteral("register.fdb"));
    zv::InstallOptions opt;
    opt.database = dbPath;
    opt.adminLogin = QStringLiteral("admin");
    opt.adminName = kAdminName;
    opt.adminPassword = kAdminPassword;
    zv::createRegister(opt);
    {
      fb::Database db;
      db.databaseName = dbPath;
      db.connect();
      fb::Transaction tr(db);
      zv::putUser(db, tr, QStringLiteral("ivan"), kIvanName, QStringLiteral("USER3"), QStringLiteral("tajna"));
    }
    configPath = dir.filePath(QStringLiteral("qrnlogin.ini"));
    writeConfig(QStringLiteral("[Database]\nPath=%1\nUser=SYSDBA\nPassword=\n").arg(dbPath));
    qputenv("QRNLOGIN_CONFIG", QFile::encodeName(configPath));
    SetLoginLibraryName(QString());
    rec = NewLoginRecord();
  }

  void TearDown() override {
    FreeLoginRecord();
    SetLoginLibraryName(QString());
    qunsetenv("QRNLOGIN_CONFIG");
  }

  void writeConfig(const QString &text) {
    QFile f(configPath);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(text.toUtf8());
  }

  bool callLogin() { return CallExternalLogin(QStringLiteral("ZV"), QStringLiteral("ZVAP"), 1, 1, rec); }

  // Logs in with one attempt that is expected to succeed.
  bool loginAs(const QString &login, const QString &password) {
    whenModal(QStringLiteral("QrnLoginDialog"), [=](QDialog *dlg) {
      const QString err = tryLogin(dlg, login, password);
      if (dlg->isVisible()) {
        ADD_FAILURE() << "login refused: " << err.toStdString();
        click(dlg, "btnCancel");
      }
    });
    return callLogin();
  }

  // Runs a statement on the register through a connection of its own.
  QVariant sql(const QString &text) {
    fb::Database db;
    db.databaseName = dbPath;
    db.connect();
    fb::Transaction tr(db);
    tr.start();
    fb::Statement q(db, tr);
    q.prepare(text);
    q.execute();
    const QVariant v = q.isSelect() && q.fetch() ? q.value(0) : QVariant();
    q.closeCursor();
    tr.commit();
    return v;
  }
  // The stored count of wrong passwords of a login name; -1 without a row.
  int failuresOf(const QString &login) {
    const QVariant v = sql(QStringLiteral("select FAILURES from LOGIN_FAILURES where LOGIN = '%1'").arg(login));
    return v.isValid() ? v.toInt() : -1;
  }
  // As if the wait after the last wrong password had passed.
  void letTheWaitPass() { sql(QStringLiteral("update LOGIN_FAILURES set LAST_FAILED_AT = LAST_FAILED_AT - 1")); }

  QString storedHash(const QString &login) {
    fb::Database db;
    db.databaseName = dbPath;
    db.connect();
    fb::Transaction tr(db);
    tr.start();
    fb::Statement q(db, tr);
    q.prepare(QStringLiteral("select PWHASH from USERS where LOGIN = ?"));
    q.execute({login});
    return q.fetch() ? q.value(0).toString() : QString();
  }
};

TEST(LoginRecord, FieldsLandAtTheirOffsets) {
  TLogInfoRec r;
  EXPECT_EQ(r.usersCount(), -1);
  EXPECT_EQ(r.rightsCount(), -1);
  EXPECT_TRUE(r.usersList().isEmpty());
  EXPECT_TRUE(r.rightsList().isEmpty());

  struct Case {
    logrec::TextField field;
    int offset;
    int width;  // characters kept of an overlong text
    int next;   // the byte after the field, which must stay untouched
  };
  const Case cases[] = {
      {logrec::DbPath, 0, 250, 251},     {logrec::PasswordChangeArg, 251, 250, 502},
      {logrec::DbUser, 502, 50, 553},    {logrec::DbPassword, 553, 50, 608},
      {logrec::UserName, 608, 50, 659},  {logrec::LoginName, 659, 101, 761},
      {logrec::Role, 761, 255, 1017},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.offset);
    unsigned char *p = r.data();
    std::memset(p, 0x5A, logrec::kRecordSize);
    // "Вход" in Windows-1251
    logrec::writeText(p, c.field, QStringLiteral("Вход"));
    EXPECT_EQ(p[c.offset], 4);
    EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(p + c.offset + 1), 4), QByteArray("\xC2\xF5\xEE\xE4"));
    EXPECT_EQ(logrec::readText(p, c.field), QStringLiteral("Вход"));

    logrec::writeText(p, c.field, QString(400, QLatin1Char('x')));
    EXPECT_EQ(p[c.offset], c.width);
    EXPECT_EQ(logrec::readText(p, c.field), QString(c.width, QLatin1Char('x')));
    EXPECT_EQ(p[c.next], 0x5A);
    if (c.offset > 0) {
      EXPECT_EQ(p[c.offset - 1], 0x5A);
    }
  }

  // A text with no Windows-1251 form is refused, not stored as question marks.
  EXPECT_THROW(logrec::writeText(r.data(), logrec::UserName, QStringLiteral("日本")), fb::EncodingError);

  std::memset(r.data(), 0, logrec::kRecordSize);
  logrec::writeInt(r.data(), logrec::UsersCount, 7);
  logrec::writeInt(r.data(), logrec::RightsCount, -1);
  const unsigned char users7[] = {7, 0, 0, 0};
  EXPECT_EQ(std::memcmp(r.data() + 1916, users7, 4), 0);
  EXPECT_EQ(r.rightsCount(), -1);
  EXPECT_EQ(std::memcmp(r.data() + 1924, "\xFF\xFF\xFF\xFF", 4), 0);
  r.attachList(logrec::Users, 3, logrec::kUserEntrySize);
  r.attachList(logrec::Rights, 2, logrec::kRightEntrySize);
  EXPECT_NE(logrec::readHandle(r.data(), 1920), 0u);
  EXPECT_NE(logrec::readHandle(r.data(), 1928), 0u);
  EXPECT_NE(logrec::readHandle(r.data(), 1920), logrec::readHandle(r.data(), 1928));
  EXPECT_EQ(r.usersList().size(), 3 * 108);
  EXPECT_EQ(r.rightsList().size(), 2 * 255);
}

TEST_F(Login, SuccessfulLoginFillsTheRecord) {
  struct Case {
    QString login, password, name, role;
  };
  const Case cases[] = {
      {QStringLiteral("admin"), kAdminPassword, kAdminName, QStringLiteral("USER1")},
      {QStringLiteral("ivan"), QStringLiteral("tajna"), kIvanName, QStringLiteral("USER3")},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.login.toStdString());
    rec = NewLoginRecord();
    QString title;
    bool hidden = false;
    whenModal(QStringLiteral("QrnLoginDialog"), [&, c](QDialog *dlg) {
      title = dlg->windowTitle();
      auto *pw = part<QLineEdit>(dlg, "edPassword");
      hidden = pw && pw->echoMode() == QLineEdit::Password;
      // Blanks typed around the login name are not part of it.
      tryLogin(dlg, QStringLiteral(" ") + c.login + QStringLiteral(" "), c.password);
      if (dlg->isVisible()) click(dlg, "btnCancel");
    });
    ASSERT_TRUE(callLogin());
    EXPECT_EQ(title, QStringLiteral("Вход"));
    EXPECT_TRUE(hidden);
    EXPECT_EQ(rec->dbPath(), dbPath);
    EXPECT_EQ(rec->dbUser(), QStringLiteral("SYSDBA"));
    EXPECT_EQ(rec->dbPassword(), QString());
    EXPECT_EQ(rec->userName(), c.name);
    EXPECT_EQ(rec->loginName(), c.login);
    EXPECT_EQ(rec->role(), c.role);
    EXPECT_EQ(rec->passwordChangeArg(), configPath);

    // Both lists are fetched into the record's own storage.
    ASSERT_EQ(rec->usersCount(), 2);
    ASSERT_EQ(rec->usersList().size(), 2 * logrec::kUserEntrySize);
    const char *second = rec->usersList().constData() + logrec::kUserEntrySize;
    EXPECT_EQ(logrec::readText(second, logrec::UserEntryLogin), QStringLiteral("ivan"));
    EXPECT_EQ(logrec::readText(second, logrec::UserEntryName), kIvanName);
    EXPECT_EQ(logrec::readText(second, logrec::UserEntryRole), QStringLiteral("USER3"));
    ASSERT_GT(rec->rightsCount(), 0);
    EXPECT_EQ(rec->rightsList().size(), rec->rightsCount() * logrec::kRightEntrySize);
    EXPECT_EQ(logrec::readText(rec->rightsList().constData(), logrec::RightEntryText), QStringLiteral("ZV:LOGIN"));
  }
  // The record's texts are Windows-1251: "Иван" begins the last user's name.
  EXPECT_EQ(QByteArray(reinterpret_cast<const char *>(rec->data() + 609), 4), QByteArray("\xC8\xE2\xE0\xED"));
}

TEST_F(Login, WrongLoginOrPasswordGetsOneNeutralMessage) {
  struct Attempt {
    QString login, password;
  };
  const Attempt wrong[] = {
      {QStringLiteral("admin"), QStringLiteral("парола-1")},  // case matters
      {QStringLiteral("admin"), QString()},
      {QStringLiteral("nobody"), kAdminPassword},
      {QStringLiteral("Admin"), kAdminPassword},
      {QString(), QString()},
      {QStringLiteral("ivan"), kAdminPassword},  // another user's password
  };
  QStringList messages;
  bool stillOpen = true;
  QString passwordLeft = QStringLiteral("?");
  whenModal(QStringLiteral("QrnLoginDialog"), [&](QDialog *dlg) {
    for (const Attempt &a : wrong) {
      messages << tryLogin(dlg, a.login, a.password);
      stillOpen = stillOpen && dlg->isVisible();
    }
    if (auto *pw = part<QLineEdit>(dlg, "edPassword")) passwordLeft = pw->text();
    click(dlg, "btnCancel");
  });
  EXPECT_FALSE(callLogin());
  ASSERT_EQ(messages.size(), int(std::size(wrong)));
  for (const QString &m : messages) EXPECT_EQ(m, kWrong);
  EXPECT_TRUE(stillOpen);
  EXPECT_EQ(passwordLeft, QString());
  // A refused login leaves the record as it was.
  EXPECT_EQ(rec->usersCount(), -1);
  EXPECT_EQ(rec->rightsCount(), -1);
  EXPECT_EQ(rec->dbPath(), QString());
  EXPECT_TRUE(rec->usersList().isEmpty());

  // The user may try again after a wrong password.
  QString first;
  whenModal(QStringLiteral("QrnLoginDialog"), [&](QDialog *dlg) {
    first = tryLogin(dlg, QStringLiteral("ivan"), QStringLiteral("wrong"));
    tryLogin(dlg, QStringLiteral("ivan"), QStringLiteral("tajna"));
    if (dlg->isVisible()) click(dlg, "btnCancel");
  });
  EXPECT_TRUE(callLogin());
  EXPECT_EQ(first, kWrong);
  EXPECT_EQ(rec->loginName(), QStringLiteral("ivan"));
}

TEST_F(Login, ConfigurationAndDatabaseProblemsShowInTheDialog) {
  struct Case {
    const char *what;
    QString config;    // empty: no file at all
    QString expected;  // the error text, or its start when the server's reason follows
    bool reasonFollows;
  };
  const QString missingDb = dir.filePath(QStringLiteral("none.fdb"));
  const Case cases[] = {
      {"no file", QString(), QStringLiteral("Липсва конфигурационният файл „%1“.").arg(configPath), false},
      {"no path", QStringLiteral("[Database]\nUser=SYSDBA\n"),
       QStringLiteral("В конфигурационния файл „%1“ не е посочена база данни ([Database] Path).").arg(configPath), false},
      {"no database", QStringLiteral("[Database]\nPath=%1\n").arg(missingDb),
       QStringLiteral("Базата данни „%1“ не може да бъде отворена:\n").arg(missingDb), true},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.what);
    QFile::remove(configPath);
    if (!c.config.isEmpty()) writeConfig(c.config);
    QString message;
    bool stillOpen = false;
    whenModal(QStringLiteral("QrnLoginDialog"), [&](QDialog *dlg) {
      message = tryLogin(dlg, QStringLiteral("admin"), kAdminPassword);
      stillOpen = dlg->isVisible();
      click(dlg, "btnCancel");
    });
    EXPECT_FALSE(callLogin());
    if (c.reasonFollows) {
      EXPECT_TRUE(message.startsWith(c.expected)) << message.toStdString();
      EXPECT_GT(message.size(), c.expected.size());
    } else {
      EXPECT_EQ(message, c.expected);
    }
    EXPECT_TRUE(stillOpen);
  }

  // A file corrected while the dialog is open is read at the next attempt;
  // a relative path is taken from the configuration file's folder.
  QFile::remove(configPath);
  whenModal(QStringLiteral("QrnLoginDialog"), [&](QDialog *dlg) {
    tryLogin(dlg, QStringLiteral("admin"), kAdminPassword);
    writeConfig(QStringLiteral("[Database]\nPath=register.fdb\n"));
    tryLogin(dlg, QStringLiteral("admin"), kAdminPassword);
    if (dlg->isVisible()) click(dlg, "btnCancel");
  });
  EXPECT_TRUE(callLogin());
  EXPECT_EQ(rec->dbPath(), dbPath);
  EXPECT_EQ(rec->dbUser(), QStringLiteral("SYSDBA"));
}

TEST_F(Login, MissingLibraryOrExports) {
  EXPECT_STREQ(LoginLibraryMissing(QStringLiteral("libQrnLogin.so")).what(), "Missing libQrnLogin.so.");
  EXPECT_EQ(LoginLibraryName(), QStringLiteral("libQrnLogin.so"));

  NoDialogGuard guard;
  SetLoginLibraryName(QStringLiteral("libQrnLoginGone.so"));
  try {
    callLogin();
    ADD_FAILURE() << "no error for a missing library";
  } catch (const LoginLibraryMissing &e) {
    EXPECT_STREQ(e.what(), "Missing libQrnLoginGone.so.");
  }
  // The password change says nothing when the library is missing.
  EXPECT_NO_THROW(CallExternalChangePWD());

  // A library that loads but has none of the calls: no login, no change.
  SetLoginLibraryName(QStringLiteral("libc.so.6"));
  EXPECT_FALSE(callLogin());
  EXPECT_EQ(rec->usersCount(), -1);
  EXPECT_NO_THROW(CallExternalChangePWD());
}

TEST_F(Login, PasswordChange) {
  ASSERT_TRUE(loginAs(QStringLiteral("ivan"), QStringLiteral("tajna")));
  const QString before = storedHash(QStringLiteral("ivan"));

  // Cancel leaves the password alone.
  whenModal(QStringLiteral("QrnChangePwdDialog"), [](QDialog *dlg) { click(dlg, "btnCancel"); });
  CallExternalChangePWD();
  EXPECT_EQ(storedHash(QStringLiteral("ivan")), before);

  const QString newPw = QStringLiteral("Нова парола 2");
  QStringList messages;
  bool closed = false;
  QString title;
  whenModal(QStringLiteral("QrnChangePwdDialog"), [&](QDialog *dlg) {
    title = dlg->windowTitle();
    messages << tryChange(dlg, QStringLiteral("wrong"), newPw, newPw);
    messages << tryChange(dlg, QStringLiteral("tajna"), newPw, newPw + QStringLiteral("x"));
    messages << tryChange(dlg, QStringLiteral("tajna"), QString(), QString());
    tryChange(dlg, QStringLiteral("tajna"), newPw, newPw);
    closed = !dlg->isVisible();
    if (!closed) click(dlg, "btnCancel");
  });
  CallExternalChangePWD();
  EXPECT_TRUE(closed);
  EXPECT_EQ(title, QStringLiteral("Промяна на паролата – Куорин ЗВ"));
  EXPECT_EQ(messages, QStringList({QStringLiteral("Старата парола е грешна."),
                                   QStringLiteral("Новата парола и повторената не съвпадат."),
                                   QStringLiteral("Новата парола не може да бъде празна.")}));

  const QString after = storedHash(QStringLiteral("ivan"));
  EXPECT_NE(after, before);
  EXPECT_TRUE(after.startsWith(QStringLiteral("$argon2id$"))) << after.toStdString();
  EXPECT_FALSE(after.contains(newPw));
  // Only this user's password changed.
  EXPECT_TRUE(zv::verifyPassword(storedHash(QStringLiteral("admin")), kAdminPassword));

  // The old password is refused now, the new one logs in.
  QString oldRefused;
  whenModal(QStringLiteral("QrnLoginDialog"), [&](QDialog *dlg) {
    oldRefused = tryLogin(dlg, QStringLiteral("ivan"), QStringLiteral("tajna"));
    tryLogin(dlg, QStringLiteral("ivan"), newPw);
    if (dlg->isVisible()) click(dlg, "btnCancel");
  });
  rec = NewLoginRecord();
  EXPECT_TRUE(callLogin());
  EXPECT_EQ(oldRefused, kWrong);
  EXPECT_EQ(rec->userName(), kIvanName);
}

TEST(LoginThrottle, WaitDoublesFromOneSecondAfterFiveFailuresUpToThirty) {
  const std::pair<int, int> waits[] = {{0, 0},  {4, 0},  {5, 1},   {6, 2},   {7, 4},
                                       {8, 8},  {9, 16}, {10, 30}, {11, 30}, {1000000, 30}};
  for (const auto &[failures, wait] : waits) EXPECT_EQ(zv::LoginWaitAfter(failures), wait) << failures;
  struct Case {
    int failures;
    qint64 elapsedMs;
    int left;
  };
  const Case cases[] = {
      {5, 0, 1},    {5, 999, 1},    {5, 1000, 0}, {6, 1, 2},  {6, 1001, 1},
      {4, 0, 0},    {10, 29001, 1}, {10, 60000, 0},
      {6, -5000, 2},  // a server clock set back: never longer than the wait itself
  };
  for (const Case &c : cases)
    EXPECT_EQ(zv::LoginSecondsLeft(c.failures, c.elapsedMs), c.left) << c.failures << " " << c.elapsedMs;
  EXPECT_EQ(zv::LoginWaitText(4), QStringLiteral("Опитайте отново след 4 секунди"));
}

// Five wrong passwords are answered as usual; from then on a try within the
// wait is refused at once, even with the right password, and is not counted.
// The count is the register's: it holds across loads of the library, applies
// to one login name only, and a right password after the wait clears it.
TEST_F(Login, WrongPasswordsSlowDownFurtherTries) {
  const QString ivan = QStringLiteral("ivan");
  QStringList answers;
  whenModal(QStringLiteral("QrnLoginDialog"), [&](QDialog *dlg) {
    for (int i = 0; i < 5; ++i) answers << tryLogin(dlg, ivan, QStringLiteral("wrong-%1").arg(i));
    click(dlg, "btnCancel");
  });
  EXPECT_FALSE(callLogin());
  EXPECT_EQ(answers, QStringList(5, kWrong));
  EXPECT_EQ(failuresOf(ivan), 5);

  // A new load of the library: the sixth try waits, the right password too.
  QString sixth, other;
  whenModal(QStringLiteral("QrnLoginDialog"), [&](QDialog *dlg) {
    sixth = tryLogin(dlg, ivan, QStringLiteral("tajna"));
    // another login name is not held up
    other = tryLogin(dlg, QStringLiteral("admin"), kAdminPassword);
    if (dlg->isVisible()) click(dlg, "btnCancel");
  });
  EXPECT_TRUE(callLogin());
  EXPECT_EQ(sixth, zv::LoginWaitText(1));
  EXPECT_EQ(rec->loginName(), QStringLiteral("admin"));
  EXPECT_EQ(failuresOf(ivan), 5);

  // After the wait a wrong password doubles the next wait.
  letTheWaitPass();
  rec = NewLoginRecord();
  answers.clear();
  whenModal(QStringLiteral("QrnLoginDialog"), [&](QDialog *dlg) {
    answers << tryLogin(dlg, ivan, QStringLiteral("wrong-6"));
    answers << tryLogin(dlg, ivan, QStringLiteral("tajna"));
    click(dlg, "btnCancel");
  });
  EXPECT_FALSE(callLogin());
  EXPECT_EQ(answers, (QStringList{kWrong, zv::LoginWaitText(2)}));
  EXPECT_EQ(failuresOf(ivan), 6);

  // After that wait the right password logs in and clears the count.
  letTheWaitPass();
  ASSERT_TRUE(loginAs(ivan, QStringLiteral("tajna")));
  EXPECT_EQ(failuresOf(ivan), -1);
}

// A register made before the count existed gets its table at the first login.
TEST_F(Login, CountTableIsCreatedWhenMissing) {
  sql(QStringLiteral("drop table LOGIN_FAILURES"));
  QString first;
  whenModal(QStringLiteral("QrnLoginDialog"), [&](QDialog *dlg) {
    first = tryLogin(dlg, QStringLiteral("ivan"), QStringLiteral("wrong"));
    tryLogin(dlg, QStringLiteral("ivan"), QStringLiteral("tajna"));
    if (dlg->isVisible()) click(dlg, "btnCancel");
  });
  EXPECT_TRUE(callLogin());
  EXPECT_EQ(first, kWrong);
  EXPECT_EQ(failuresOf(QStringLiteral("ivan")), -1);
  // Making it again when it is there changes nothing.
  fb::Database db;
  db.databaseName = dbPath;
  db.connect();
  EXPECT_NO_THROW(zv::EnsureLoginFailuresTable(db));
}

TEST_F(Login, NewPasswordMustBeLongAndNotTheLoginName) {
  {
    fb::Database db;
    db.databaseName = dbPath;
    db.connect();
    fb::Transaction tr(db);
    zv::putUser(db, tr, QStringLiteral("petrov.ivan"), QStringLiteral("Иван Петров"), QStringLiteral("USER2"),
                QStringLiteral("stara-parola"));
  }
  ASSERT_TRUE(loginAs(QStringLiteral("petrov.ivan"), QStringLiteral("stara-parola")));
  const QString good = QStringLiteral("Дълга-парола-9");
  QStringList messages;
  bool closed = false;
  whenModal(QStringLiteral("QrnChangePwdDialog"), [&](QDialog *dlg) {
    messages << tryChange(dlg, QStringLiteral("stara-parola"), QStringLiteral("Kratka7"), QStringLiteral("Kratka7"));
    messages << tryChange(dlg, QStringLiteral("stara-parola"), QStringLiteral("Petrov.Ivan"),
                          QStringLiteral("Petrov.Ivan"));
    messages << tryChange(dlg, QStringLiteral("грешна-парола"), good, good);
    tryChange(dlg, QStringLiteral("stara-parola"), good, good);
    closed = !dlg->isVisible();
    if (!closed) click(dlg, "btnCancel");
  });
  CallExternalChangePWD();
  EXPECT_EQ(messages, (QStringList{QStringLiteral("Новата парола трябва да е дълга поне 8 знака."),
                                   QStringLiteral("Новата парола не може да съвпада с потребителското име."),
                                   QStringLiteral("Старата парола е грешна.")}));
  EXPECT_TRUE(closed);
  EXPECT_TRUE(zv::verifyPassword(storedHash(QStringLiteral("petrov.ivan")), good));
  // A password of exactly eight characters will do.
  EXPECT_EQ(zv::NewPasswordProblem(QStringLiteral("petrov.ivan"), QStringLiteral("12345678")), std::nullopt);
}

}  // namespace
