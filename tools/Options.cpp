#include "Options.h"

#include <termios.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "DataModule.h"
#include "Fb.h"
#include "Session.h"
#include "Upgrade.h"

ParsedOptions parseOptions(const QStringList &args, const QStringList &known, const QStringList &flags) {
  ParsedOptions p;
  for (int i = 0; i < args.size(); ++i) {
    const QString a = args[i];
    if (!a.startsWith(QLatin1String("--"))) {
      p.positional << a;
      continue;
    }
    const QString name = a.mid(2);
    if (flags.contains(name)) {
      p.values[name] = QString();
      continue;
    }
    if (!known.contains(name)) {
      p.error = QStringLiteral("unknown option %1").arg(a);
      return p;
    }
    if (i + 1 >= args.size()) {
      p.error = QStringLiteral("option %1 needs a value").arg(a);
      return p;
    }
    p.values[name] = args[++i];
  }
  return p;
}

QString envUser() {
  const QString u = qEnvironmentVariable("ISC_USER");
  return u.isEmpty() ? QStringLiteral("SYSDBA") : u;
}

QString envPassword() { return qEnvironmentVariable("ISC_PASSWORD"); }

void connectWithEnv(fb::Database &db, const QString &path) {
  db.databaseName = path;
  db.userName = envUser();
  db.password = envPassword();
  db.connect();
}

int upgradeOpenRegister(TDataModule1 &dm) {
  // The history entry of the conversion names the tool when no user is known.
  zv::Session &s = zv::session();
  if (s.CurrentUserName.isEmpty()) s.CurrentUserName = QStringLiteral("zv-admin");
  zv::UpgradeRegister(dm.Database, dm.Transaction);
  TDataModule1 *const previous = DataModule1;
  DataModule1 = &dm;
  try {
    const int converted = zv::ConvertIncomesToEuro();
    DataModule1 = previous;
    return converted;
  } catch (const fb::Error &e) {
    DataModule1 = previous;
    throw fb::Error(QStringLiteral("Доходите не са превалутирани от лева в евро: ") + e.text(), e.sqlcode());
  }
}

void openRegister(TDataModule1 &dm, const QString &path) {
  dm.connectTo(path, envUser(), envPassword());
  upgradeOpenRegister(dm);
}

void connectRegister(fb::Database &db, const QString &path) {
  {
    TDataModule1 dm;
    dm.connectTo(path, envUser(), envPassword());
    upgradeOpenRegister(dm);
    dm.disconnectCommitting();
  }
  connectWithEnv(db, path);
}

namespace {
// One line of standard input, without its line end.
QString readLine(bool echo) {
  termios saved{};
  const bool tty = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
  if (tty && !echo) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
  }
  std::string line;
  for (int c = std::getchar(); c != EOF && c != '\n'; c = std::getchar()) line.push_back(static_cast<char>(c));
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (tty && !echo) {
    tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
    std::fputc('\n', stderr);
  }
  return QString::fromLocal8Bit(line.c_str());
}
}  // namespace

std::optional<QString> readPasswordOption(const ParsedOptions &o, const QString &prompt, QTextStream &err) {
  if (o.has(QStringLiteral("password-stdin"))) return readLine(true);
  if (o.has(QStringLiteral("password"))) {
    err << "warning: a password given with --password is visible to other users of this machine; "
           "use --password-stdin\n";
    err.flush();
    return o.get(QStringLiteral("password"));
  }
  if (isatty(STDIN_FILENO)) {
    err << prompt;
    err.flush();
    return readLine(false);
  }
  return std::nullopt;
}
