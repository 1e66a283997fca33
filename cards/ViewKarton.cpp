// The card window: its layout, opening, loading, closing and notes. The
// member rows and panel are in FamilyPanel.cpp, storing in CardSave.cpp.
#include "ViewKarton.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QTextCursor>
#include <QToolButton>
#include <QVBoxLayout>

#include "CardNotes.h"
#include "CardWidgets.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "NomForm.h"
#include "frmNotes.h"
#include "egn.h"
#include "lbddialog.h"

TViewKart *ViewKart = nullptr;

using zv::MemberRow;
using zv::MemberRows;
using zv::named;

namespace {

const QString kCaptionView = QStringLiteral("Разглеждане/промяна на рег.картон");
const QString kCaptionNew = QStringLiteral("Картотекиране на рег. картон");
const QString kAddressHint = QStringLiteral(
    "* Не можете да впишете картон в картотеката при регистрация на адрес по-малко от %d години");

QDate qdate(zv::TDate d) { return zv::toQDate(d); }

}  // namespace

// ====================================================================== window

TViewKart::TViewKart(QWidget *parent) : QDialog(parent) {
  if (!ViewKart) ViewKart = this;
  setObjectName(QStringLiteral("ViewKart"));
  buildLayout();
  limitToColumnWidths();
  connectFieldEdits();
  setFieldOrder();
}

void TViewKart::limitToColumnWidths() {
  // Each box takes no more than its column holds, so that the server never
  // refuses a save for a text too long. Numbers stay within an INTEGER.
  const std::pair<QLineEdit *, int> widths[] = {
      {ebRegNum, 9},      // RGS_CARD.REG_NUM
      {doctxt, 25},       // DOC_IDTXT
      {ebGot, 100},       // GOT_HOUSE
      {ebCheck, 100},     // CHECK_NAME
      {ebAdress, 100},    // ADRESS
      {ebLCond, 150},     // L_CONDITIONS
      {ebIncome, 20},     // INCOME
      {ebDeals, 150},     // DEALS
      {ebAssets, 150},    // ASSETS
      {dek_id, 30},       // LASTDEK_ID
      {pr, 9},            // PROT_ID
      {FirstName, 100},   // RGS_PERSON.NAME
      {PersonEGN, 10},    // EGN
      {PersonNotes, 200}, // NOTES
      {proc_inv, 3},      // INV_PROC, a percentage
      {re6_telk, 40},     // TELK_NUM
  };
  for (const auto &[box, width] : widths) box->setMaxLength(width);
}

TViewKart::~TViewKart() {
  if (ViewKart == this) ViewKart = nullptr;
}

void TViewKart::buildLayout() {
  setWindowTitle(kCaptionNew);
  setModal(true);
  auto *root = new QVBoxLayout(this);
  buildTopStrip(root);

  PageControl1 = named(new QTabWidget(this), "PageControl1");
  root->addWidget(PageControl1, 1);
  // Tab "Общи": the family and the member panel, then the ranking details
  // and the address, each across the whole tab.
  auto *tab1 = named(new QWidget, "TabSheet1");
  auto *tab1Layout = new QVBoxLayout(tab1);
  buildFamilyPanel(tab1, tab1Layout);
  buildRankingGroup(tab1, tab1Layout);
  buildAddressGroup(tab1, tab1Layout);
  PageControl1->addTab(tab1, QStringLiteral("Общи"));
  buildOtherTab();

  buildBottomStrip(root);
  resize(qMax(1100, minimumSizeHint().width()), 760);
}

void TViewKart::buildTopStrip(QVBoxLayout *root) {
  const zv::ControlMaker make{this};
  ebRegNum = make.edit("ebRegNum");
  zv::highlight(ebRegNum);
  ebRegNum->installEventFilter(this);
  Load = make.button("Load", QStringLiteral("Зареждане"));
  AddDate = make.date("AddDate");
  doctxt = make.edit("doctxt");
  doctxt->setMinimumWidth(doctxt->fontMetrics().horizontalAdvance(QLatin1Char('0')) * 25);
  auto *top = new QHBoxLayout;
  top->addWidget(make.label(QStringLiteral("Регистрационен номер:")));
  top->addWidget(ebRegNum);
  top->addWidget(Load);
  top->addSpacing(12);
  top->addWidget(make.label(QStringLiteral("Дата на регистриране:")));
  top->addWidget(AddDate);
  top->addSpacing(12);
  top->addWidget(make.label(QStringLiteral("Вх. № :")));
  top->addWidget(doctxt);
  top->addStretch(1);
  root->addLayout(top);
  connect(Load, &QPushButton::clicked, this, &TViewKart::LoadClick);
}

void TViewKart::buildRankingGroup(QWidget *tab, QVBoxLayout *tabLayout) {
  const zv::ControlMaker make{this};
  gbRanking = named(new QGroupBox(QStringLiteral("Особености при класиране"), tab), "gbRanking");
  cbGroup = make.list("cbGroup");
  zv::highlight(cbGroup);
  dtGrupaDate = make.date("dtGrupaDate");
  cbsubGroup = make.list("cbsubGroup");
  zv::highlight(cbsubGroup);
  cbStatus = make.list("cbStatus");
  ebGot = make.edit("ebGot");
  HardLife = named(new QCheckBox(QStringLiteral("  Тежки жил. усл."), this), "HardLife");
  dtCheck = make.date("dtCheck");
  ebCheck = make.edit("ebCheck");
  auto *rg = new QGridLayout(gbRanking);
  rg->addWidget(make.label(QStringLiteral("Група:")), 0, 0);
  rg->addWidget(cbGroup, 0, 1, Qt::AlignLeft);
  rg->addWidget(make.label(QStringLiteral("от дата:")), 0, 2);
  rg->addWidget(dtGrupaDate, 0, 3, Qt::AlignLeft);
  rg->addWidget(make.label(QStringLiteral("Подгрупа:")), 1, 0);
  rg->addWidget(cbsubGroup, 1, 1, Qt::AlignLeft);
  rg->addWidget(HardLife, 1, 2, 1, 2);
  rg->addWidget(make.label(QStringLiteral("Състояние:")), 2, 0);
  rg->addWidget(cbStatus, 2, 1, Qt::AlignLeft);
  rg->addWidget(make.label(QStringLiteral("Инф. за състоянието:")), 2, 2);
  rg->addWidget(ebGot, 2, 3);
  rg->addWidget(make.label(QStringLiteral("Проверка на място:")), 3, 0);
  rg->addWidget(dtCheck, 3, 1, Qt::AlignLeft);
  rg->addWidget(make.label(QStringLiteral("Проверил:")), 3, 2);
  rg->addWidget(ebCheck, 3, 3);
  rg->setColumnStretch(1, 1);
  rg->setColumnStretch(3, 1);
  tabLayout->addWidget(gbRanking);
  connect(HardLife, &QCheckBox::clicked, this, &TViewKart::HardLifeClick);
}

void TViewKart::buildAddressGroup(QWidget *tab, QVBoxLayout *tabLayout) {
  const zv::ControlMaker make{this};
  gbAddress = named(new QGroupBox(QStringLiteral("Адресна регистрация"), tab), "gbAddress");
  ebAdress = make.edit("ebAdress");
  zv::highlight(ebAdress);
  // Room for a street, a number, a block, an entrance and a flat.
  ebAdress->setMinimumWidth(ebAdress->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 70);
  // The whole date: the day and month decide the years at the address.
  dtAdress = make.date("dtAdress");
  AddressHint = named(new QLabel(kAddressHint, gbAddress), "AddressHint");
  AddressHint->setWordWrap(true);
  QFont small = AddressHint->font();
  small.setItalic(true);
  small.setPointSizeF(small.pointSizeF() * 0.85);
  AddressHint->setFont(small);
  auto *ag = new QGridLayout(gbAddress);
  ag->addWidget(make.label(QStringLiteral("Адрес:")), 0, 0);
  ag->addWidget(ebAdress, 0, 1);
  ag->addWidget(make.label(QStringLiteral("От дата:")), 0, 2);
  ag->addWidget(dtAdress, 0, 3);
  ag->addWidget(AddressHint, 1, 1, 1, 3);
  ag->setColumnStretch(1, 1);
  tabLayout->addWidget(gbAddress);
}

void TViewKart::buildOtherTab() {
  const zv::ControlMaker make{this};
  auto *tab2 = named(new QWidget, "TabSheet2");
  auto *tab2Layout = new QVBoxLayout(tab2);
  gbOther = named(new QGroupBox(QStringLiteral("Допълнителни данни:"), tab2), "gbOther");
  cbLData = make.list("cbLData");
  ebLCond = make.edit("ebLCond");
  cbLReason = make.list("cbLReason");
  ebIncome = make.edit("ebIncome");
  cbKart = make.list("cbKart");
  ebDeals = make.edit("ebDeals");
  ebAssets = make.edit("ebAssets");
  dek_id = make.edit("dek_id");
  dek_dat = make.date("dek_dat");
  pr = make.edit("pr");
  protDate = make.date("protDate");
  auto *og = new QGridLayout(gbOther);
  og->addWidget(make.label(QStringLiteral("Данни за жилището:")), 0, 0);
  og->addWidget(cbLData, 0, 1);
  og->addWidget(ebLCond, 0, 2, 1, 3);
  og->addWidget(make.label(QStringLiteral("Основание за обит.:")), 1, 0);
  og->addWidget(cbLReason, 1, 1);
  og->addWidget(make.label(QStringLiteral("Общ брутен годишен доход:")), 2, 0);
  og->addWidget(ebIncome, 2, 1);
  og->addWidget(make.label(QStringLiteral("евро")), 2, 2);
  og->addWidget(make.label(QStringLiteral("Картотекиран:")), 3, 0);
  og->addWidget(cbKart, 3, 1);
  og->addWidget(make.label(QStringLiteral("Сделки с недвижими имоти:")), 4, 0);
  og->addWidget(ebDeals, 4, 1, 1, 4);
  og->addWidget(make.label(QStringLiteral("Друго имущество:")), 5, 0);
  og->addWidget(ebAssets, 5, 1, 1, 4);
  og->addWidget(make.label(QStringLiteral("Последно подадена декларация ( Номер :")), 6, 0);
  og->addWidget(dek_id, 6, 1);
  og->addWidget(make.label(QStringLiteral("Дата :")), 6, 2);
  og->addWidget(dek_dat, 6, 3);
  og->addWidget(make.label(QStringLiteral(")")), 6, 4);
  og->addWidget(make.label(QStringLiteral("Протокол № :")), 7, 0);
  og->addWidget(pr, 7, 1);
  og->addWidget(protDate, 7, 3);
  og->setColumnStretch(1, 1);
  og->setColumnStretch(4, 1);
  tab2Layout->addWidget(gbOther);

  gbNotes = named(new QGroupBox(QStringLiteral("Бележки"), tab2), "gbNotes");
  mNotes = named(new QPlainTextEdit(gbNotes), "mNotes");
  mNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  // Tab leaves the notes for the next field rather than typing a tab.
  mNotes->setTabChangesFocus(true);
  GroupBoxNoteBut = named(new QWidget(gbNotes), "GroupBoxNoteBut");
  note_txt = named(new QLineEdit(GroupBoxNoteBut), "note_txt");
  add_note = make.button("add_note", QStringLiteral("Добави"));
  auto *nb = new QHBoxLayout(GroupBoxNoteBut);
  nb->setContentsMargins(0, 0, 0, 0);
  nb->addWidget(note_txt, 1);
  nb->addWidget(add_note);
  auto *nl = new QVBoxLayout(gbNotes);
  nl->addWidget(mNotes, 1);
  nl->addWidget(GroupBoxNoteBut);
  tab2Layout->addWidget(gbNotes, 1);
  PageControl1->addTab(tab2, QStringLiteral("Други"));
}

void TViewKart::buildBottomStrip(QVBoxLayout *root) {
  const zv::ControlMaker make{this};
  DBNavigator1 = named(new QWidget(this), "DBNavigator1");
  auto *nav = new QHBoxLayout(DBNavigator1);
  nav->setContentsMargins(0, 0, 0, 0);
  nav->setSpacing(0);
  const auto navButton = [&](const char *name, const QString &text, const QString &tip, int which) {
    auto *b = named(new QToolButton(DBNavigator1), name);
    b->setText(text);
    b->setToolTip(tip);
    b->installEventFilter(this);  // Enter presses it, as it does a push button
    nav->addWidget(b);
    connect(b, &QToolButton::clicked, this, [this, which] { DBNavigator1Click(which); });
    return b;
  };
  nbFirst = navButton("nbFirst", QStringLiteral("|◄"), QStringLiteral("Първи"), nbtFirst);
  nbPrior = navButton("nbPrior", QStringLiteral("◄"), QStringLiteral("Предишен"), nbtPrior);
  nbNext = navButton("nbNext", QStringLiteral("►"), QStringLiteral("Следващ"), nbtNext);
  nbLast = navButton("nbLast", QStringLiteral("►|"), QStringLiteral("Последен"), nbtLast);
  OK = named(new QPushButton(QStringLiteral("Запис"), this), "OK");
  OK->setDefault(true);
  Cancel = make.button("Cancel", QStringLiteral("Изход"));
  auto *bottom = new QHBoxLayout;
  bottom->addWidget(make.label(QStringLiteral("Преминаването на следващото поле се извършва с tab.")));
  bottom->addStretch(1);
  bottom->addWidget(DBNavigator1);
  bottom->addSpacing(12);
  bottom->addWidget(OK);
  bottom->addWidget(Cancel);
  root->addLayout(bottom);
  connect(OK, &QPushButton::clicked, this, &TViewKart::OKClick);
  connect(Cancel, &QPushButton::clicked, this, &TViewKart::CancelClick);
}

void TViewKart::setFieldOrder() {
  const QList<QWidget *> order{ebRegNum,    Load,       AddDate,     doctxt,      PageControl1, FamilyList,
                               Show,        Button1,    FirstName,   PersonType,  PersonEGN,    bLBD,
                               cbSocGrupa,  PersonNotes, proc_inv,   val_do,      pojiz,        re6_telk,
                               Add,         Modify,     Delete,      cbGroup,     dtGrupaDate,  cbsubGroup,
                               HardLife,    cbStatus,   ebGot,       dtCheck,     ebCheck,      ebAdress,
                               dtAdress,    cbLData,    ebLCond,     cbLReason,   ebIncome,     cbKart,
                               ebDeals,     ebAssets,   dek_id,      dek_dat,     pr,           protDate,
                               mNotes,      note_txt,   add_note,    nbFirst,     nbPrior,      nbNext,
                               nbLast,      OK,         Cancel};
  for (qsizetype i = 1; i < order.size(); ++i) setTabOrder(order[i - 1], order[i]);
}

void TViewKart::connectFieldEdits() {
  // Every card field marks the card as changed. The registration number is
  // left out: in a stored card it is typed to find another card.
  for (QLineEdit *e : {doctxt, ebGot, ebCheck, ebAdress, ebLCond, ebDeals, ebAssets, dek_id, pr})
    connect(e, &QLineEdit::textChanged, this, &TViewKart::CardFieldChange);
  for (QComboBox *c : {cbGroup, cbsubGroup, cbStatus, cbLData, cbLReason, cbKart})
    connect(c, &QComboBox::currentIndexChanged, this, &TViewKart::CardFieldChange);
  for (QDateEdit *d : {AddDate, dtGrupaDate, dtCheck, dtAdress, dek_dat, protDate})
    connect(d, &QDateEdit::dateChanged, this, &TViewKart::CardFieldChange);
  connect(HardLife, &QCheckBox::toggled, this, &TViewKart::CardFieldChange);
  connect(ebIncome, &QLineEdit::textChanged, this, &TViewKart::ebIncomeChange);
  connect(mNotes, &QPlainTextEdit::textChanged, this, &TViewKart::mNotesChange);
  connect(add_note, &QPushButton::clicked, this, &TViewKart::add_noteClick);
  mNotes->viewport()->installEventFilter(this);
}

void TViewKart::guarded(const std::function<void()> &fn) {
  try {
    fn();
  } catch (const fb::Error &e) {
    zv::ShowServerError(e.text());
  } catch (const std::exception &e) {
    zv::ShowServerError(QString::fromLocal8Bit(e.what()));
  }
}

bool TViewKart::RefuseUnwritable(const std::vector<TypedText> &texts, const QString &caption) {
  for (const TypedText &t : texts) {
    const std::optional<QString> refusal = zv::UnwritableFieldMessage(t.field, t.text);
    if (!refusal) continue;
    Dialogs::message(*refusal, caption);
    // Show the clerk where the character is.
    const std::optional<zv::UnwritableChar> bad = zv::FirstUnwritableChar(t.text);
    for (QWidget *p = t.box->parentWidget(); p; p = p->parentWidget()) {
      const int tab = PageControl1->indexOf(p);
      if (tab >= 0) {
        PageControl1->setCurrentIndex(tab);
        break;
      }
    }
    if (t.box == gbFamilyMember || gbFamilyMember->isAncestorOf(t.box)) gbFamilyMember->setHidden(false);
    t.box->setFocus();
    if (auto *line = qobject_cast<QLineEdit *>(t.box)) {
      line->setSelection(static_cast<int>(bad->offset), static_cast<int>(bad->ch.size()));
    } else if (auto *memo = qobject_cast<QPlainTextEdit *>(t.box)) {
      QTextCursor c = memo->textCursor();
      c.setPosition(static_cast<int>(bad->offset));
      c.setPosition(static_cast<int>(bad->offset + bad->ch.size()), QTextCursor::KeepAnchor);
      memo->setTextCursor(c);
    } else if (t.box == FamilyList) {
      selectRowQuietly(t.row);
    }
    return true;
  }
  return false;
}

// ====================================================================== opening

void TViewKart::OpenCard(int mode, bool editable, bool modal) {
  Mode = mode;
  Editable = editable;
  PageControl1->setCurrentIndex(0);
  setWindowTitle(mode != 0 ? kCaptionView : kCaptionNew);
  GroupBoxNoteBut->setHidden(mode == 0);
  if (modal)
    exec();  // the show step runs as the window appears
  else
    guarded([this] { FormShow(); });
}

void TViewKart::showEvent(QShowEvent *e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) guarded([this] { FormShow(); });
}

void TViewKart::FormShow() {
  const QDate today = qdate(zv::now());
  val_do->setDate(today);
  dek_dat->setDate(today);
  FillFromNom();
  sizeFamilyColumns();
  OK->setEnabled(Editable);
  if (Mode == 0) ClearCarriedFields();
  LoadCard();
}

void TViewKart::ClearCarriedFields() {
  doctxt->clear();
  ebCheck->clear();
  const QDate today = qdate(zv::today());
  for (QDateEdit *d : {dtAdress, protDate, dtCheck}) d->setDate(today);
  FamilyKids->setText(QStringLiteral("0"));
}

void TViewKart::FillFromNom() {
  zv::FillNomList(cbGroup, QStringLiteral("GROUP1"));
  zv::FillNomList(cbsubGroup, QStringLiteral("GROUP2"));
  zv::FillNomList(cbLData, QStringLiteral("LDATA"));
  zv::FillNomList(cbLReason, QStringLiteral("LREASON"));
  zv::FillNomList(cbKart, QStringLiteral("KARTFOR"));
  zv::FillNomList(cbSocGrupa, QStringLiteral("SOCGRUPA"));
  zv::FillNomList(cbStatus, QStringLiteral("STATUS"));
  // Each list as wide as its longest entry: group texts read whole.
  for (QComboBox *c : {cbGroup, cbsubGroup, cbLData, cbLReason, cbKart, cbSocGrupa, cbStatus}) zv::fitToEntries(c);
}

// ====================================================================== loading

void TViewKart::LoadCard() {
  TDataModule1 &dm = *DataModule1;

  zv::Query &q = dm.TempQuery;
  q.close();
  q.SQL = QStringList{QStringLiteral("select n, counter from nom where n in (0, 3) order by n")};
  q.open();
  LastRegNum = 1;
  MinAddressYears = 0;
  for (q.first(); !q.eof(); q.next()) {
    const int n = q.fieldByName(QStringLiteral("N")).asInteger();
    const int counter = q.fieldByName(QStringLiteral("COUNTER")).asInteger();
    if (n == 0) LastRegNum = counter;
    if (n == 3) MinAddressYears = counter;
  }
  q.close();
  AddressHint->setText(QString(kAddressHint).replace(QStringLiteral("%d"), QString::number(MinAddressYears)));

  // The panel keeps nothing of the previous card's members.
  for (QLineEdit *e : {proc_inv, re6_telk, PersonEGN, FirstName, PersonNotes}) e->clear();
  gbFamilyMember->hide();

  if (Mode != 0)
    LoadStoredCard();
  else
    LoadNewCard();
  Modified = false;
  LoadedState = TypedState();
}

void TViewKart::LoadStoredCard() {
  TDataModule1 &dm = *DataModule1;
  DBNavigator1->setHidden(false);
  Load->setHidden(false);
  CardId = dm.MainQuery.fieldByName(QStringLiteral("CARD_ID")).asInteger();
  // Read before the card is shown: a change committed meanwhile elsewhere
  // then refuses this window's save rather than being overwritten.
  CardStamp = ReadCardStamp();

  LoadMembers();
  Modify->setEnabled(true);
  if (RowCount() == 0) {
    // A stored card without members gets the holder row a new card has: the
    // first member typed in fills it, by "Прибавяне" or "Промяна" alike.
    SetHolderPlaceholder();
    Delete->setEnabled(false);
  } else {
    HolderPending = false;
    UpdateCounters();
    Delete->setEnabled(true);
    PersonType->setCurrentIndex(0);
  }

  zv::Table &cards = dm.Cards;
  cards.locate(QStringLiteral("CARD_ID"), CardId);
  const auto f = [&cards](const char *name) { return cards.fieldByName(QLatin1String(name)); };
  const auto text = [&f](const char *name) { return zv::TrimRight(f(name).asString()); };
  const auto dateOrToday = [](const zv::Field &v) { return qdate(v.isNull() ? zv::today() : v.asDateTime()); };
  if (!f("REGDATE").isNull()) AddDate->setDate(qdate(f("REGDATE").asDateTime()));
  zv::setTextAtStart(ebAdress, text("ADRESS"));
  zv::setTextAtStart(doctxt, f("DOC_IDTXT").asString());
  pr->setText(f("PROT_ID").asString());
  protDate->setDate(dateOrToday(f("PROT_DATE")));
  zv::setTextAtStart(dek_id, f("LASTDEK_ID").asString());
  dek_dat->setDate(dateOrToday(f("LASTDEK_DATE")));
  dtAdress->setDate(dateOrToday(f("ADRESS_DATE")));
  ebIncome->setText(f("INCOME").isNull() ? QString() : zv::CurrencyText(f("INCOME").asFloat()));
  ebRegNum->setText(f("REG_NUM").asString());
  cbGroup->setCurrentIndex(f("GRUPA").asInteger());
  cbsubGroup->setCurrentIndex(f("GROUP2").asInteger());
  if (!f("GRUPA_DATE").isNull()) dtGrupaDate->setDate(qdate(f("GRUPA_DATE").asDateTime()));
  cbLReason->setCurrentIndex(f("L_REASON").asInteger());
  cbLData->setCurrentIndex(f("L_DATA").asInteger());
  cbKart->setCurrentIndex(f("KART").asInteger());
  cbStatus->setCurrentIndex(f("STATUS").asInteger());
  zv::setTextAtStart(ebLCond, text("L_CONDITIONS"));
  zv::setTextAtStart(ebDeals, text("DEALS"));
  zv::setTextAtStart(ebAssets, text("ASSETS"));
  zv::setTextAtStart(ebGot, text("GOT_HOUSE"));
  zv::setTextAtStart(ebCheck, text("CHECK_NAME"));
  LoadedNotes = f("NOTES").asString();
  mNotes->setPlainText(zv::NotesForMemo(LoadedNotes));
  SnapshotCardFields();
  HardLife->setChecked(!f("HARD_LIFE").isNull() && f("HARD_LIFE").asInteger() != 0);
  cbGroup->setFocus();
  dtCheck->setDate(dateOrToday(f("CHECK_DATE")));
  cards.close();
}

void TViewKart::LoadNewCard() {
  SetHolderPlaceholder();
  Modify->setEnabled(false);
  Delete->setEnabled(false);
  CardId = 0;

  const QDate today = qdate(zv::today());
  AddDate->setDate(today);
  dtGrupaDate->setDate(today);
  dek_dat->setDate(today);

  for (QLineEdit *e : {ebAdress, pr, dek_id, proc_inv, re6_telk, PersonEGN, FirstName, ebLCond, ebDeals, ebAssets, ebGot})
    e->clear();
  mNotes->clear();
  LoadedNotes.clear();
  ebIncome->setText(QStringLiteral("0"));

  ebRegNum->setText(QString::number(LastRegNum + 1));

  for (QComboBox *c : {cbKart, cbLReason, cbLData, cbStatus, cbSocGrupa}) c->setCurrentIndex(c->count() > 0 ? 0 : -1);
  HardLife->setChecked(false);

  DBNavigator1->setHidden(true);
  Load->setHidden(true);
  ebRegNum->setFocus();  // a new card is typed in from the top
}

// ---- by registration number, and the navigator

void TViewKart::ebRegNumKeyDown() {
  if (Mode == 1) LoadClick();
}

void TViewKart::LoadClick() {
  guarded([this] {
    zv::Query &mq = DataModule1->MainQuery;
    const QString typed = ebRegNum->text();
    const int wanted = zv::WholeNumberOrThrow(typed);
    int found = -1;
    for (int r = 0; r < mq.recordCount(); ++r) {
      const QVariant v = mq.value(r, QStringLiteral("REG_NUM"));
      if (v.isValid() && !v.isNull() && v.toInt() == wanted) {
        found = r;
        break;
      }
    }
    const QString currentNumber = mq.fieldByName(QStringLiteral("REG_NUM")).asString();
    if (found < 0) {
      Dialogs::message(QStringLiteral("Не същетсвува запис с този регистрационен номер"), QStringLiteral("Грешка"));
      ebRegNum->setText(currentNumber);
      return;
    }
    // The number typed to find another card is not this card's number: the
    // card on screen is offered for storing under its own.
    if (Modified) ebRegNum->setText(currentNumber);
    if (!OfferToStore()) return;
    mq.setRecNo(found);
    LoadCard();
  });
}

void TViewKart::DBNavigator1Click(int button) {
  guarded([this, button] {
    if (!OfferToStore()) return;
    zv::Query &mq = DataModule1->MainQuery;
    const int n = mq.recordCount();
    switch (button) {
      case nbtFirst: mq.first(); break;
      case nbtPrior: mq.prior(); break;
      case nbtNext:
        if (mq.recNo() < n - 1) mq.next();
        break;
      case nbtLast: mq.last(); break;
      default: break;
    }
    LoadCard();
  });
}

// ====================================================================== closing

QStringList TViewKart::TypedState() const {
  QStringList s;
  // A stored card's number is typed to find another card, not to change it.
  if (Mode == 0) s << ebRegNum->text();
  for (const QLineEdit *e : {doctxt, ebGot, ebCheck, ebAdress, ebLCond, ebIncome, ebDeals, ebAssets, dek_id, pr})
    s << e->text();
  for (const QComboBox *c : {cbGroup, cbsubGroup, cbStatus, cbLData, cbLReason, cbKart})
    s << QString::number(c->currentIndex());
  for (const QDateEdit *d : {AddDate, dtGrupaDate, dtCheck, dtAdress, dek_dat, protDate})
    s << d->date().toString(Qt::ISODate);
  s << QString::number(HardLife->isChecked()) << zv::MemoText(mNotes);
  const MemberRows rows = MembersToStore();
  s << QString::number(rows.size());
  for (const MemberRow &r : rows) s << QStringList(r.begin(), r.end());
  return s;
}

bool TViewKart::Unsaved() const { return Editable && TypedState() != LoadedState; }

bool TViewKart::OfferToStore() {
  if (!Unsaved()) return true;
  if (!Dialogs::ask(QStringLiteral("Искате ли да запазите промените върху картона"), QStringLiteral("Потвърждение")))
    return true;
  return StoreChecked();
}

void TViewKart::CancelClick() { reject(); }

void TViewKart::done(int r) {
  // Esc, "Изход" and the window's close button all come here.
  if (!FormClose()) return;
  QDialog::done(r);
}

bool TViewKart::FormClose() {
  bool leave = false;
  guarded([this, &leave] { leave = OfferToStore(); });
  if (!leave) return false;  // the typing stays on screen to be put right
  guarded([] {
    TDataModule1 &dm = *DataModule1;
    dm.Cards.close();
    dm.Person.close();
    dm.TempQuery.close();
    if (!dm.MainQuery.active()) dm.MainQuery.open();
  });
  return true;
}

bool TViewKart::eventFilter(QObject *obj, QEvent *e) {
  if (obj == mNotes->viewport() && e->type() == QEvent::MouseButtonDblClick) {
    mNotesDblClick();
    return Mode == 1;  // the notes window took the double click
  }
  if (e->type() == QEvent::KeyPress) {
    const int key = static_cast<QKeyEvent *>(e)->key();
    if (key == Qt::Key_Return || key == Qt::Key_Enter) {
      if (obj == ebRegNum && Mode == 1) {
        ebRegNumKeyDown();
        return true;
      }
      // A navigator button takes Enter itself rather than leaving it to "Запис".
      if (auto *nav = qobject_cast<QToolButton *>(obj); nav && nav->parentWidget() == DBNavigator1) {
        nav->click();
        return true;
      }
    }
  }
  return QDialog::eventFilter(obj, e);
}

// ====================================================================== fields

void TViewKart::CardFieldChange() { Modified = true; }
void TViewKart::ebIncomeChange() { Modified = true; }
void TViewKart::mNotesChange() { Modified = true; }
void TViewKart::HardLifeClick() {}

// ====================================================================== notes

void TViewKart::add_noteClick() {
  if (note_txt->text().isEmpty()) return;
  mNotes->setPlainText(zv::StampedMemoText(zv::MemoText(mNotes), note_txt->text()));
}

void TViewKart::mNotesDblClick() {
  if (Mode != 1) return;
  // A new window for every opening; it puts its text back into mNotes as it
  // closes.
  TfrmuNotes notes(mNotes, this);
  notes.exec();
}
