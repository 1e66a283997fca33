#pragma once
// The login record as the login library leaves it after a successful login,
// for tests that start the main window's work without the login dialog.
#include <QString>

#include "LoginCall.h"

namespace zvtest {

struct LoginAs {
  QString dbPath;
  QString userName;
  QString loginName;
  QString role;
  QString dbUser = QStringLiteral("SYSDBA");
  QString dbPassword = QString();
};

inline TLogInfoRec *FillLoginRecord(const LoginAs &who) {
  TLogInfoRec *rec = NewLoginRecord();
  logrec::writeText(rec->data(), logrec::DbPath, who.dbPath);
  logrec::writeText(rec->data(), logrec::DbUser, who.dbUser);
  logrec::writeText(rec->data(), logrec::DbPassword, who.dbPassword);
  logrec::writeText(rec->data(), logrec::UserName, who.userName);
  logrec::writeText(rec->data(), logrec::LoginName, who.loginName);
  logrec::writeText(rec->data(), logrec::Role, who.role);
  return rec;
}

}  // namespace zvtest
