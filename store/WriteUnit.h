#pragma once
// A write of many cards (the places of a ranking, the status of every listed
// card, the points, a name from the population register) as one unit of the
// workstation's shared transaction: what was pending is committed first, the
// cards are written, and everything is committed at the end. A failure
// anywhere takes back everything the write did (the transaction is rolled
// back, which ends it) and is told with the card that could not be written,
// so that no partial result waits in the transaction for a later command to
// commit unseen.
#include <QString>
#include <QVariant>
#include <functional>

#include "Fb.h"

namespace zv {

// A unit that could not finish: the text says what was not done, which card
// stopped it (when one did) and, last, the server's own text. The codes are
// the server's, so isConflict() still tells a card held elsewhere.
class UnitFailed : public fb::Error {
 public:
  UnitFailed(const QString &text, const fb::Error &cause, const QVariant &regNum = QVariant());
  // The registration number of the card that stopped the unit; invalid when
  // the failure was not at a card (the final commit, a refusal).
  QVariant regNum() const { return regNum_; }

 private:
  QVariant regNum_;
};

// The clerk's text for a unit stopped by cause at the card with this
// registration number (invalid: at no card). notDone says that nothing was
// written, e.g. "Местата не са записани"; the server's text follows on a line
// of its own.
QString UnitFailureText(const QString &notDone, const QVariant &regNum, const fb::Error &cause);

// The card a unit is writing, for its failure text.
class UnitCard {
 public:
  void at(const QVariant &regNum) { regNum_ = regNum; }
  void none() { regNum_ = QVariant(); }
  const QVariant &regNum() const { return regNum_; }

 private:
  QVariant regNum_;
};

// Runs write as one unit in tr: commits what is pending (keeping the
// transaction) or starts it, runs write, commits. write names each card
// before writing it through the UnitCard it is given. On any error tr is
// rolled back and the error raised again: a server error as UnitFailed with
// notDone and the card; a lost connection and a UnitFailed raised by write
// itself (a refusal with its own text) as they are.
void RunAsOneUnit(fb::Transaction &tr, const QString &notDone, const std::function<void(UnitCard &)> &write);

}  // namespace zv
