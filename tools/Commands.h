#pragma once
// Subcommands of zv-admin. Each takes the arguments after its own name, writes
// its answer to out and its complaints to err, and returns the exit status.
#include <QStringList>
#include <QTextStream>

int cmdEgn(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdCreate(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdUser(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdDemo(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdRefreshPoints(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdRanking(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdBackup(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdRestore(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdBench(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdLbd(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdLbdNames(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdSearch(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdInvalidEgn(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdExport(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdCertificate(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdEuro(const QStringList &args, QTextStream &out, QTextStream &err);

namespace fb {
class Database;
class Transaction;
}  // namespace fb
// Adds a synthetic register of `cards` families to an open register and
// commits: the same seed on the same day gives the same rows. Returns the
// highest registration number; the number of members goes to *members.
int fillDemoRegister(fb::Database &db, fb::Transaction &tr, int cards, unsigned seed, int *members = nullptr);

// Writes the population register's file for the members of an open register
// (as the person service reads it): a few in a hundred with a name that
// differs from the stored one, some members missing, some without
// identity-card data. The same seed gives the same file. Returns the number
// of persons written; how many names differ goes to *differing.
int writeDemoPopulation(fb::Database &db, fb::Transaction &tr, const QString &path, unsigned seed,
                        int *differing = nullptr);
