#pragma once
// The check of a member against the population register, without windows:
// what the check window's boxes show for a person, and what the ticked boxes
// copy into the card window.
#include <QDate>
#include <QString>
#include <optional>

#include "PersonInfo.h"

namespace zv {

// "Лице с това ЕГН не фигурира в Локална База Данни"
QString LbdNotFoundText();

// FirstName, MiddleName and LastName joined by single blanks; both blanks
// stay when a part is empty.
QString RegisterName(const TPersonValues &v);

// Place, street and number joined by blanks, then " вх.", " ет." and " ап."
// with their values, each only when it is given.
QString ComposeAddress(const QString &place, const QString &street, const QString &number, const QString &entrance,
                       const QString &floor, const QString &apartment);

// The identity card: "№<number> от <date>", the issuing office and
// directorate, the place; empty without a number or without a date.
QString ComposeIdInfo(const TPersonValues &v);

// The texts of the check window's seven boxes.
struct LbdBoxes {
  QString Name, EGN, Address1, AddrReg1, Address2, AddrReg2, IDInfo;
};
LbdBoxes ComposeLbdBoxes(const TPersonValues &v, const QString &egn);

// The check boxes that copy something (CB2, the EGN, never does).
struct LbdTicks {
  bool CB1 = true;  // name
  bool CB3 = false;  // permanent address into the card notes
  bool CB4 = false;  // its registration date after it
  bool CB5 = false;  // current address into the card's address
  bool CB6 = false;  // its registration date into the card's address date
  bool CB7 = false;  // identity card into the member's notes
};

// The card window's controls that the copy sets; a control without a value
// here is left as it is.
struct LbdCopy {
  std::optional<QString> FirstName;
  std::optional<QString> ebAdress;
  std::optional<QDate> dtAdress;
  std::optional<QString> mNotes;
  std::optional<QString> PersonNotes;
};
// `cardNotes` and `memberNotes` are the card notes and the member's notes as
// they stand before the copy.
LbdCopy CopyTicked(const LbdBoxes &boxes, const LbdTicks &ticks, const QString &cardNotes,
                   const QString &memberNotes);

}  // namespace zv
