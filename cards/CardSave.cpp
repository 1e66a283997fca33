// Storing the card window's card: the card row, its members paired with the
// stored ones by position, the change history of a stored card, the points.
// One save is one unit: a failure anywhere takes all of it back.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>

#include "CardNotes.h"
#include "CardWidgets.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "History.h"
#include "Points.h"
#include "ViewKarton.h"
#include "egn.h"

using zv::MemberRow;
using zv::MemberRows;
using zv::dayOf;

namespace {
const QString kSaveError = QStringLiteral("Грешка при запис");
const QString kChangedElsewhere = QStringLiteral(
    "Картонът е променен от друга работна станция, след като е бил отворен тук. Промените не са "
    "записани; затворете картона и го отворете отново.");

// The stored card is no longer the one the window loaded.
struct ChangedElsewhere : std::runtime_error {
  QString text;
  explicit ChangedElsewhere(const QString &serverText)
      : std::runtime_error("card changed elsewhere"),
        text(serverText.isEmpty() ? kChangedElsewhere : kChangedElsewhere + QStringLiteral("\n\n") + serverText) {}
};

// The columns the window writes and every member's, as one list of texts.
// The notes are left out: what another workstation added to them is kept
// by the notes merge; the points and places are the ranking's.
const QString kStampedCardColumns = QStringLiteral(
    "REG_NUM, REGDATE, GROUP1, GROUP2, ADRESS, ADRESS_DATE, CHECK_DATE, GRUPA_DATE, GRUPA, L_REASON, KART, "
    "L_DATA, DEALS, ASSETS, L_CONDITIONS, CHECK_NAME, GOT_HOUSE, STATUS, INCOME, DOC_IDTXT, PROT_ID, "
    "PROT_DATE, LASTDEK_ID, LASTDEK_DATE, HARD_LIFE");
const QString kStampedPersonColumns =
    QStringLiteral("PERSON_ID, NAME, EGN, PERSON_TYPE, SOCGRUPA, NOTES, INV_PROC, INV_DATE, TELK_NUM");
}  // namespace

QStringList TViewKart::ReadCardStamp() const {
  zv::Query &q = DataModule1->TempQuery;
  QStringList stamp;
  const auto read = [&q, &stamp](const QString &sql) {
    q.close();
    q.SQL = QStringList{sql};
    q.open();
    const QStringList names = q.fieldNames();
    for (q.first(); !q.eof(); q.next()) {
      for (const QString &name : names) {
        const zv::Field f = q.fieldByName(name);
        stamp << (f.isNull() ? QStringLiteral("<null>") : f.asString());
      }
      stamp << QStringLiteral("<row>");
    }
    q.close();
  };
  const QString id = QString::number(CardId);
  read(QStringLiteral("select ") + kStampedCardColumns + QStringLiteral(" from RGS_CARD where CARD_ID = ") + id);
  read(QStringLiteral("select ") + kStampedPersonColumns + QStringLiteral(" from RGS_PERSON where CARD_ID = ") + id +
       QStringLiteral(" order by PERSON_ID"));
  return stamp;
}

void TViewKart::TakeCardOrRefuse() {
  TDataModule1 &dm = *DataModule1;
  // Holding the card row from here to the commit: another workstation's
  // change now waits for nobody and fails at once, and one it has not yet
  // committed makes this save fail at once.
  try {
    fb::execute(dm.Database, dm.Transaction,
                QStringLiteral("update RGS_CARD set CARD_ID = CARD_ID where CARD_ID = ") + QString::number(CardId));
  } catch (const fb::ConnectionLost &) {
    throw;
  } catch (const fb::EncodingError &) {
    throw;
  } catch (const fb::Error &e) {
    throw ChangedElsewhere(e.text());
  }
  if (ReadCardStamp() != CardStamp) throw ChangedElsewhere(QString());
}

// ====================================================================== storing

std::vector<TViewKart::TypedText> TViewKart::cardTexts() const {
  std::vector<TypedText> texts{{QStringLiteral("Регистрационен номер"), ebRegNum->text(), ebRegNum},
                               {QStringLiteral("Вх. №"), doctxt->text(), doctxt},
                               {QStringLiteral("Инф. за състоянието"), ebGot->text(), ebGot},
                               {QStringLiteral("Проверил"), ebCheck->text(), ebCheck},
                               {QStringLiteral("Адрес"), ebAdress->text(), ebAdress},
                               {QStringLiteral("Данни за жилището"), ebLCond->text(), ebLCond},
                               {QStringLiteral("Общ брутен годишен доход"), ebIncome->text(), ebIncome},
                               {QStringLiteral("Сделки с недвижими имоти"), ebDeals->text(), ebDeals},
                               {QStringLiteral("Друго имущество"), ebAssets->text(), ebAssets},
                               {QStringLiteral("Последно подадена декларация"), dek_id->text(), dek_id},
                               {QStringLiteral("Протокол №"), pr->text(), pr},
                               {QStringLiteral("Бележки"), zv::MemoText(mNotes), mNotes}};
  // The member rows took their texts through the panel's own check; rows
  // filled any other way are checked here as well.
  static const std::pair<int, const char *> cells[] = {{zv::cellName, "Име"},
                                                       {zv::cellEgn, "ЕГН"},
                                                       {zv::cellNotes, "Допълнителни бележки"},
                                                       {zv::cellInvProc, "Процент на инвалидност"},
                                                       {zv::cellInvDate, "Валидно до (дата)"},
                                                       {zv::cellTelk, "Експертно решение на ТЕЛК"}};
  const MemberRows rows = MembersToStore();
  for (size_t r = 0; r < rows.size(); ++r)
    for (const auto &[cell, field] : cells)
      texts.push_back({QString::fromUtf8(field), rows[r][static_cast<size_t>(cell)], FamilyList, static_cast<int>(r) + 1});
  return texts;
}

void TViewKart::OKClick() {
  guarded([this] { StoreChecked(); });
}

bool TViewKart::StoreChecked() {
  zv::CardInput in;
  in.income = ebIncome->text();
  in.subGroupText = cbsubGroup->currentText();
  in.groupText = cbGroup->currentText();
  in.address = ebAdress->text();
  in.memberCount = zv::MemberCount(Rows(), HolderPending);
  in.addressDate = dayOf(dtAdress);
  in.statusPosition = cbStatus->currentIndex();
  in.minAddressYears = MinAddressYears;
  const zv::CardCheck check = zv::ValidateCard(in, zv::now());
  if (!check.warning.isEmpty()) zv::ShowWarning(check.warning);
  if (check.result != zv::kCardOk) {
    Dialogs::message(check.result, kSaveError);
    return false;
  }
  if (!SaveCard()) return false;
  Modified = false;
  return true;
}

bool TViewKart::SaveCard() {
  if (Mode != 0 && !Editable) return false;
  // Text the database cannot take is refused before anything is written.
  if (RefuseUnwritable(cardTexts(), kSaveError)) return false;
  TDataModule1 &dm = *DataModule1;
  fb::Transaction &tr = dm.Transaction;
  if (tr.active())
    tr.commitRetaining();
  else
    tr.start();

  int regNum = 0;
  if (Mode == 0) {
    if (!zv::RegNumIsFree(ebRegNum->text())) {
      Dialogs::message(QStringLiteral("Регистрационният номер е невалиден или вече съществува!"), kSaveError);
      return false;
    }
    regNum = *zv::ReadWholeNumber(ebRegNum->text());
    try {
      zv::Table &nom = dm.Nom;
      if (nom.locate(QStringLiteral("N"), 1)) {
        nom.edit();
        nom.setField(QStringLiteral("COUNTER"), regNum);
        nom.post();
      }
      // The next card is offered row 0 plus one: row 0 follows the highest
      // number stored, in the same transaction as the card.
      fb::execute(dm.Database, tr,
                  QStringLiteral("update NOM set COUNTER = ? where N = 0 and (COUNTER is null or COUNTER < ?)"),
                  {regNum, regNum});
      nom.close();
      nom.open();
    } catch (const fb::Error &e) {
      tr.rollbackQuietly();
      dm.Cards.close();
      dm.Person.close();
      zv::ShowServerError(e.text());
      return false;
    }
  }

  // The card, its history entries, its members and its points are one unit:
  // a failure anywhere takes all of them back.
  QString storedNotes;
  std::optional<QString> notes;
  try {
    zv::Table &cards = dm.Cards;
    if (Mode == 0) {
      cards.insert();
    } else {
      TakeCardOrRefuse();
      cards.locate(QStringLiteral("CARD_ID"), CardId);
      cards.edit();
    }
    const auto set = [&cards](const char *name, const QVariant &v) { cards.setField(QLatin1String(name), v); };
    const auto setText = [&set](const char *name, const QString &text) {
      if (!text.isEmpty()) set(name, text);
    };
    const int number = zv::WholeNumberOrThrow(ebRegNum->text());
    set("REG_NUM", number);
    set("REGDATE", dayOf(AddDate));
    set("GROUP1", cbGroup->currentIndex() + 1);
    set("GROUP2", cbsubGroup->currentIndex() >= 0 ? cbsubGroup->currentIndex() : 9);
    setText("ADRESS", ebAdress->text());
    set("ADRESS_DATE", dayOf(dtAdress));
    set("CHECK_DATE", dayOf(dtCheck));
    set("GRUPA_DATE", dayOf(dtGrupaDate));
    set("GRUPA", cbGroup->currentIndex());
    set("L_REASON", qMax(cbLReason->currentIndex(), 0));
    set("KART", qMax(cbKart->currentIndex(), 0));
    if (cbLData->currentIndex() >= 0) set("L_DATA", cbLData->currentIndex());
    setText("DEALS", ebDeals->text());
    setText("ASSETS", ebAssets->text());
    setText("L_CONDITIONS", ebLCond->text());

    if (Mode == 0)
      zv::LogAction(number, QStringLiteral("RGS_CARD"), zv::CardCreatedText(ebRegNum->text()));
    else
      LogCardChanges();

    // Notes nobody changed stay exactly as stored; see CardNotes.
    if (Mode != 0) storedNotes = cards.fieldByName(QStringLiteral("NOTES")).asString();
    notes = zv::NotesToStore(LoadedNotes, zv::MemoText(mNotes), storedNotes);
    if (notes) set("NOTES", *notes);
    setText("CHECK_NAME", ebCheck->text());
    setText("GOT_HOUSE", ebGot->text());
    set("ADD_USER", QStringLiteral("Default"));
    set("STATUS", cbStatus->currentIndex());
    if (const std::optional<double> income = zv::ReadCurrency(ebIncome->text())) set("INCOME", *income);
    set("KIDS", zv::CountMinorChildren(MembersToStore()));
    setText("DOC_IDTXT", doctxt->text());
    if (!pr->text().isEmpty()) {
      set("PROT_ID", zv::WholeNumberOrThrow(pr->text()));
      set("PROT_DATE", dayOf(protDate));
    }
    if (!dek_id->text().isEmpty()) {
      set("LASTDEK_ID", dek_id->text());
      set("LASTDEK_DATE", dayOf(dek_dat));
    }
    // Unticked stores 0, so that the points follow the box both ways.
    set("HARD_LIFE", HardLife->isChecked() ? 1 : 0);
    cards.post();
    cards.close();

    if (Mode == 0) {
      // The row this workstation inserted: its number is unique.
      zv::Query &q = dm.TempQuery;
      q.close();
      q.SQL = QStringList{QStringLiteral("select card_id from rgs_card where reg_num = ") + QString::number(number)};
      q.open();
      if (q.isEmpty()) throw fb::Error(QStringLiteral("RGS_CARD: the stored card was not found"));
      CardId = q.fieldByName(QStringLiteral("CARD_ID")).asInteger();
      q.close();
      storeNewMembers();
    } else {
      storeMembersByPosition();
    }
    dm.Person.close();
    zv::ComputeCardPoints(CardId);
    dm.Cards.close();
    tr.commitRetaining();
    // The history now holds the watched fields as they stand.
    if (Mode != 0) {
      SnapshotCardFields();
      CardStamp = ReadCardStamp();
    }
  } catch (const std::exception &e) {
    tr.rollbackQuietly();
    dm.Cards.close();
    dm.Person.close();
    // Nom holds the counters as this save wrote them; read them again.
    try {
      dm.Nom.open();
    } catch (const fb::Error &) {
    }
    if (const auto *changed = dynamic_cast<const ChangedElsewhere *>(&e)) {
      Dialogs::message(changed->text, kSaveError);
      return false;
    }
    const auto *err = dynamic_cast<const fb::Error *>(&e);
    zv::ShowServerError(err ? err->text() : QString::fromLocal8Bit(e.what()));
    return false;
  }

  if (Mode == 0) {
    Dialogs::message(QStringLiteral("Данните са регистрирани успешно!"));
    LoadCard();  // ready for the next new card
  } else {
    // The memo shows the notes as they are now stored (with what another
    // workstation added meanwhile), and later saves compare against them.
    LoadedNotes = notes ? *notes : storedNotes;
    const QString shown = zv::NotesForMemo(LoadedNotes);
    if (zv::MemoText(mNotes) != shown) {
      const QSignalBlocker quiet(mNotes);
      mNotes->setPlainText(shown);
    }
    LoadedState = TypedState();
    Dialogs::message(QStringLiteral("Данните са актуализирани успешно!"));
  }
  return true;
}

void TViewKart::writeMemberColumns(const MemberRow &cells) {
  zv::Table &p = DataModule1->Person;
  p.setField(QStringLiteral("NAME"), cells[zv::cellName]);
  p.setField(QStringLiteral("EGN"), cells[zv::cellEgn]);
  p.setField(QStringLiteral("PERSON_TYPE"), zv::TypeCodeOf(cells[zv::cellType]));
  p.setField(QStringLiteral("SOCGRUPA"), socGroupCode(cells[zv::cellSoc]));
  p.setField(QStringLiteral("NOTES"), cells[zv::cellNotes].isEmpty() ? QVariant() : QVariant(cells[zv::cellNotes]));
  if (!cells[zv::cellInvProc].isEmpty()) {
    p.setField(QStringLiteral("INV_PROC"), cells[zv::cellInvProc]);
    p.setField(QStringLiteral("INV_DATE"), cells[zv::cellInvDate]);
    p.setField(QStringLiteral("TELK_NUM"), cells[zv::cellTelk]);
  }
}

void TViewKart::storeNewMembers() {
  zv::Table &p = DataModule1->Person;
  for (const MemberRow &cells : MembersToStore()) {
    p.insert();
    p.setField(QStringLiteral("CARD_ID"), CardId);
    writeMemberColumns(cells);
    p.post();
  }
}

void TViewKart::storeMembersByPosition() {
  TDataModule1 &dm = *DataModule1;
  zv::Query &q = dm.TempQuery;
  q.close();
  q.SQL = QStringList{QStringLiteral("select person_id from rgs_person where card_id = ") + QString::number(CardId) +
                      QStringLiteral(" order by person_id")};
  q.open();
  std::vector<int> stored;
  for (q.first(); !q.eof(); q.next()) stored.push_back(q.fieldByName(QStringLiteral("PERSON_ID")).asInteger());
  q.close();

  zv::Table &p = dm.Person;
  const MemberRows rows = MembersToStore();
  for (size_t k = 0; k < rows.size(); ++k) {
    const MemberRow &cells = rows[k];
    if (k < stored.size()) {
      p.locate(QStringLiteral("PERSON_ID"), stored[k]);
      p.edit();
      const QStringList lines = MemberChangeLines(cells);
      writeMemberColumns(cells);
      if (!lines.isEmpty()) LogMemberChanged(lines);
    } else {
      p.insert();
      p.setField(QStringLiteral("CARD_ID"), CardId);
      LogMemberAdded(cells);
      writeMemberColumns(cells);
    }
    p.post();
  }
  for (size_t k = rows.size(); k < stored.size(); ++k) {
    p.locate(QStringLiteral("PERSON_ID"), stored[k]);
    LogMemberRemoved();
    p.deleteCurrent();
  }
}

// ---- change history of a stored card

namespace {

const QString kCardSubject = QStringLiteral("RGS_CARD");
const QString kPersonSubject = QStringLiteral("RGS_PERSON");

QStringList itemTexts(const QComboBox *box) {
  QStringList out;
  for (int i = 0; i < box->count(); ++i) out << box->itemText(i);
  return out;
}

// The stored member of Person's current row (or edit buffer).
zv::StoredMember storedMember(const zv::Table &p) {
  const auto f = [&p](const char *name) { return p.fieldByName(QLatin1String(name)); };
  const auto text = [&f](const char *name) -> std::optional<QString> {
    const zv::Field v = f(name);
    if (v.isNull()) return std::nullopt;
    return zv::TrimRight(v.asString());
  };
  const auto number = [&f](const char *name) -> std::optional<int> {
    const zv::Field v = f(name);
    if (v.isNull()) return std::nullopt;
    return v.asInteger();
  };
  zv::StoredMember m;
  m.name = text("NAME");
  m.egn = text("EGN");
  m.type = number("PERSON_TYPE");
  m.socGroup = number("SOCGRUPA");
  m.notes = text("NOTES");
  m.invProc = number("INV_PROC");
  m.invDate = text("INV_DATE");
  m.telk = text("TELK_NUM");
  return m;
}

int personId(const zv::Table &p) { return p.fieldByName(QStringLiteral("PERSON_ID")).asInteger(); }

}  // namespace

zv::WatchedCardFields TViewKart::watchedFields() const {
  return {dek_id->text(), dayOf(dek_dat), cbGroup->currentIndex(), dayOf(dtGrupaDate), cbStatus->currentIndex()};
}

void TViewKart::SnapshotCardFields() { Snapshot = watchedFields(); }

void TViewKart::LogCardChanges() {
  const QStringList texts =
      zv::CardChangeTexts(Snapshot, watchedFields(), itemTexts(cbGroup), itemTexts(cbStatus), ebRegNum->text());
  for (const QString &text : texts) zv::LogAction(CardId, kCardSubject, text);
}

QStringList TViewKart::MemberChangeLines(const MemberRow &cells) {
  return zv::MemberChangeLines(storedMember(DataModule1->Person), cells, itemTexts(cbSocGrupa));
}

void TViewKart::LogMemberChanged(const QStringList &lines) {
  zv::LogAction(personId(DataModule1->Person), kPersonSubject, zv::MemberChangeText(lines, ebRegNum->text()));
}

void TViewKart::LogMemberAdded(const MemberRow &cells) {
  zv::LogAction(CardId, kCardSubject, zv::MemberAddedText(cells[zv::cellName]));
}

void TViewKart::LogMemberRemoved() {
  const zv::Table &p = DataModule1->Person;
  const zv::StoredMember m = storedMember(p);
  zv::LogAction(personId(p), kPersonSubject,
                zv::MemberRemovedText(m.type.value_or(-1), m.name.value_or(QString()), ebRegNum->text()));
}
