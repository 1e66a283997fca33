#pragma once
// Subcommands of zv-admin. Each takes the arguments after its own name, writes
// its answer to out and its complaints to err, and returns the exit status.
#include <QStringList>
#include <QTextStream>

int cmdEgn(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdCreate(const QStringList &args, QTextStream &out, QTextStream &err);
int cmdUser(const QStringList &args, QTextStream &out, QTextStream &err);
