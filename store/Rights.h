#pragma once
// Who may do what: the login role gives an access level, and the level gives
// the named rights that the windows and zv-admin ask for. Rights fail closed:
// a role that is none of the five known texts has no level at all (the
// program refuses such a user), and a level that is none of the five (0, the
// main window's value before the start of work) grants nothing.
#include <QString>
#include <QStringList>
#include <optional>

namespace zv {

// The roles, exactly as stored in USERS.ROLE, in order of decreasing rights.
QStringList KnownRoles();

// The access level of a role: USER1 1, USER2 2, USER3 3, USER4 4, USER6 6.
// The comparison is exact and case-sensitive; any other text (a lower-case
// role, an empty one, one with blanks) has no level.
std::optional<int> AccessLevelOfRole(const QString &role);

// True for the levels that a known role gives.
bool IsAccessLevel(int level);

// Register a new card ("Регистрация").
inline bool CanRegister(int level) { return IsAccessLevel(level) && level < 6; }
// Store changes of an existing card (the card window's save button).
inline bool CanStoreCards(int level) { return IsAccessLevel(level) && level < 3; }
// Change the status of one card or of every listed card; the change writes a
// stamped note on each card, so it asks for the right to store cards.
inline bool CanChangeStatus(int level) { return CanStoreCards(level); }
// The ranking ("Класиране"): refreshes every card's points.
inline bool CanRank(int level) { return IsAccessLevel(level) && level < 4; }
// The names from the population register ("Имена от ЛБД...").
inline bool CanCompareNames(int level) { return IsAccessLevel(level) && level < 3; }
// The personal number correction window from the invalid-number list.
inline bool CanRepairEgn(int level) { return IsAccessLevel(level) && level < 3; }
// Delete rows of the code lists (the nomenclature window).
inline bool CanEditCodeLists(int level) { return level == 1; }
// The organisation heading and the minimum years at the address (Options).
inline bool CanEditInstallationSettings(int level) { return level == 1; }

// Every refused command shows this text with this caption, and does nothing else.
inline const QString kNoRightsText = QStringLiteral("Потребителят не разполага с достатъчно права");
inline const QString kNoRightsCaption = QStringLiteral("Грешка");
// A user the program does not let in: missing from USERS, or with an unknown role.
inline const QString kNoCorrectRightsText =
    QStringLiteral("На потребителя не са предоставени коректни права! Моля предупредете администратора!");

}  // namespace zv
