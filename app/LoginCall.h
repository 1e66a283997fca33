#pragma once
// The login record of this run and the calls into the login library
// libQrnLogin.so. The library is loaded by file name (the normal search
// order; the program's own folder is on its run path) for each login and each
// password change, and unloaded when the call ends.
#include <QByteArray>
#include <QString>
#include <array>
#include <cstdint>
#include <stdexcept>

#include "LogInfoRec.h"

class QWidget;

// The login library file could not be loaded: "Missing libQrnLogin.so."
class LoginLibraryMissing : public std::runtime_error {
 public:
  explicit LoginLibraryMissing(const QString &fileName);
};

// The 1932-byte block exchanged with the library, plus the storage of its two
// lists. The record's Users and Rights fields hold 32-bit handles of that
// storage; the storage itself is handed to the library with each list call.
class TLogInfoRec {
 public:
  TLogInfoRec();  // all bytes zero, both counts -1, both lists empty

  unsigned char *data() { return bytes_.data(); }
  const unsigned char *data() const { return bytes_.data(); }

  QString dbPath() const { return logrec::readText(data(), logrec::DbPath); }
  QString passwordChangeArg() const { return logrec::readText(data(), logrec::PasswordChangeArg); }
  QString dbUser() const { return logrec::readText(data(), logrec::DbUser); }
  QString dbPassword() const { return logrec::readText(data(), logrec::DbPassword); }
  QString userName() const { return logrec::readText(data(), logrec::UserName); }
  QString loginName() const { return logrec::readText(data(), logrec::LoginName); }
  QString role() const { return logrec::readText(data(), logrec::Role); }
  std::int32_t usersCount() const { return logrec::readInt(data(), logrec::UsersCount); }
  std::int32_t rightsCount() const { return logrec::readInt(data(), logrec::RightsCount); }

  // The list storage: UsersCount entries of 108 bytes, RightsCount of 255.
  const QByteArray &usersList() const { return users_; }
  const QByteArray &rightsList() const { return rights_; }
  // Sizes the storage of a list to `count` entries of `entrySize` bytes
  // (zeroed), stores a fresh handle in the record's field at `fieldOffset`
  // and returns the storage.
  unsigned char *attachList(int fieldOffset, int count, int entrySize);

 private:
  alignas(8) std::array<unsigned char, logrec::kRecordSize> bytes_;
  QByteArray users_;
  QByteArray rights_;
};

// The process's login record: created by NewLoginRecord (replacing any earlier
// one), freed at logout or after a refused login; null when there is none.
TLogInfoRec *NewLoginRecord();
void FreeLoginRecord();
TLogInfoRec *LoginRecord();

// Loads the library and shows its login dialog. True when the user logged in
// and `rec` is filled (with the lists the library offers). False when the
// login was refused or cancelled or the library has no login call. Throws
// LoginLibraryMissing when the library file cannot be loaded.
bool CallExternalLogin(const QString &appCode, const QString &appName, int flag1, int flag2, TLogInfoRec *rec,
                       QWidget *window = nullptr);

// The library's password change for the logged-in user of LoginRecord(). A
// missing library, call or record does nothing, without a message.
void CallExternalChangePWD(QWidget *window = nullptr);

// The file name the two calls load; tests point it elsewhere. An empty name
// restores the default, "libQrnLogin.so".
void SetLoginLibraryName(const QString &fileName);
QString LoginLibraryName();
