#include "Rights.h"

namespace zv {

namespace {
struct RoleLevel {
  const char *role;
  int level;
};
constexpr RoleLevel kRoles[] = {{"USER1", 1}, {"USER2", 2}, {"USER3", 3}, {"USER4", 4}, {"USER6", 6}};
}  // namespace

QStringList KnownRoles() {
  QStringList out;
  for (const RoleLevel &r : kRoles) out << QLatin1String(r.role);
  return out;
}

std::optional<int> AccessLevelOfRole(const QString &role) {
  for (const RoleLevel &r : kRoles)
    if (role == QLatin1String(r.role)) return r.level;
  return std::nullopt;
}

bool IsAccessLevel(int level) {
  for (const RoleLevel &r : kRoles)
    if (level == r.level) return true;
  return false;
}

}  // namespace zv
