#pragma once
// The login record: a fixed block of 1932 bytes that the program allocates and
// the login library fills. Its byte layout is the contract between the two, so
// every offset below is fixed. Both sides read and write it only through the
// helpers here.
//
// Text fields are length-prefixed: one length byte (0..255) followed by that
// many Windows-1251 bytes; a field never reaches into the next one.
//
// The list fields Users and Rights hold 32-bit handles, not addresses: a
// pointer is 8 bytes on this platform and would not fit. The program owns the
// storage of each list and hands it to the library as an extra argument of
// GetUserRights / GetAppUsersList (see QrnLogin.h).
#include <QByteArray>
#include <QString>
#include <cstdint>
#include <cstring>

#include "Fb.h"

namespace logrec {

constexpr int kRecordSize = 1932;

struct TextField {
  int offset;    // of the length byte
  int maxChars;  // bytes that may follow the length byte
};

constexpr TextField DbPath{0, 250};
constexpr TextField PasswordChangeArg{251, 250};
constexpr TextField DbUser{502, 50};
constexpr TextField DbPassword{553, 50};
constexpr TextField UserName{608, 50};
constexpr TextField LoginName{659, 101};  // bytes 660..760
constexpr TextField Role{761, 255};       // room up to 1915, but one length byte says at most 255

constexpr int UsersCount = 1916;   // int32, -1 until the library sets it
constexpr int Users = 1920;        // uint32 handle of the program's users storage
constexpr int RightsCount = 1924;  // int32, -1 until the library sets it
constexpr int Rights = 1928;       // uint32 handle of the program's rights storage

// Entry sizes of the two lists.
constexpr int kUserEntrySize = 108;
constexpr int kRightEntrySize = 255;

static_assert(DbPath.offset + 1 + DbPath.maxChars <= PasswordChangeArg.offset);
static_assert(PasswordChangeArg.offset + 1 + PasswordChangeArg.maxChars <= DbUser.offset);
static_assert(DbUser.offset + 1 + DbUser.maxChars <= DbPassword.offset);
static_assert(DbPassword.offset + 1 + DbPassword.maxChars <= UserName.offset);
static_assert(UserName.offset + 1 + UserName.maxChars <= LoginName.offset);
static_assert(LoginName.offset + 1 + LoginName.maxChars <= Role.offset);
static_assert(Role.offset + 1 + Role.maxChars <= UsersCount);
static_assert(Rights + 4 == kRecordSize);

// The stored bytes of a text field, without the length byte. A length byte
// larger than the field allows is clipped to the field.
inline QByteArray readBytes(const void *rec, TextField f) {
  const auto *p = static_cast<const unsigned char *>(rec) + f.offset;
  const int len = p[0] < f.maxChars ? p[0] : f.maxChars;
  return QByteArray(reinterpret_cast<const char *>(p + 1), len);
}

// Stores raw Windows-1251 bytes, cut to the field's width.
inline void writeBytes(void *rec, TextField f, const QByteArray &bytes) {
  auto *p = static_cast<unsigned char *>(rec) + f.offset;
  const int len = bytes.size() < f.maxChars ? static_cast<int>(bytes.size()) : f.maxChars;
  p[0] = static_cast<unsigned char>(len);
  std::memcpy(p + 1, bytes.constData(), static_cast<size_t>(len));
}

inline QString readText(const void *rec, TextField f) { return fb::fromWin1251(readBytes(rec, f)); }

// Throws fb::EncodingError for a text with no Windows-1251 form; the field is
// then left as it was.
inline void writeText(void *rec, TextField f, const QString &text) { writeBytes(rec, f, fb::toWin1251(text)); }

inline std::int32_t readInt(const void *rec, int offset) {
  std::int32_t v;
  std::memcpy(&v, static_cast<const unsigned char *>(rec) + offset, sizeof v);
  return v;
}

inline void writeInt(void *rec, int offset, std::int32_t v) {
  std::memcpy(static_cast<unsigned char *>(rec) + offset, &v, sizeof v);
}

inline std::uint32_t readHandle(const void *rec, int offset) {
  std::uint32_t v;
  std::memcpy(&v, static_cast<const unsigned char *>(rec) + offset, sizeof v);
  return v;
}

inline void writeHandle(void *rec, int offset, std::uint32_t v) {
  std::memcpy(static_cast<unsigned char *>(rec) + offset, &v, sizeof v);
}

}  // namespace logrec
