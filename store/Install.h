#pragma once
// Setting up a new register: the database, its schema, the default lists of
// an installation, the counters and the first administrator.
#include <QString>
#include <QStringList>

#include "Fb.h"

namespace zv {

struct InstallOptions {
  QString database;       // plain path (embedded) or host:/path
  QString dbUser = QStringLiteral("SYSDBA");
  QString dbPassword;
  QString adminLogin = QStringLiteral("admin");
  QString adminName = QStringLiteral("Администратор");
  QString adminPassword;  // generated when empty
};

// The statements of the schema script, split at its terminators.
QStringList schemaStatements();

// Runs the schema script on an open, empty database.
void createSchema(fb::Database &db, fb::Transaction &tr);
// Fills the default lists, counters, the organisation heading and the
// ranking criteria.
void seedDefaults(fb::Database &db, fb::Transaction &tr);
// Adds a user or changes an existing one (found by login name). An empty
// password leaves a stored one unchanged. Returns the USER_ID.
int putUser(fb::Database &db, fb::Transaction &tr, const QString &login, const QString &name, const QString &role,
            const QString &password);

// Creates the whole register, the program's own tables included, its
// amounts in euro from the start. Refuses an existing file. Returns the
// administrator's password (the given one, or the generated one).
QString createRegister(const InstallOptions &opt);

}  // namespace zv
