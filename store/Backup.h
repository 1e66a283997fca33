#pragma once
// Backing up a register to a file and restoring it, through Firebird's own
// backup tool (gbak), for an embedded file and for a register on a server.
#include <QString>
#include <stdexcept>

namespace zv {

struct BackupError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// True when a register can be opened at `database` with these credentials.
bool registerExists(const QString &database, const QString &user, const QString &password);

// Writes a backup of `database` to `file`. Throws BackupError with the
// tool's own text when it fails.
void backupRegister(const QString &database, const QString &file, const QString &user, const QString &password);

// Creates the register `database` from the backup `file`. An existing
// register is replaced only when `replace` is set; otherwise BackupError.
void restoreRegister(const QString &file, const QString &database, bool replace, const QString &user,
                     const QString &password);

}  // namespace zv
