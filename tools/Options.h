#pragma once
// "--name value" options of the subcommands.
#include <QMap>
#include <QStringList>

struct ParsedOptions {
  QMap<QString, QString> values;
  QStringList positional;
  QString error;  // non-empty on an unknown or incomplete option
  QString get(const QString &name, const QString &fallback = QString()) const { return values.value(name, fallback); }
  bool has(const QString &name) const { return values.contains(name); }
};

// known: option names without the dashes, each taking one value; flags:
// names of options that take none (present or not).
ParsedOptions parseOptions(const QStringList &args, const QStringList &known, const QStringList &flags = {});

// Database credentials from the standard Firebird variables.
QString envUser();
QString envPassword();

// Opens db at path with the credentials of ISC_USER and ISC_PASSWORD.
namespace fb { class Database; }
void connectWithEnv(fb::Database &db, const QString &path);
