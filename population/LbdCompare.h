#pragma once
// The stored names of the members against the population register's names,
// without windows: the name comparison window and zv-admin share it.
#include <QString>
#include <vector>

class TDataModule1;

namespace fb {
class Database;
class Transaction;
}  // namespace fb

namespace zv {

class Progress;

// The message when no member differs.
QString NoNameDifferencesText();

// A stored name differs when its first n characters are not exactly the
// register's name of n characters; blanks that pad the stored name and
// anything it has beyond the register's name do not count. Case counts.
bool StoredNameDiffers(const QString &storedName, const QString &registerName);

struct NameDifference {
  QString egn;           // as stored
  QString storedName;    // NAME as stored, padding blanks included
  QString registerName;  // as the register composes it
};

// Every member the register knows whose stored name differs, in the order
// the member table yields them. One service object serves the whole run; a
// member the register does not know is skipped. Throws
// PersonInfoUnavailable at the first lookup when there is no service.
std::vector<NameDifference> FindNameDifferences(fb::Database &db, fb::Transaction &tr, Progress *progress = nullptr);

// Puts the register's name into the first member with this EGN through the
// data module's member table, as one unit (WriteUnit.h): what was pending is
// committed first, the name is committed with it. False, with nothing
// written, when no member or no register person has the EGN. A member held
// at another workstation stops it with nothing changed (rolled back) and a
// UnitFailed naming the member's card.
bool ReplaceStoredName(TDataModule1 &dm, const QString &egn);
// What a failed replacement says first.
inline const QString kNameNotReplaced = QStringLiteral("Името не е променено");

}  // namespace zv
