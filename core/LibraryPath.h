#pragma once
// Where a library that the program loads by file name is looked for: beside
// the program first (as the run path says), then wherever the system's
// loader finds it. Asked explicitly, because a loader call made through an
// interposing layer (the sanitizers intercept dlopen) does not see the
// program's own run path.
#include <QByteArray>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace zv {

inline QByteArray libraryPath(const QString &fileName) {
  if (!fileName.contains(QLatin1Char('/')) && QCoreApplication::instance()) {
    const QString beside = QDir(QCoreApplication::applicationDirPath()).filePath(fileName);
    if (QFileInfo::exists(beside)) return QFile::encodeName(beside);
  }
  return QFile::encodeName(fileName);
}

}  // namespace zv
