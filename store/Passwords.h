#pragma once
// Password hashes of the USERS table: Argon2id strings from libsodium.
#include <QString>
#include <optional>

namespace zv {
QString hashPassword(const QString &password);          // throws std::runtime_error on failure
bool verifyPassword(const QString &hash, const QString &password);
QString generatePassword(int length = 12);               // letters and digits, easy to type

// The shortest new password a user may choose.
constexpr int kMinPasswordLength = 8;
// Why a user may not choose `password` as the new password of `login`
// (empty, shorter than kMinPasswordLength, or the login name itself in any
// letter case); nullopt when it will do.
std::optional<QString> NewPasswordProblem(const QString &login, const QString &password);
}  // namespace zv
