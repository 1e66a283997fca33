#pragma once
// The folder for the files a target writes for each input: in memory where
// the machine has such a folder, so that the syncs of every save cost nothing
// and the fuzzer runs many more inputs in its time.
#include <QDir>
#include <QTemporaryDir>

inline const QTemporaryDir &ScratchDir() {
  static const QTemporaryDir dir(QDir(QStringLiteral("/dev/shm")).exists()
                                     ? QStringLiteral("/dev/shm/zvfuzz-XXXXXX")
                                     : QDir::tempPath() + QStringLiteral("/zvfuzz-XXXXXX"));
  return dir;
}
