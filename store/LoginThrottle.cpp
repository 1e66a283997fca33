#include "LoginThrottle.h"

#include <algorithm>
#include <cmath>

#include "Fb.h"

namespace zv {

const char kLoginFailuresDdl[] =
    "create table LOGIN_FAILURES ("
    "  LOGIN          varchar(50) not null,"
    "  FAILURES       integer not null,"
    "  LAST_FAILED_AT date not null,"
    "  constraint PK_LOGIN_FAILURES primary key (LOGIN))";

namespace {

// Every text here is built with QString::fromUtf8 rather than QStringLiteral:
// the login library links this code and is unloaded after each call, so no
// text it hands out may point into its own constant data.

// The width of USERS.LOGIN; a longer name typed at the login is kept by its
// start (no user has such a name, and its tries are slowed down all the same).
QString storedLogin(const QString &login) { return login.left(50); }

bool haveTable(fb::Database &db, fb::Transaction &tr) {
  fb::Statement q(db, tr);
  q.prepare(QString::fromUtf8("select 1 from RDB$RELATIONS where RDB$RELATION_NAME = 'LOGIN_FAILURES'"));
  q.execute();
  return q.fetch();
}

}  // namespace

int LoginWaitAfter(int failures) {
  if (failures < kFreeLoginFailures) return 0;
  const int doublings = failures - kFreeLoginFailures;
  if (doublings >= 5) return kMaxLoginWaitSeconds;  // 2^5 is past the bound already
  return std::min(1 << doublings, kMaxLoginWaitSeconds);
}

int LoginSecondsLeft(int failures, qint64 elapsedMs) {
  const qint64 leftMs = qint64(LoginWaitAfter(failures)) * 1000 - std::max<qint64>(elapsedMs, 0);
  if (leftMs <= 0) return 0;
  return static_cast<int>((leftMs + 999) / 1000);
}

QString LoginWaitText(int seconds) {
  return QString::fromUtf8("Опитайте отново след %1 секунди").arg(seconds);
}

void EnsureLoginFailuresTable(fb::Database &db) {
  fb::Transaction tr(db);
  tr.start();
  if (haveTable(db, tr)) {
    tr.commit();
    return;
  }
  try {
    fb::execute(db, tr, QString::fromUtf8(kLoginFailuresDdl));
    tr.commit();
  } catch (const fb::Error &) {
    // Another workstation may have created it at the same moment.
    if (tr.active()) tr.rollback();
    tr.start();
    const bool there = haveTable(db, tr);
    tr.commit();
    if (!there) throw;
  }
}

LoginFailureState ReadLoginFailures(fb::Database &db, fb::Transaction &tr, const QString &login) {
  fb::Statement q(db, tr);
  q.prepare(QString::fromUtf8(
      "select FAILURES, datediff(millisecond from LAST_FAILED_AT to current_timestamp) "
      "from LOGIN_FAILURES where LOGIN = ?"));
  q.execute({storedLogin(login)});
  LoginFailureState s;
  if (!q.fetch()) return s;
  s.failures = q.value(0).toInt();
  s.secondsLeft = LoginSecondsLeft(s.failures, static_cast<qint64>(std::llround(q.value(1).toDouble())));
  return s;
}

void RecordLoginFailure(fb::Database &db, fb::Transaction &tr, const QString &login) {
  const QString name = storedLogin(login);
  fb::Statement up(db, tr);
  up.prepare(QString::fromUtf8(
      "update LOGIN_FAILURES set FAILURES = FAILURES + 1, LAST_FAILED_AT = current_timestamp where LOGIN = ?"));
  up.execute({name});
  if (up.rowsAffected() > 0) return;
  fb::execute(db, tr,
              QString::fromUtf8("insert into LOGIN_FAILURES (LOGIN, FAILURES, LAST_FAILED_AT) "
                                "values (?, 1, current_timestamp)"),
              {name});
}

void ClearLoginFailures(fb::Database &db, fb::Transaction &tr, const QString &login) {
  fb::execute(db, tr, QString::fromUtf8("delete from LOGIN_FAILURES where LOGIN = ?"), {storedLogin(login)});
}

}  // namespace zv
