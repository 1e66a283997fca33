#include <QFileInfo>

#include "Commands.h"
#include "Install.h"
#include "Options.h"
#include "Rights.h"

int cmdCreate(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o = parseOptions(args, {QStringLiteral("database"), QStringLiteral("admin"),
                                              QStringLiteral("password")},
                                       {QStringLiteral("password-stdin")});
  if (!o.error.isEmpty() || !o.has(QStringLiteral("database")) || !o.positional.isEmpty() ||
      (o.has(QStringLiteral("password")) && o.has(QStringLiteral("password-stdin")))) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    err << "usage: zv-admin create --database PATH [--admin LOGIN] [--password-stdin | --password P]\n";
    return 2;
  }
  zv::InstallOptions opt;
  opt.database = o.get(QStringLiteral("database"));
  if (!fb::Database::isRemote(opt.database)) opt.database = QFileInfo(opt.database).absoluteFilePath();
  opt.dbUser = envUser();
  opt.dbPassword = envPassword();
  opt.adminLogin = o.get(QStringLiteral("admin"), QStringLiteral("admin"));
  // An empty answer (or none) lets the register make up a password.
  opt.adminPassword = readPasswordOption(
                          o, QStringLiteral("Administrator's password (Enter: make one up): "), err)
                          .value_or(QString());
  const bool generated = opt.adminPassword.isEmpty();
  const QString pw = zv::createRegister(opt);
  out << "created " << opt.database << "\n";
  out << "administrator: " << opt.adminLogin << "\n";
  if (generated) out << "password: " << pw << "\n";
  return 0;
}

namespace {
const char *const kUserUsage =
    "usage: zv-admin user --database PATH --login L --name NAME --role ROLE [--password-stdin | --password P]\n"
    "       ROLE is one of USER1 (administrator), USER2, USER3, USER4, USER6 (read only)\n";
}  // namespace

int cmdUser(const QStringList &args, QTextStream &out, QTextStream &err) {
  const ParsedOptions o =
      parseOptions(args, {QStringLiteral("database"), QStringLiteral("login"), QStringLiteral("name"),
                          QStringLiteral("role"), QStringLiteral("password")},
                   {QStringLiteral("password-stdin")});
  if (!o.error.isEmpty() || !o.has(QStringLiteral("database")) || !o.has(QStringLiteral("login")) ||
      !o.has(QStringLiteral("name")) || !o.has(QStringLiteral("role")) || !o.positional.isEmpty() ||
      (o.has(QStringLiteral("password")) && o.has(QStringLiteral("password-stdin")))) {
    if (!o.error.isEmpty()) err << o.error << "\n";
    err << kUserUsage;
    return 2;
  }
  // A role the program does not know would give no rights at all: refuse it
  // before anything is asked or written.
  if (!zv::AccessLevelOfRole(o.get(QStringLiteral("role")))) {
    err << "unknown role '" << o.get(QStringLiteral("role")) << "': one of " << zv::KnownRoles().join(QStringLiteral(", "))
        << "\n";
    err << kUserUsage;
    return 2;
  }
  const QString password =
      readPasswordOption(o, QStringLiteral("Password of %1: ").arg(o.get(QStringLiteral("login"))), err)
          .value_or(QString());
  fb::Database db;
  connectRegister(db, o.get(QStringLiteral("database")));
  fb::Transaction tr(db);
  const int id = zv::putUser(db, tr, o.get(QStringLiteral("login")), o.get(QStringLiteral("name")),
                             o.get(QStringLiteral("role")), password);
  db.disconnect();
  out << "user " << o.get(QStringLiteral("login")) << " id " << id << "\n";
  return 0;
}
