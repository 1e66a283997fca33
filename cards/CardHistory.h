#pragma once
// The texts of the change history of a card: the entry written when a card is
// created, the entries for the five watched card fields, and the entries of a
// member added to, changed in or removed from a stored card. No window and no
// database here; the card window writes the texts with LogAction.
#include <QString>
#include <QStringList>
#include <optional>

#include "CardRules.h"
#include "ZvDate.h"

namespace zv {

// The card fields whose changes are recorded, as the card window shows them.
struct WatchedCardFields {
  QString dekId;            // number of the last declaration
  TDate dekDate = 0;        // date of the last declaration
  int group = -1;           // position in the group list, -1 for none
  TDate groupDate = 0;      // date of the group
  int status = -1;          // position in the status list, -1 for none
  bool operator==(const WatchedCardFields &) const = default;
};

// "Създаване на картон с регистрационен номер " + regNum.
QString CardCreatedText(const QString &regNum);

// One text per watched field that differs between before and now, in the
// order declaration number, declaration date, group, group date, status.
// groupTexts and statusTexts are the entries of the two lists; the text at a
// position outside a list is empty. Runs of blanks inside the list texts are
// reduced to one blank.
QStringList CardChangeTexts(const WatchedCardFields &before, const WatchedCardFields &now,
                            const QStringList &groupTexts, const QStringList &statusTexts, const QString &regNum);

// "Добавяне на член със име " + name.
QString MemberAddedText(const QString &name);

// A stored member as its RGS_PERSON row holds it; nothing for a NULL column.
// Text columns come without their trailing blanks.
struct StoredMember {
  std::optional<QString> name;
  std::optional<QString> egn;
  std::optional<int> type;
  std::optional<int> socGroup;
  std::optional<QString> notes;
  std::optional<int> invProc;
  std::optional<QString> invDate;  // as stored; read as a date when compared
  std::optional<QString> telk;
};

// The change lines of a member row against the stored member it is written
// into: one line per non-NULL stored value that differs from the row's.
// socGroupTexts are the entries of the social-group list, whose positions
// are the stored codes. A stored INV_DATE that is not a date throws
// fb::Error with the conversion's text.
QStringList MemberChangeLines(const StoredMember &stored, const MemberRow &row, const QStringList &socGroupTexts);

// The change entry: every line, then "Картон номер :" + regNum, each ended by
// a line break.
QString MemberChangeText(const QStringList &lines, const QString &regNum);

// "Изтриване на " + type text + " с име " + name + " с картон номер :" + regNum.
QString MemberRemovedText(int typeCode, const QString &name, const QString &regNum);

// A date kept as text (INV_DATE) written as dd.mm.yyyy; throws fb::Error when
// the text is not a date.
QString StoredDateText(const QString &stored);

}  // namespace zv
