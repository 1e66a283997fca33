#include "Passwords.h"

#include <sodium.h>

#include <stdexcept>

namespace zv {
namespace {
void initSodium() {
  static const bool ok = sodium_init() >= 0;
  if (!ok) throw std::runtime_error("libsodium could not be initialised");
}
}  // namespace

QString hashPassword(const QString &password) {
  initSodium();
  const QByteArray pw = password.toUtf8();
  char out[crypto_pwhash_STRBYTES];
  if (crypto_pwhash_str(out, pw.constData(), static_cast<unsigned long long>(pw.size()),
                        crypto_pwhash_OPSLIMIT_INTERACTIVE, crypto_pwhash_MEMLIMIT_INTERACTIVE) != 0)
    throw std::runtime_error("out of memory while hashing a password");
  return QString::fromLatin1(out);
}

bool verifyPassword(const QString &hash, const QString &password) {
  initSodium();
  const QByteArray h = hash.trimmed().toLatin1();
  if (h.isEmpty()) return false;
  const QByteArray pw = password.toUtf8();
  return crypto_pwhash_str_verify(h.constData(), pw.constData(), static_cast<unsigned long long>(pw.size())) == 0;
}

QString generatePassword(int length) {
  initSodium();
  static const char alphabet[] = "abcdefghijkmnpqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789";
  QString out;
  for (int i = 0; i < length; ++i) out += QLatin1Char(alphabet[randombytes_uniform(sizeof alphabet - 1)]);
  return out;
}

std::optional<QString> NewPasswordProblem(const QString &login, const QString &password) {
  // Built on the heap: the login library, which links this, is unloaded
  // after each call.
  if (password.isEmpty()) return QString::fromUtf8("Новата парола не може да бъде празна.");
  if (password.size() < kMinPasswordLength)
    return QString::fromUtf8("Новата парола трябва да е дълга поне %1 знака.").arg(kMinPasswordLength);
  if (password.trimmed().compare(login.trimmed(), Qt::CaseInsensitive) == 0)
    return QString::fromUtf8("Новата парола не може да съвпада с потребителското име.");
  return std::nullopt;
}
}  // namespace zv
