#pragma once
// Status changes of cards: the new status code goes into RGS_CARD.STATUS and
// a stamped system note naming the old and the new status goes on top of the
// card's notes. The notes and the old status are read from the stored row in
// the same transaction just before the update, so a note stored meanwhile by
// another workstation (or by the card window) is kept, never overwritten.
#include <QList>
#include <QString>
#include <memory>

namespace fb {
class Database;
class Transaction;
}  // namespace fb

namespace zv {

class Progress;
class Query;
class UnitCard;

// The status text of a code as notes name it: the nomenclature text with
// every run of blanks collapsed to one; empty for a code without a text.
QString StatusNoteText(int code);

// Every line of the text ended by CR LF: a CR, an LF or a CR LF becomes
// CR LF, and a last line without an end gains one. Empty stays empty.
QString WithCrLfLines(const QString &notes);

// The notes after a status change: the four stamp lines, each ended by
// CR LF, then the old notes' lines (WithCrLfLines).
QString StatusChangeNotes(const QString &oldNotes, const QString &oldStatusText, const QString &newStatusText);

// The cards of the listed rows, each once, in the order first listed.
QList<int> ListedCardIds(const Query &list);

// Changes cards one after another through prepared statements of the given
// transaction, which must be active.
class CardStatusWriter {
 public:
  CardStatusWriter(fb::Database &db, fb::Transaction &tr);
  ~CardStatusWriter();
  CardStatusWriter(const CardStatusWriter &) = delete;
  CardStatusWriter &operator=(const CardStatusWriter &) = delete;
  // False when no card has this id (deleted meanwhile): nothing is written.
  // at, when given, is told the card's registration number before the write.
  bool write(int cardId, int newCode, UnitCard *at = nullptr);

 private:
  struct Impl;
  std::unique_ptr<Impl> d;
};

// One card, in the data module's transaction: commits what is pending while
// keeping the transaction (or starts it), writes, commits retaining.
void SetCardStatus(int cardId, int newCode);

// Every card of the list the same way, with the progress reported, as one
// unit (WriteUnit.h): what was pending is committed first, and the changes
// are committed together at the end. When a card cannot be written (held at
// another workstation) none is changed: the transaction is rolled back and a
// UnitFailed names the card. Returns the number of cards changed.
int SetCardsStatus(const QList<int> &cardIds, int newCode, Progress &progress);
// What a failed change of every listed card says first.
inline const QString kStatusNotChanged = QStringLiteral("Състоянието не е сменено на нито един картон");

// The question asked before every card of the list is changed.
QString SetAllStatusQuestion(int cards, int newCode);
inline const QString kStatusChangeCaption = QStringLiteral("Промяна на състояние");

}  // namespace zv
