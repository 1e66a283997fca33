// The login library: its own login and password-change dialogs over the
// register's USERS table. It finds the register through its configuration
// file and hands the location and the database credentials to the program in
// the login record.
#include "QrnLogin.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QVBoxLayout>
#include <optional>
#include <vector>

#include "Fb.h"
#include "LoginConfig.h"
#include "LoginThrottle.h"
#include "Passwords.h"

namespace {

// The library is unloaded after each call, so no text handed to the toolkit
// may point into the library's own constant data (as QStringLiteral does):
// every text here is built on the heap with QString::fromUtf8.
const QString kWrongCredentials = QString::fromUtf8("Грешно потребителско име или парола.");

// A reason the operation cannot go on, shown in the dialog's error line.
struct Problem {
  QString text;
};

struct Config {
  QString file;  // absolute path of the configuration file
  QString dbPath;
  QString dbUser;
  QString dbPassword;
};

struct UserInfo {
  QString login, name, role;
};

// What the last successful login found; GetUserRights and GetAppUsersList
// hand it out while the library stays loaded.
std::vector<UserInfo> gUsers;
QStringList gRights;
QString gClientTitle;

QString fromCaller(const char *text) { return text ? fb::fromWin1251(QByteArray(text)) : QString(); }

QString defaultConfigFile() { return qrnlogin::configFile(); }

// An INI value as written: QSettings would split a value with commas into a list.
QString iniText(const QSettings &s, const QString &key, const QString &fallback = QString()) {
  const QVariant v = s.value(key);
  if (!v.isValid()) return fallback;
  return v.toStringList().join(QLatin1Char(','));
}

Config readConfig(const QString &file) {
  const QFileInfo fi(file);
  if (!fi.isFile()) throw Problem{QString::fromUtf8("Липсва конфигурационният файл „%1“.").arg(file)};
  QSettings s(fi.absoluteFilePath(), QSettings::IniFormat);
  if (s.status() != QSettings::NoError)
    throw Problem{QString::fromUtf8("Конфигурационният файл „%1“ не може да бъде прочетен.").arg(file)};
  Config c;
  c.file = fi.absoluteFilePath();
  c.dbPath = iniText(s, QString::fromUtf8("Database/Path")).trimmed();
  if (c.dbPath.isEmpty())
    throw Problem{QString::fromUtf8("В конфигурационния файл „%1“ не е посочена база данни ([Database] Path).").arg(file)};
  // A relative file path is read against the configuration file's folder,
  // so the program gets a location that does not depend on its working folder.
  if (!fb::Database::isRemote(c.dbPath) && QFileInfo(c.dbPath).isRelative())
    c.dbPath = QDir::cleanPath(fi.absoluteDir().absoluteFilePath(c.dbPath));
  c.dbUser = iniText(s, QString::fromUtf8("Database/User")).trimmed();
  if (c.dbUser.isEmpty()) c.dbUser = QString::fromUtf8("SYSDBA");
  c.dbPassword = iniText(s, QString::fromUtf8("Database/Password"));
  return c;
}

void openDatabase(const Config &c, fb::Database &db) {
  db.databaseName = c.dbPath;
  db.userName = c.dbUser;
  db.password = c.dbPassword;
  try {
    db.connect();
  } catch (const fb::Error &e) {
    throw Problem{QString::fromUtf8("Базата данни „%1“ не може да бъде отворена:\n%2").arg(c.dbPath, e.text())};
  }
}

// An unknown login costs as much time as a wrong password, so the answer's
// delay does not tell which of the two was wrong.
bool verifyOrWaste(const std::optional<QString> &hash, const QString &password) {
  if (!hash) {
    static const QString spare = zv::hashPassword(zv::generatePassword());
    zv::verifyPassword(spare, password);
    return false;
  }
  return zv::verifyPassword(*hash, password);
}

std::optional<QString> storedHash(fb::Database &db, fb::Transaction &tr, const QString &login, UserInfo *info) {
  fb::Statement q(db, tr);
  q.prepare(QString::fromUtf8("select NAME, ROLE, PWHASH from USERS where LOGIN = ?"));
  q.execute({login});
  if (!q.fetch()) return std::nullopt;
  if (info) {
    info->login = login;
    info->name = q.value(0).toString();
    info->role = q.value(1).toString();
  }
  return q.value(2).toString();
}

// Counts one more wrong password for the login name and commits it, so that
// it holds whatever the user does next. Two workstations failing at the same
// moment collide on the row: the loser tries once more.
void countFailure(fb::Database &db, fb::Transaction &tr, const QString &login) {
  if (login.isEmpty()) return;
  try {
    zv::RecordLoginFailure(db, tr, login);
    tr.commit();
  } catch (const fb::Error &) {
    if (tr.active()) tr.rollback();
    tr.start();
    zv::RecordLoginFailure(db, tr, login);
    tr.commit();
  }
}

// The seconds the login name still has to wait after its wrong passwords;
// 0 when it may try now.
int secondsToWait(fb::Database &db, fb::Transaction &tr, const QString &login) {
  return login.isEmpty() ? 0 : zv::ReadLoginFailures(db, tr, login).secondsLeft;
}

std::vector<UserInfo> allUsers(fb::Database &db, fb::Transaction &tr) {
  std::vector<UserInfo> out;
  fb::Statement q(db, tr);
  q.prepare(QString::fromUtf8("select LOGIN, NAME, ROLE from USERS order by USER_ID"));
  q.execute();
  while (q.fetch()) out.push_back({q.value(0).toString(), q.value(1).toString(), q.value(2).toString()});
  return out;
}

// Writes a text the program must get whole; a cut database path or password
// would only fail later and less clearly.
void putWhole(void *rec, logrec::TextField f, const QString &text, const QString &what) {
  QByteArray bytes;
  try {
    bytes = fb::toWin1251(text);
  } catch (const fb::EncodingError &) {
    throw Problem{QString::fromUtf8("%1 съдържа знаци, които не могат да бъдат предадени на програмата.").arg(what)};
  }
  if (bytes.size() > f.maxChars)
    throw Problem{QString::fromUtf8("%1 не се побира в %2 знака.").arg(what).arg(f.maxChars)};
  logrec::writeBytes(rec, f, bytes);
}

QLabel *errorLabel(QWidget *parent) {
  auto *l = new QLabel(parent);
  l->setObjectName(QString::fromUtf8("lblError"));
  l->setWordWrap(true);
  l->setStyleSheet(QString::fromUtf8("color: #b00000"));
  // Room for two lines is kept from the start, so the dialog does not jump
  // or squeeze its fields when an error appears.
  l->setMinimumHeight(2 * l->fontMetrics().lineSpacing() + 4);
  l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  return l;
}

// The fields above, the error line, then the two buttons at the right;
// Cancel closes the dialog.
void layOutDialog(QDialog &dlg, QFormLayout *form, QLabel *lblError, QPushButton *btnOk, QPushButton *btnCancel) {
  auto *buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(btnOk);
  buttons->addWidget(btnCancel);
  auto *top = new QVBoxLayout(&dlg);
  dlg.setMinimumWidth(380);
  top->addLayout(form);
  top->addWidget(lblError);
  top->addLayout(buttons);
  QObject::connect(btnCancel, &QPushButton::clicked, &dlg, &QDialog::reject);
}

QPushButton *button(const QString &name, const QString &caption, QWidget *parent) {
  auto *b = new QPushButton(caption, parent);
  b->setObjectName(name);
  b->setAutoDefault(false);
  return b;
}

QLineEdit *passwordEdit(const QString &name, QWidget *parent) {
  auto *e = new QLineEdit(parent);
  e->setObjectName(name);
  e->setEchoMode(QLineEdit::Password);
  return e;
}

QString withClientTitle(const QString &title, const QString &client) {
  return client.isEmpty() ? title : title + QString::fromUtf8(" – ") + client;
}

bool haveApplication() { return qobject_cast<QApplication *>(QCoreApplication::instance()) != nullptr; }

unsigned char runLogin(QWidget *parent, const QString &appCode, void *record) {
  QDialog dlg(parent);
  dlg.setObjectName(QString::fromUtf8("QrnLoginDialog"));
  dlg.setWindowTitle(withClientTitle(QString::fromUtf8("Вход"), gClientTitle));
  dlg.setModal(true);
  auto *edLogin = new QLineEdit(&dlg);
  edLogin->setObjectName(QString::fromUtf8("edLogin"));
  auto *edPassword = passwordEdit(QString::fromUtf8("edPassword"), &dlg);
  auto *lblError = errorLabel(&dlg);
  auto *btnOk = button(QString::fromUtf8("btnOk"), QString::fromUtf8("Вход"), &dlg);
  auto *btnCancel = button(QString::fromUtf8("btnCancel"), QString::fromUtf8("Отказ"), &dlg);
  btnOk->setDefault(true);

  auto *form = new QFormLayout;
  form->addRow(QString::fromUtf8("Потребител:"), edLogin);
  form->addRow(QString::fromUtf8("Парола:"), edPassword);
  layOutDialog(dlg, form, lblError, btnOk, btnCancel);
  QObject::connect(btnOk, &QPushButton::clicked, &dlg, [&] {
    lblError->clear();
    const QString login = edLogin->text().trimmed();
    const QString password = edPassword->text();
    try {
      // The configuration is read at each attempt, so a corrected file is
      // taken without closing the dialog.
      const Config cfg = readConfig(defaultConfigFile());
      fb::Database db;
      openDatabase(cfg, db);
      zv::EnsureLoginFailuresTable(db);
      fb::Transaction tr(db);
      tr.start();
      // While the wait after wrong passwords runs, the password is not even
      // looked at: the answer comes at once and the dialog stays usable.
      if (const int wait = secondsToWait(db, tr, login); wait > 0) {
        lblError->setText(zv::LoginWaitText(wait));
        edPassword->clear();
        edPassword->setFocus();
        return;
      }
      UserInfo me;
      const std::optional<QString> hash = login.isEmpty() ? std::nullopt : storedHash(db, tr, login, &me);
      if (!verifyOrWaste(hash, password)) {
        countFailure(db, tr, login);
        lblError->setText(kWrongCredentials);
        edPassword->clear();
        edPassword->setFocus();
        return;
      }
      zv::ClearLoginFailures(db, tr, login);
      const std::vector<UserInfo> users = allUsers(db, tr);
      tr.commit();
      db.disconnect();

      // Filled in a copy first: a refusal leaves the caller's record as it was.
      QByteArray rec(static_cast<const char *>(record), logrec::kRecordSize);
      putWhole(rec.data(), logrec::DbPath, cfg.dbPath, QString::fromUtf8("Пътят до базата данни"));
      putWhole(rec.data(), logrec::PasswordChangeArg, cfg.file, QString::fromUtf8("Пътят до конфигурационния файл"));
      putWhole(rec.data(), logrec::DbUser, cfg.dbUser, QString::fromUtf8("Потребителят на базата данни"));
      putWhole(rec.data(), logrec::DbPassword, cfg.dbPassword, QString::fromUtf8("Паролата на базата данни"));
      putWhole(rec.data(), logrec::UserName, me.name, QString::fromUtf8("Името на потребителя"));
      putWhole(rec.data(), logrec::LoginName, login, QString::fromUtf8("Потребителското име"));
      putWhole(rec.data(), logrec::Role, me.role, QString::fromUtf8("Ролята на потребителя"));

      const QString prefix = appCode.isEmpty() ? QString() : appCode + QLatin1Char(':');
      QStringList rights{prefix + QString::fromUtf8("LOGIN"), prefix + QString::fromUtf8("ROLE=") + me.role,
                         prefix + QString::fromUtf8("CHANGEPWD")};
      logrec::writeInt(rec.data(), logrec::UsersCount, static_cast<std::int32_t>(users.size()));
      logrec::writeInt(rec.data(), logrec::RightsCount, static_cast<std::int32_t>(rights.size()));
      std::memcpy(record, rec.constData(), logrec::kRecordSize);
      gUsers = users;
      gRights = rights;
      dlg.accept();
    } catch (const Problem &p) {
      lblError->setText(p.text);
    } catch (const std::exception &e) {
      lblError->setText(QString::fromStdString(e.what()));
    }
  });

  edLogin->setFocus();
  return dlg.exec() == QDialog::Accepted ? 1 : 0;
}

unsigned char runChangePassword(QWidget *parent, const QString &configFile, const QString &login,
                                const QString &appTitle) {
  QDialog dlg(parent);
  dlg.setObjectName(QString::fromUtf8("QrnChangePwdDialog"));
  dlg.setWindowTitle(withClientTitle(QString::fromUtf8("Промяна на паролата"), appTitle));
  dlg.setModal(true);
  auto *lblUser = new QLabel(login, &dlg);
  lblUser->setObjectName(QString::fromUtf8("lblUser"));
  auto *edOld = passwordEdit(QString::fromUtf8("edOldPassword"), &dlg);
  auto *edNew = passwordEdit(QString::fromUtf8("edNewPassword"), &dlg);
  auto *edRepeat = passwordEdit(QString::fromUtf8("edRepeatPassword"), &dlg);
  auto *lblError = errorLabel(&dlg);
  auto *btnOk = button(QString::fromUtf8("btnOk"), QString::fromUtf8("Промяна"), &dlg);
  auto *btnCancel = button(QString::fromUtf8("btnCancel"), QString::fromUtf8("Отказ"), &dlg);
  btnOk->setDefault(true);

  auto *form = new QFormLayout;
  form->addRow(QString::fromUtf8("Потребител:"), lblUser);
  form->addRow(QString::fromUtf8("Стара парола:"), edOld);
  form->addRow(QString::fromUtf8("Нова парола:"), edNew);
  form->addRow(QString::fromUtf8("Повторете новата парола:"), edRepeat);
  layOutDialog(dlg, form, lblError, btnOk, btnCancel);
  QObject::connect(btnOk, &QPushButton::clicked, &dlg, [&] {
    lblError->clear();
    if (edNew->text() != edRepeat->text()) {
      lblError->setText(QString::fromUtf8("Новата парола и повторената не съвпадат."));
      edRepeat->clear();
      return;
    }
    if (const std::optional<QString> problem = zv::NewPasswordProblem(login, edNew->text())) {
      lblError->setText(*problem);
      edNew->clear();
      edRepeat->clear();
      edNew->setFocus();
      return;
    }
    try {
      const Config cfg = readConfig(configFile);
      fb::Database db;
      openDatabase(cfg, db);
      zv::EnsureLoginFailuresTable(db);
      fb::Transaction tr(db);
      tr.start();
      // The old password is guessed no faster here than at the login.
      if (const int wait = secondsToWait(db, tr, login); wait > 0) {
        lblError->setText(zv::LoginWaitText(wait));
        edOld->clear();
        edOld->setFocus();
        return;
      }
      if (!verifyOrWaste(storedHash(db, tr, login, nullptr), edOld->text())) {
        countFailure(db, tr, login);
        lblError->setText(QString::fromUtf8("Старата парола е грешна."));
        edOld->clear();
        edOld->setFocus();
        return;
      }
      zv::ClearLoginFailures(db, tr, login);
      fb::execute(db, tr, QString::fromUtf8("update USERS set PWHASH = ? where LOGIN = ?"),
                  {zv::hashPassword(edNew->text()), login});
      tr.commit();
      db.disconnect();
      dlg.accept();
    } catch (const Problem &p) {
      lblError->setText(p.text);
    } catch (const std::exception &e) {
      lblError->setText(QString::fromStdString(e.what()));
    }
  });

  edOld->setFocus();
  return dlg.exec() == QDialog::Accepted ? 1 : 0;
}

// Fills `count` entries of the program's storage from the cached list; the
// entries beyond what the library knows are left blank.
template <typename Fill>
void fillEntries(void *entries, int count, int entrySize, Fill fill) {
  auto *p = static_cast<unsigned char *>(entries);
  for (int i = 0; i < count; ++i) {
    unsigned char *e = p + static_cast<size_t>(i) * static_cast<size_t>(entrySize);
    std::memset(e, 0, static_cast<size_t>(entrySize));
    fill(i, e);
  }
}

}  // namespace

QRNLOGIN_EXPORT unsigned char ExternalLogin(void *window, const char *appCode, const char *appName, int flag1,
                                            int flag2, void *record) {
  (void)appName;
  (void)flag1;
  (void)flag2;
  if (!record || !haveApplication()) return 0;
  try {
    return runLogin(static_cast<QWidget *>(window), fromCaller(appCode), record);
  } catch (...) {
    return 0;
  }
}

QRNLOGIN_EXPORT void SetClientNames(const char *clientName, const char *clientTitle) {
  (void)clientName;
  gClientTitle = fromCaller(clientTitle);
}

QRNLOGIN_EXPORT void GetUserRights(void *rightsField, void *entries) {
  if (!rightsField || !entries) return;
  const auto *rec = static_cast<const unsigned char *>(rightsField) - logrec::Rights;
  try {
    fillEntries(entries, logrec::readInt(rec, logrec::RightsCount), logrec::kRightEntrySize,
                [](int i, unsigned char *e) {
                  if (i < gRights.size()) logrec::writeText(e, logrec::RightEntryText, gRights[i]);
                });
  } catch (...) {
  }
}

QRNLOGIN_EXPORT void GetAppUsersList(void *usersField, void *entries) {
  if (!usersField || !entries) return;
  const auto *rec = static_cast<const unsigned char *>(usersField) - logrec::Users;
  try {
    fillEntries(entries, logrec::readInt(rec, logrec::UsersCount), logrec::kUserEntrySize,
                [](int i, unsigned char *e) {
                  if (static_cast<size_t>(i) >= gUsers.size()) return;
                  const UserInfo &u = gUsers[static_cast<size_t>(i)];
                  logrec::writeText(e, logrec::UserEntryLogin, u.login);
                  logrec::writeText(e, logrec::UserEntryName, u.name);
                  logrec::writeText(e, logrec::UserEntryRole, u.role);
                });
  } catch (...) {
  }
}

QRNLOGIN_EXPORT unsigned char ExternalChangePWD(void *window, const char *appCode, const char *passwordChangeArg,
                                                const char *loginName, const char *appTitle) {
  (void)appCode;
  const QString login = fromCaller(loginName);
  if (login.isEmpty() || !haveApplication()) return 0;
  try {
    QString configFile = fromCaller(passwordChangeArg);
    if (configFile.isEmpty()) configFile = defaultConfigFile();
    return runChangePassword(static_cast<QWidget *>(window), configFile, login, fromCaller(appTitle));
  } catch (...) {
    return 0;
  }
}
