#pragma once
// The folder for the files a target writes for each input: in memory where
// the machine has such a folder, so that the syncs of every save cost nothing
// and the fuzzer runs many more inputs in its time.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

inline const QTemporaryDir &ScratchDir() {
  static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                     ? QStringLiteral("/dev/shm/zvfuzz-XXXXXX")
                                     : QDir::tempPath() + QStringLiteral("/zvfuzz-XXXXXX"));
  return dir;
}

// Writes one input as the whole of a file of that folder; the file's path, or
// an empty text when it cannot be written.
inline QString WriteInput(const QString &name, const QByteArray &bytes) {
  const QString path = ScratchDir().filePath(name);
  QFile f(path);
  if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size()) return QString();
  return path;
}
