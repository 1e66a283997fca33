#pragma once
// "--name value" options of the subcommands.
#include <QMap>
#include <QStringList>
#include <QTextStream>
#include <optional>

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

// The password a subcommand is given for a user: --password-stdin reads one
// line from standard input; --password P is taken with a warning on err that
// it is visible to the other users of the machine; with neither, a prompt
// without echo when standard input is a terminal. nullopt when none is given.
// `prompt` is the question of the prompt.
std::optional<QString> readPasswordOption(const ParsedOptions &o, const QString &prompt, QTextStream &err);

// Database credentials from the standard Firebird variables.
QString envUser();
QString envPassword();

// Opens db at path with the credentials of ISC_USER and ISC_PASSWORD.
namespace fb { class Database; }
void connectWithEnv(fb::Database &db, const QString &path);

// Opening an existing register for a command: the register's upgrade step
// runs first, the one-time conversion of incomes to euro included, so that
// every command reads the register as the program of this version keeps it.
// A conversion that fails throws, nothing of it written.
class TDataModule1;
// Connects the data module and upgrades.
void openRegister(TDataModule1 &dm, const QString &path);
// For a command on a plain connection: upgrades through a data module of
// its own, then connects db.
void connectRegister(fb::Database &db, const QString &path);
// The same for a register already open in dm: the upgrade step and the
// conversion; returns the number of incomes converted.
int upgradeOpenRegister(TDataModule1 &dm);
