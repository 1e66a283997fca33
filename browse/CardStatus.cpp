#include "CardStatus.h"

#include <QHash>
#include <QSet>

#include "DataModule.h"
#include "History.h"
#include "Nomen.h"
#include "Progress.h"
#include "WriteUnit.h"
#include "egn.h"

namespace zv {

namespace {
const QString kCrLf = QStringLiteral("\r\n");
}  // namespace

QString StatusNoteText(int code) {
  const QString t = NomTextOf(QStringLiteral("STATUS"), code);
  return t == kNomNone ? QString() : CollapseSpaces(t);
}

QString WithCrLfLines(const QString &notes) {
  QString out;
  out.reserve(notes.size() + notes.size() / 16 + 2);
  for (qsizetype i = 0; i < notes.size(); ++i) {
    const QChar c = notes.at(i);
    if (c == QLatin1Char('\r')) {
      out += kCrLf;
      if (i + 1 < notes.size() && notes.at(i + 1) == QLatin1Char('\n')) ++i;
    } else if (c == QLatin1Char('\n')) {
      out += kCrLf;
    } else {
      out += c;
    }
  }
  if (!out.isEmpty() && !out.endsWith(kCrLf)) out += kCrLf;
  return out;
}

QString StatusChangeNotes(const QString &oldNotes, const QString &oldStatusText, const QString &newStatusText) {
  const QString message =
      QStringLiteral("Промяна на състояние от ") + oldStatusText + QStringLiteral(" на ") + newStatusText;
  return ExecutorStamp(message, QStringLiteral("Системно")) + kCrLf + WithCrLfLines(oldNotes);
}

QList<int> ListedCardIds(const Query &list) {
  QList<int> ids;
  if (!list.active()) return ids;
  const int col = list.fieldIndex(QStringLiteral("CARD_ID"));
  QSet<int> seen;
  for (int r = 0; r < list.recordCount(); ++r) {
    const int id = list.value(r, col).toInt();
    if (!seen.contains(id)) {
      seen.insert(id);
      ids.append(id);
    }
  }
  return ids;
}

struct CardStatusWriter::Impl {
  fb::Statement read, update;
  QHash<int, QString> texts;  // status note texts by code, for this run
  Impl(fb::Database &db, fb::Transaction &tr) : read(db, tr), update(db, tr) {}
  const QString &text(int code) {
    auto it = texts.find(code);
    if (it == texts.end()) it = texts.insert(code, StatusNoteText(code));
    return it.value();
  }
};

CardStatusWriter::CardStatusWriter(fb::Database &db, fb::Transaction &tr) : d(std::make_unique<Impl>(db, tr)) {
  d->read.prepare(QStringLiteral("select STATUS, NOTES, REG_NUM from RGS_CARD where CARD_ID = ?"));
  d->update.prepare(QStringLiteral("update RGS_CARD set STATUS = ?, NOTES = ? where CARD_ID = ?"));
}

CardStatusWriter::~CardStatusWriter() = default;

bool CardStatusWriter::write(int cardId, int newCode, UnitCard *at) {
  d->read.execute({cardId});
  if (!d->read.fetch()) {
    d->read.closeCursor();
    return false;
  }
  const QVariant status = d->read.value(0);
  const QVariant notes = d->read.value(1);
  if (at) at->at(d->read.value(2));
  d->read.closeCursor();
  const QString oldText = status.isValid() && !status.isNull() ? d->text(status.toInt()) : QString();
  const QString stored = notes.isValid() && !notes.isNull() ? notes.toString() : QString();
  d->update.execute({newCode, StatusChangeNotes(stored, oldText, d->text(newCode)), cardId});
  return true;
}

namespace {
// Commits what is pending while keeping the transaction, or starts one.
void beginBatch(fb::Transaction &tr) {
  if (tr.active())
    tr.commitRetaining();
  else
    tr.start();
}
}  // namespace

void SetCardStatus(int cardId, int newCode) {
  TDataModule1 &dm = *DataModule1;
  beginBatch(dm.Transaction);
  CardStatusWriter writer(dm.Database, dm.Transaction);
  writer.write(cardId, newCode);
  dm.Transaction.commitRetaining();
}

int SetCardsStatus(const QList<int> &cardIds, int newCode, Progress &progress) {
  TDataModule1 &dm = *DataModule1;
  ProgressRun run(progress, QStringLiteral("Промяна на състоянието на картоните"), 300);
  int changed = 0;
  RunAsOneUnit(dm.Transaction, kStatusNotChanged, [&](UnitCard &at) {
    CardStatusWriter writer(dm.Database, dm.Transaction);
    const int total = static_cast<int>(cardIds.size());
    for (int i = 0; i < total; ++i) {
      if (writer.write(cardIds[i], newCode, &at)) ++changed;
      stepProgress(progress, i + 1, total);
    }
  });
  return changed;
}

QString SetAllStatusQuestion(int cards, int newCode) {
  const QString what = cards == 1 ? QStringLiteral("1 картон") : QString::number(cards) + QStringLiteral(" картона");
  return QStringLiteral("Състоянието на %1 от списъка ще бъде сменено на \"%2\". Желаете ли да продължите?")
      .arg(what, StatusNoteText(newCode).trimmed());
}

}  // namespace zv
