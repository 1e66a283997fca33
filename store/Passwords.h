#pragma once
// Password hashes of the USERS table: Argon2id strings from libsodium.
#include <QString>

namespace zv {
QString hashPassword(const QString &password);          // throws std::runtime_error on failure
bool verifyPassword(const QString &hash, const QString &password);
QString generatePassword(int length = 12);               // letters and digits, easy to type
}  // namespace zv
