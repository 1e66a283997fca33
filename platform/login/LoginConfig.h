#pragma once
// Where the login library keeps its configuration (the database location and
// credentials), and whether that file is kept private. Shared by the library
// and the program, which warns at start about a file others may read.
#include <QDir>
#include <QFileInfo>
#include <QString>

namespace qrnlogin {

// QRNLOGIN_CONFIG, else $XDG_CONFIG_HOME (or ~/.config)/QuorinZV/qrnlogin.ini.
inline QString configFile() {
  const QString env = qEnvironmentVariable("QRNLOGIN_CONFIG");
  if (!env.isEmpty()) return env;
  QString base = qEnvironmentVariable("XDG_CONFIG_HOME");
  if (base.isEmpty()) base = QDir::homePath() + QStringLiteral("/.config");
  return base + QStringLiteral("/QuorinZV/qrnlogin.ini");
}

// The warning to show when the file exists and its group or other users may
// read or write it; empty otherwise.
inline QString permissionWarning(const QString &path) {
  const QFileInfo f(path);
  if (!f.exists()) return QString();
  const QFileDevice::Permissions open = QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ReadOther |
                                        QFileDevice::WriteOther;
  if (!(f.permissions() & open)) return QString();
  return QStringLiteral("Файлът с настройките за връзка с базата данни '%1' съдържа парола и може да се чете от "
                        "други потребители на компютъра. Оставете го достъпен само за вас (chmod 600 %1).")
      .arg(path);
}

}  // namespace qrnlogin
