#pragma once
// Values of the logged-in user, one set per process, set at the start of work.
#include <QString>

namespace zv {
struct Session {
  QString CurrentUserName;  // USERS.NAME as the login library reports it
  QString CurrentUserId;    // USERS.USER_ID as text
  QString LoginName;
};
Session &session();
}  // namespace zv
