#pragma once
// Deletion of a card with all its family members, in the open transaction
// of the workstation: it becomes permanent with the next commit (the list's
// refresh, or logout).
#include <QString>

namespace fb {
class Database;
class Transaction;
}  // namespace fb

namespace zv {

// Deletes the RGS_PERSON rows of the card, then its RGS_CARD row.
void DeleteCard(fb::Database &db, fb::Transaction &tr, int cardId);

// The question asked before a deletion, for the card's registration number.
QString DeleteCardQuestion(const QString &regNum);
inline const QString kDeleteCardCaption = QStringLiteral("Закриване");

}  // namespace zv
