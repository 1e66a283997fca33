#include "CardDelete.h"

#include "Fb.h"

namespace zv {

void DeleteCard(fb::Database &db, fb::Transaction &tr, int cardId) {
  tr.ensure();
  fb::execute(db, tr, QStringLiteral("delete from RGS_PERSON where CARD_ID = ?"), {cardId});
  fb::execute(db, tr, QStringLiteral("delete from RGS_CARD where CARD_ID = ?"), {cardId});
}

QString DeleteCardQuestion(const QString &regNum) {
  return QStringLiteral("Сигутни ли сте, че искате да изтриете рег. картон с рег.номер ") + regNum +
         QStringLiteral(" ?");
}

}  // namespace zv
