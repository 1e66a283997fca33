#pragma once
// A population register file for the person service, in a folder of its own
// and named by ZV_PERSONINFO_DATA while the object lives.
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include "PersonInfo.h"

using Person = QMap<QString, QString>;  // column -> value; EGN and any of the keys

struct PopulationFile {
  QTemporaryDir dir;
  QString path;

  QByteArray before = qgetenv("ZV_PERSONINFO_DATA");

  PopulationFile() : path(dir.filePath(QStringLiteral("personinfo.tsv"))) {
    qputenv("ZV_PERSONINFO_DATA", QFile::encodeName(path));
  }
  ~PopulationFile() { qputenv("ZV_PERSONINFO_DATA", before); }

  // Raw bytes, as an editor or another program may have written them.
  void writeRaw(const QByteArray &bytes) const {
    QFile f(path);
    f.open(QIODevice::WriteOnly | QIODevice::Truncate);
    f.write(bytes);
  }
  // The header EGN and every key, then one line per person.
  void write(const QList<Person> &people) const {
    const QStringList columns = QStringList{QStringLiteral("EGN")} + TPersonInfo::Keys();
    QByteArray out = columns.join(QLatin1Char('\t')).toUtf8() + '\n';
    for (const Person &p : people) {
      QStringList cells;
      for (const QString &c : columns) cells << p.value(c);
      out += cells.join(QLatin1Char('\t')).toUtf8() + '\n';
    }
    writeRaw(out);
  }
};

// A person with the three name parts and nothing else.
inline Person named(const QString &egn, const QString &first, const QString &middle, const QString &last) {
  return Person{{QStringLiteral("EGN"), egn},
                {QStringLiteral("FirstName"), first},
                {QStringLiteral("MiddleName"), middle},
                {QStringLiteral("LastName"), last}};
}
