#include "Backup.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>

#include "Fb.h"

namespace zv {
namespace {

// A plain path becomes absolute; host:path stays as it is.
QString located(const QString &database) {
  return fb::Database::isRemote(database) ? database : QFileInfo(database).absoluteFilePath();
}

// Runs gbak with the password in its environment, never on its command
// line, where other users of the machine could read it.
void runGbak(const QStringList &args, const QString &user, const QString &password) {
  fb::prepareEmbeddedEngine();  // an embedded file opens through the same engine root as the program
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("ISC_USER"), user);
  env.insert(QStringLiteral("ISC_PASSWORD"), password);
  p.setProcessEnvironment(env);
  p.setProcessChannelMode(QProcess::MergedChannels);
  p.start(QStringLiteral("gbak"), args);
  if (!p.waitForStarted(30000))
    throw BackupError("gbak could not be started (Debian package firebird3.0-utils)");
  p.waitForFinished(-1);
  const QString output = QString::fromLocal8Bit(p.readAll()).trimmed();
  if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
    throw BackupError(output.isEmpty() ? std::string("gbak failed") : output.toStdString());
}

}  // namespace

bool registerExists(const QString &database, const QString &user, const QString &password) {
  if (!fb::Database::isRemote(database) && !QFileInfo::exists(database)) return false;
  try {
    fb::Database db;
    db.databaseName = located(database);
    db.userName = user;
    db.password = password;
    db.connect();
    db.disconnect();
    return true;
  } catch (const fb::Error &) {
    // A file that is there but cannot be opened is still not to be overwritten.
    return !fb::Database::isRemote(database);
  }
}

void backupRegister(const QString &database, const QString &file, const QString &user, const QString &password) {
  runGbak({QStringLiteral("-b"), QStringLiteral("-user"), user, located(database), QFileInfo(file).absoluteFilePath()},
          user, password);
  // A backup holds everything the register does: its owner's only.
  QFile::setPermissions(file, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void restoreRegister(const QString &file, const QString &database, bool replace, const QString &user,
                     const QString &password) {
  if (!QFileInfo::exists(file)) throw BackupError(QStringLiteral("no backup file %1").arg(file).toStdString());
  if (!replace && registerExists(database, user, password))
    throw BackupError(
        QStringLiteral("a register exists at %1; add --replace to overwrite it").arg(database).toStdString());
  runGbak({replace ? QStringLiteral("-rep") : QStringLiteral("-c"), QStringLiteral("-user"), user,
           QFileInfo(file).absoluteFilePath(), located(database)},
          user, password);
}

}  // namespace zv
