// The text boundary: every Windows-1251 byte string decodes and encodes back
// to itself, and text either encodes and round-trips or is refused.
#include <cstdint>
#include <cstdlib>

#include <QString>

#include "Fb.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
  const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
  const QString decoded = fb::fromWin1251(bytes);
  try {
    // 0x98 is the one byte Windows-1251 leaves unassigned; anything else comes back.
    if (!bytes.contains('\x98') && fb::toWin1251(decoded) != bytes) std::abort();
  } catch (const fb::EncodingError &) {
    if (!bytes.contains('\x98')) std::abort();
  }
  const QString text = QString::fromUtf8(bytes);
  try {
    if (fb::fromWin1251(fb::toWin1251(text)) != text) std::abort();
  } catch (const fb::EncodingError &) {
  }
  return 0;
}
