#pragma once
// Wrong passwords slow the next try down. Each login name has a count of
// wrong passwords in a row, kept in the register's LOGIN_FAILURES table so
// that it holds on every workstation and across program starts. After five
// of them each further try must wait a while after the last one: 1 s, then
// twice as long after each further wrong password, at most 30 s. A right
// password clears the count.
//
// The times are the database server's, so that workstations whose clocks
// differ agree on the wait.
#include <QString>

namespace fb {
class Database;
class Transaction;
}  // namespace fb

namespace zv {

// Wrong passwords allowed in a row before tries are slowed down.
constexpr int kFreeLoginFailures = 5;
// The longest wait between tries, in seconds.
constexpr int kMaxLoginWaitSeconds = 30;

// The wait in seconds that `failures` wrong passwords in a row impose after
// the last of them: 0 up to kFreeLoginFailures, then 1, 2, 4, ... at most 30.
int LoginWaitAfter(int failures);

// Whole seconds still to wait when `elapsedMs` have passed since the last
// wrong password (rounded up, so a wait still running is never shown as 0).
// 0 when the next try may go ahead.
int LoginSecondsLeft(int failures, qint64 elapsedMs);

// What the login dialog shows while a try has to wait.
QString LoginWaitText(int seconds);

// The table of the counts. It is one of the program's own tables that
// zv-admin create and the upgrade step add (Upgrade.cpp).
extern const char kLoginFailuresDdl[];

// Creates LOGIN_FAILURES when the register does not have it yet, so that the
// login works on a register that no upgraded program has opened. Safe to run
// again and from two workstations at once. Runs and commits in a transaction
// of its own on the open database.
void EnsureLoginFailuresTable(fb::Database &db);

// The stored count of a login name, and the seconds still to wait before it
// may try again (0 when it may). The login name is kept as its first 50
// characters, the width of USERS.LOGIN.
struct LoginFailureState {
  int failures = 0;
  int secondsLeft = 0;
};
LoginFailureState ReadLoginFailures(fb::Database &db, fb::Transaction &tr, const QString &login);
// One more wrong password for the login name, at the server's present time.
void RecordLoginFailure(fb::Database &db, fb::Transaction &tr, const QString &login);
// A right password: the count starts again from nothing.
void ClearLoginFailures(fb::Database &db, fb::Transaction &tr, const QString &login);

}  // namespace zv
