#include "Options.h"

#include "Fb.h"

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
