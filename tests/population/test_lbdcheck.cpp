// What the check window shows for a person and what the ticked boxes copy
// into the card window.
#include <gtest/gtest.h>

#include <QDate>
#include <optional>

#include "LbdCheck.h"

namespace {

zv::TDate day(int y, int m, int d) { return zv::fromQDate(QDate(y, m, d)); }

TEST(LbdCompositions, NameAddressAndIdentityCard) {
  TPersonValues v;
  v.FirstName = QStringLiteral("Иван");
  EXPECT_EQ(zv::RegisterName(v), QStringLiteral("Иван  "));
  v.MiddleName = QStringLiteral("Петров");
  v.LastName = QStringLiteral("Иванов");
  EXPECT_EQ(zv::RegisterName(v), QStringLiteral("Иван Петров Иванов"));

  const QString place = QStringLiteral("Долинец"), street = QStringLiteral("Рила"), no = QStringLiteral("5");
  EXPECT_EQ(zv::ComposeAddress(place, street, no, {}, {}, {}), QStringLiteral("Долинец Рила 5"));
  EXPECT_EQ(zv::ComposeAddress(place, street, no, QStringLiteral("А"), QStringLiteral("3"), QStringLiteral("12")),
            QStringLiteral("Долинец Рила 5 вх.А ет.3 ап.12"));
  EXPECT_EQ(zv::ComposeAddress(place, street, no, {}, QStringLiteral("3"), {}), QStringLiteral("Долинец Рила 5 ет.3"));
  EXPECT_EQ(zv::ComposeAddress({}, {}, {}, {}, {}, {}), QStringLiteral("  "));

  struct Case {
    const char *what;
    QString number;
    zv::TDate date;
    QString rpu, rdvr, place;
    QString want;
  };
  const QString n = QStringLiteral("640123456"), mvr = QStringLiteral("МВР"), dol = QStringLiteral("Долинец");
  const zv::TDate issued = day(2019, 3, 4);
  const Case cases[] = {
      {"everything", n, issued, mvr, dol, dol, QStringLiteral("№640123456 от 04.03.2019,издаден от МВР РДВР-Долинец Долинец")},
      {"office only", n, issued, mvr, {}, dol, QStringLiteral("№640123456 от 04.03.2019,издаден от МВР Долинец")},
      {"directorate only", n, issued, {}, dol, dol, QStringLiteral("№640123456 от 04.03.2019,издаден от  РДВР-Долинец Долинец")},
      {"neither, no place", n, issued, {}, {}, {}, QStringLiteral("№640123456 от 04.03.2019 ")},
      {"no date", n, 0, mvr, dol, dol, QString()},
      {"date without number", {}, issued, mvr, dol, dol, QString()},
  };
  for (const Case &c : cases) {
    TPersonValues id;
    id.IdDocNumber = c.number;
    id.IdDocDate = c.date;
    id.IdDocRPU = c.rpu;
    id.IdDocRDVR = c.rdvr;
    id.IdDocPopulatedPlace = c.place;
    EXPECT_EQ(zv::ComposeIdInfo(id), c.want) << c.what;
  }
}

TEST(LbdCompositions, TheSevenBoxes) {
  TPersonValues v;
  v.FirstName = QStringLiteral("Мария");
  v.PAddrPopulatedPlace = QStringLiteral("Бреза");
  v.PAddrStreet = QStringLiteral("Шипка");
  v.PAddrNumber = QStringLiteral("7");
  v.PAddrDate = day(2005, 2, 1);
  v.CAddrPopulatedPlace = QStringLiteral("Долинец");
  v.CAddrStreet = QStringLiteral("Рила");
  v.CAddrNumber = QStringLiteral("5");
  v.CAddrAppartment = QStringLiteral("12");
  const zv::LbdBoxes b = zv::ComposeLbdBoxes(v, QStringLiteral(" 7501020018"));
  EXPECT_EQ(b.Name, QStringLiteral("Мария  "));
  EXPECT_EQ(b.EGN, QStringLiteral(" 7501020018")) << "the EGN as typed";
  EXPECT_EQ(b.Address1, QStringLiteral("Бреза Шипка 7"));
  EXPECT_EQ(b.AddrReg1, QStringLiteral("01.02.2005"));
  EXPECT_EQ(b.Address2, QStringLiteral("Долинец Рила 5 ап.12"));
  EXPECT_EQ(b.AddrReg2, QString());
  EXPECT_EQ(b.IDInfo, QString());
}

// ------------------------------------------------------------ copying

zv::LbdBoxes example() {
  zv::LbdBoxes b;
  b.Name = QStringLiteral("Мария Иванова Петрова");
  b.EGN = QStringLiteral("7501020018");
  b.Address1 = QStringLiteral("Долинец Рила 5 вх.А ет.3 ап.12");
  b.AddrReg1 = QStringLiteral("01.02.2005");
  b.Address2 = QStringLiteral("Долинец Шипка 9");
  b.AddrReg2 = QStringLiteral("15.03.2010");
  b.IDInfo = QStringLiteral("№640123456 от 04.03.2019,издаден от МВР Долинец");
  return b;
}

zv::LbdTicks ticks(bool cb1, bool cb3, bool cb4, bool cb5, bool cb6, bool cb7) {
  zv::LbdTicks t;
  t.CB1 = cb1;
  t.CB3 = cb3;
  t.CB4 = cb4;
  t.CB5 = cb5;
  t.CB6 = cb6;
  t.CB7 = cb7;
  return t;
}

TEST(LbdCopy, TheCardNotesTakeThePermanentAddress) {
  const zv::LbdBoxes b = example();
  zv::LbdBoxes noDate = b;
  noDate.AddrReg1.clear();
  struct Case {
    const char *what;
    zv::LbdBoxes boxes;
    bool cb3, cb4;
    QString notes;
    std::optional<QString> want;  // none: the notes are left alone
  };
  const Case cases[] = {
      {"empty notes, both ticked", b, true, true, {},
       QStringLiteral("Постоянен адрес: Долинец Рила 5 вх.А ет.3 ап.12, адр.рег от дата 01.02.2005")},
      {"notes go on after \"; \"", b, true, false, QStringLiteral("Бележка"),
       QStringLiteral("Бележка; Постоянен адрес: Долинец Рила 5 вх.А ет.3 ап.12")},
      {"date without the address", b, false, true, QStringLiteral("Бележка"), std::nullopt},
      {"no registration date", noDate, true, true, {}, QStringLiteral("Постоянен адрес: Долинец Рила 5 вх.А ет.3 ап.12")},
  };
  for (const Case &c : cases) {
    const zv::LbdCopy copy = zv::CopyTicked(c.boxes, ticks(false, c.cb3, c.cb4, false, false, false), c.notes, {});
    EXPECT_EQ(copy.mNotes, c.want) << c.what;
    EXPECT_FALSE(copy.FirstName || copy.ebAdress || copy.dtAdress || copy.PersonNotes) << c.what;
  }
}

TEST(LbdCopy, NameCurrentAddressAndIdentityCard) {
  const zv::LbdBoxes b = example();
  zv::LbdCopy copy = zv::CopyTicked(b, ticks(true, false, false, true, true, true), {}, {});
  EXPECT_EQ(copy.FirstName, b.Name);
  EXPECT_EQ(copy.ebAdress, QStringLiteral("Долинец Шипка 9"));
  EXPECT_EQ(copy.dtAdress, QDate(2010, 3, 15));
  EXPECT_EQ(copy.PersonNotes, QStringLiteral("Лична карта №640123456 от 04.03.2019,издаден от МВР Долинец"));
  EXPECT_FALSE(copy.mNotes);

  copy = zv::CopyTicked(b, ticks(false, false, false, false, false, true), {}, QStringLiteral("Студент"));
  EXPECT_FALSE(copy.FirstName);
  EXPECT_EQ(copy.PersonNotes, QStringLiteral("Студент; Лична карта №640123456 от 04.03.2019,издаден от МВР Долинец"));

  // Without identity-card data the member's notes only get the separator,
  // and empty notes stay empty; without a current registration date the
  // card's address date is left alone.
  zv::LbdBoxes bare = b;
  bare.IDInfo.clear();
  bare.AddrReg2.clear();
  copy = zv::CopyTicked(bare, ticks(false, false, false, true, true, true), {}, QStringLiteral("Студент"));
  EXPECT_EQ(copy.PersonNotes, QStringLiteral("Студент; "));
  EXPECT_FALSE(copy.dtAdress);
  EXPECT_EQ(copy.ebAdress, QStringLiteral("Долинец Шипка 9"));
  copy = zv::CopyTicked(bare, ticks(false, false, false, false, false, true), {}, {});
  EXPECT_FALSE(copy.PersonNotes);
}

}  // namespace
