#include "LbdCheck.h"

namespace zv {

QString LbdNotFoundText() { return QStringLiteral("Лице с това ЕГН не фигурира в Локална База Данни"); }

QString RegisterName(const TPersonValues &v) {
  return v.FirstName + QLatin1Char(' ') + v.MiddleName + QLatin1Char(' ') + v.LastName;
}

QString ComposeAddress(const QString &place, const QString &street, const QString &number, const QString &entrance,
                       const QString &floor, const QString &apartment) {
  QString s = place + QLatin1Char(' ') + street + QLatin1Char(' ') + number;
  if (!entrance.isEmpty()) s += QStringLiteral(" вх.") + entrance;
  if (!floor.isEmpty()) s += QStringLiteral(" ет.") + floor;
  if (!apartment.isEmpty()) s += QStringLiteral(" ап.") + apartment;
  return s;
}

QString ComposeIdInfo(const TPersonValues &v) {
  if (v.IdDocNumber.isEmpty() || v.IdDocDate == 0) return QString();
  QString s = QStringLiteral("№") + v.IdDocNumber + QStringLiteral(" от ") + dateText(v.IdDocDate);
  if (!v.IdDocRPU.isEmpty() || !v.IdDocRDVR.isEmpty()) s += QStringLiteral(",издаден от ") + v.IdDocRPU;
  if (!v.IdDocRDVR.isEmpty()) s += QStringLiteral(" РДВР-") + v.IdDocRDVR;
  s += QLatin1Char(' ') + v.IdDocPopulatedPlace;
  return s;
}

LbdBoxes ComposeLbdBoxes(const TPersonValues &v, const QString &egn) {
  LbdBoxes b;
  b.Name = RegisterName(v);
  b.EGN = egn;
  b.Address1 = ComposeAddress(v.PAddrPopulatedPlace, v.PAddrStreet, v.PAddrNumber, v.PAddrEntrance, v.PAddrFloor,
                              v.PAddrAppartment);
  b.Address2 = ComposeAddress(v.CAddrPopulatedPlace, v.CAddrStreet, v.CAddrNumber, v.CAddrEntrance, v.CAddrFloor,
                              v.CAddrAppartment);
  b.AddrReg1 = dateText(v.PAddrDate);  // empty for no date
  b.AddrReg2 = dateText(v.CAddrDate);
  b.IDInfo = ComposeIdInfo(v);
  return b;
}

LbdCopy CopyTicked(const LbdBoxes &boxes, const LbdTicks &ticks, const QString &cardNotes,
                   const QString &memberNotes) {
  LbdCopy c;
  if (ticks.CB1) c.FirstName = boxes.Name;
  if (ticks.CB5) c.ebAdress = boxes.Address2;
  if (ticks.CB6 && !boxes.AddrReg2.isEmpty()) {
    const QDate d = QDate::fromString(boxes.AddrReg2, QStringLiteral("dd.MM.yyyy"));
    if (d.isValid()) c.dtAdress = d;
  }
  if (ticks.CB3) {
    QString notes = cardNotes;
    if (!notes.isEmpty()) notes += QStringLiteral("; ");
    notes += QStringLiteral("Постоянен адрес: ") + boxes.Address1;
    if (ticks.CB4 && !boxes.AddrReg1.isEmpty()) notes += QStringLiteral(", адр.рег от дата ") + boxes.AddrReg1;
    c.mNotes = notes;
  }
  if (ticks.CB7) {
    QString notes = memberNotes;
    if (!notes.isEmpty()) notes += QStringLiteral("; ");
    if (!boxes.IDInfo.isEmpty()) notes += QStringLiteral("Лична карта ") + boxes.IDInfo;
    if (notes != memberNotes) c.PersonNotes = notes;
  }
  return c;
}

}  // namespace zv
