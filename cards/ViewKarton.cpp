#include "ViewKarton.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

#include "DataModule.h"
#include "Dialogs.h"
#include "History.h"
#include "NomForm.h"
#include "Points.h"
#include "egn.h"
#include "frmNotes.h"
#include "lbddialog.h"

TViewKart *ViewKart = nullptr;

using zv::MemberRow;
using zv::MemberRows;

namespace {

const QString kCaptionView = QStringLiteral("Разглеждане/промяна на рег.картон");
const QString kCaptionNew = QStringLiteral("Картотекиране на рег. картон");
const QString kAddressHint = QStringLiteral(
    "* Не можете да впишете картон в картотеката при регистрация на адрес по-малко от %d години");
const QString kSaveError = QStringLiteral("Грешка при запис");
const QString kAddError = QStringLiteral("Грешка при добавяне");
const QStringList kHeadings{QStringLiteral("Тип"),
                            QStringLiteral("Име"),
                            QStringLiteral("ЕГН"),
                            QStringLiteral("Соц.група"),
                            QStringLiteral("Допълнителни бележки"),
                            QStringLiteral("Процент на инвалидност"),
                            QStringLiteral("Валидно до (дата)"),
                            QStringLiteral("Експертно решение на ТЕЛК")};

// Fixed-width columns come back filled up with blanks; the window shows and
// edits the text without them.
QString rtrim(QString s) {
  qsizetype n = s.size();
  while (n > 0 && s.at(n - 1) == QLatin1Char(' ')) --n;
  s.truncate(n);
  return s;
}

// Stored notes keep Windows line breaks; the memo works with plain ones.
QString notesFromStore(QString s) { return s.replace(QStringLiteral("\r\n"), QStringLiteral("\n")); }
QString notesToStore(QString s) { return s.replace(QLatin1Char('\n'), QStringLiteral("\r\n")); }

QDate qdate(zv::TDate d) { return zv::toQDate(d); }
zv::TDate dayOf(const QDateEdit *e) { return zv::fromQDate(e->date()); }

int wholeNumberOrThrow(const QString &text) {
  const std::optional<int> n = zv::ReadWholeNumber(text);
  if (!n) throw fb::Error(QStringLiteral("'%1' is not a valid integer value").arg(text));
  return *n;
}

void showServerError(const QString &text) {
  Dialogs::message(text, QApplication::applicationName(), Dialogs::Icon::Error);
}

template <class W>
W *named(W *w, const char *name) {
  w->setObjectName(QLatin1String(name));
  return w;
}

void highlight(QWidget *w) {
  QPalette p = w->palette();
  p.setColor(QPalette::Base, QColor(255, 255, 200));
  p.setColor(QPalette::Button, QColor(255, 255, 200));
  w->setPalette(p);
}

}  // namespace

// ====================================================================== window

TViewKart::TViewKart(QWidget *parent) : QDialog(parent) {
  if (!ViewKart) ViewKart = this;
  setObjectName(QStringLiteral("ViewKart"));
  buildLayout();
  connectFieldEdits();
}

TViewKart::~TViewKart() {
  if (ViewKart == this) ViewKart = nullptr;
}

void TViewKart::buildLayout() {
  setWindowTitle(kCaptionNew);
  setModal(true);
  const auto edit = [this](const char *name) { return named(new QLineEdit(this), name); };
  const auto combo = [this](const char *name) {
    auto *c = named(new QComboBox(this), name);
    // Wide enough to read a group's text, not as wide as the longest one.
    c->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    c->setMinimumContentsLength(22);
    return c;
  };
  const auto date = [this](const char *name) {
    auto *d = named(new QDateEdit(this), name);
    d->setCalendarPopup(true);
    d->setDisplayFormat(QStringLiteral("dd.MM.yyyy"));
    d->setDate(qdate(zv::today()));
    return d;
  };
  const auto button = [this](const char *name, const QString &text) {
    auto *b = named(new QPushButton(text, this), name);
    b->setAutoDefault(false);
    return b;
  };
  const auto label = [this](const QString &text) { return new QLabel(text, this); };

  auto *root = new QVBoxLayout(this);

  // ---- top strip
  ebRegNum = edit("ebRegNum");
  highlight(ebRegNum);
  ebRegNum->installEventFilter(this);
  Load = button("Load", QStringLiteral("Зареждане"));
  AddDate = date("AddDate");
  doctxt = edit("doctxt");
  auto *top = new QHBoxLayout;
  top->addWidget(label(QStringLiteral("Регистрационен номер:")));
  top->addWidget(ebRegNum);
  top->addWidget(Load);
  top->addSpacing(12);
  top->addWidget(label(QStringLiteral("Дата на регистриране:")));
  top->addWidget(AddDate);
  top->addSpacing(12);
  top->addWidget(label(QStringLiteral("Вх. № :")));
  top->addWidget(doctxt);
  root->addLayout(top);

  PageControl1 = named(new QTabWidget(this), "PageControl1");
  root->addWidget(PageControl1, 1);

  // ---- tab "Общи"
  auto *tab1 = named(new QWidget, "TabSheet1");
  auto *tab1Layout = new QVBoxLayout(tab1);

  gbFamily = named(new QGroupBox(QStringLiteral("Семейно положение"), tab1), "gbFamily");
  FamilyList = named(new QTableWidget(0, 8, gbFamily), "FamilyList");
  FamilyList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FamilyList->setSelectionBehavior(QAbstractItemView::SelectRows);
  FamilyList->setSelectionMode(QAbstractItemView::SingleSelection);
  FamilyList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FamilyList->verticalHeader()->hide();
  FamilyList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  FamilyList->verticalHeader()->setDefaultSectionSize(17);
  FamilyList->setHorizontalHeaderLabels(kHeadings);
  const int widths[] = {70, 230, 90, 110, 186, 64, 64, 64};
  for (int c = 0; c < 8; ++c) FamilyList->setColumnWidth(c, widths[c]);
  FamilyCount = edit("FamilyCount");
  FamilyCount->setReadOnly(true);
  FamilyKids = edit("FamilyKids");
  FamilyKids->setReadOnly(true);
  Show = button("Show", QStringLiteral("Скрий / Покажи"));
  Button1 = button("Button1", QStringLiteral("Промени избрания на титуляр"));
  auto *famSide = new QGridLayout;
  famSide->addWidget(label(QStringLiteral("Общ брой:")), 0, 0);
  famSide->addWidget(FamilyCount, 0, 1);
  famSide->addWidget(label(QStringLiteral("Брой деца под 18 години:")), 1, 0);
  famSide->addWidget(FamilyKids, 1, 1);
  famSide->addWidget(Show, 2, 0, 1, 2);
  famSide->addWidget(Button1, 3, 0, 1, 2);
  famSide->setRowStretch(4, 1);
  auto *famLayout = new QHBoxLayout(gbFamily);
  famLayout->addWidget(FamilyList, 1);
  famLayout->addLayout(famSide);
  tab1Layout->addWidget(gbFamily, 1);

  gbFamilyMember =
      named(new QGroupBox(QStringLiteral("Добавяне на член на семейството"), tab1), "gbFamilyMember");
  FirstName = edit("FirstName");
  PersonType = combo("PersonType");
  for (const QString &t : zv::MemberTypeTexts()) PersonType->addItem(t);
  PersonEGN = edit("PersonEGN");
  bLBD = button("bLBD", QStringLiteral("Провека в ЛБД ..."));
  connect(bLBD, &QPushButton::clicked, this, [this] { guarded([this] { bLBDClick(this); }); });
  cbSocGrupa = combo("cbSocGrupa");
  PersonNotes = edit("PersonNotes");
  proc_inv = edit("proc_inv");
  val_do = date("val_do");
  pojiz = named(new QCheckBox(QStringLiteral("Пожизнена"), this), "pojiz");
  re6_telk = edit("re6_telk");
  Add = button("Add", QStringLiteral("Прибавяне"));
  Modify = button("Modify", QStringLiteral("Промяна"));
  Delete = button("Delete", QStringLiteral("Премахване"));
  auto *mg = new QGridLayout(gbFamilyMember);
  mg->addWidget(label(QStringLiteral("Име:")), 0, 0);
  mg->addWidget(FirstName, 0, 1, 1, 3);
  mg->addWidget(label(QStringLiteral("Тип:")), 0, 4);
  mg->addWidget(PersonType, 0, 5, 1, 2);
  mg->addWidget(label(QStringLiteral("ЕГН:")), 1, 0);
  mg->addWidget(PersonEGN, 1, 1);
  mg->addWidget(bLBD, 1, 2, 1, 2);
  mg->addWidget(label(QStringLiteral("Соц. Група:")), 1, 4);
  mg->addWidget(cbSocGrupa, 1, 5, 1, 2);
  mg->addWidget(label(QStringLiteral("Допълнителни бележки:")), 2, 0);
  mg->addWidget(PersonNotes, 2, 1, 1, 6);
  mg->addWidget(label(QStringLiteral("Процент на\nинвалидност:")), 3, 0);
  mg->addWidget(proc_inv, 3, 1);
  mg->addWidget(label(QStringLiteral("Валидно до:")), 3, 2);
  mg->addWidget(val_do, 3, 3);
  mg->addWidget(pojiz, 3, 4);
  mg->addWidget(label(QStringLiteral("Експертно\nрешение на ТЕЛК:")), 3, 5);
  mg->addWidget(re6_telk, 3, 6);
  auto *mb = new QHBoxLayout;
  mb->addStretch(1);
  mb->addWidget(Add);
  mb->addWidget(Modify);
  mb->addWidget(Delete);
  mg->addLayout(mb, 4, 0, 1, 7);
  gbFamilyMember->hide();
  tab1Layout->addWidget(gbFamilyMember);

  gbRanking = named(new QGroupBox(QStringLiteral("Особености при класиране"), tab1), "gbRanking");
  cbGroup = combo("cbGroup");
  highlight(cbGroup);
  dtGrupaDate = date("dtGrupaDate");
  cbsubGroup = combo("cbsubGroup");
  highlight(cbsubGroup);
  cbStatus = combo("cbStatus");
  ebGot = edit("ebGot");
  HardLife = named(new QCheckBox(QStringLiteral("  Тежки жил. усл."), this), "HardLife");
  dtCheck = date("dtCheck");
  ebCheck = edit("ebCheck");
  auto *rg = new QGridLayout(gbRanking);
  rg->addWidget(label(QStringLiteral("Група:")), 0, 0);
  rg->addWidget(cbGroup, 0, 1);
  rg->addWidget(label(QStringLiteral("от дата:")), 0, 2);
  rg->addWidget(dtGrupaDate, 0, 3);
  rg->addWidget(label(QStringLiteral("Подгрупа:")), 1, 0);
  rg->addWidget(cbsubGroup, 1, 1);
  rg->addWidget(HardLife, 1, 2, 1, 2);
  rg->addWidget(label(QStringLiteral("Състояние:")), 2, 0);
  rg->addWidget(cbStatus, 2, 1);
  rg->addWidget(label(QStringLiteral("Инф. за състоянието:")), 3, 0);
  rg->addWidget(ebGot, 3, 1, 1, 3);
  rg->addWidget(label(QStringLiteral("Проверка на място:")), 4, 0);
  rg->addWidget(dtCheck, 4, 1);
  rg->addWidget(label(QStringLiteral("Проверил:")), 4, 2);
  rg->addWidget(ebCheck, 4, 3);
  rg->setColumnStretch(1, 1);
  rg->setColumnStretch(3, 1);

  gbAddress = named(new QGroupBox(QStringLiteral("Адресна регистрация"), tab1), "gbAddress");
  ebAdress = edit("ebAdress");
  highlight(ebAdress);
  dtAdress = date("dtAdress");
  dtAdress->setDisplayFormat(QStringLiteral("yyyy"));
  AddressHint = named(new QLabel(kAddressHint, gbAddress), "AddressHint");
  AddressHint->setWordWrap(true);
  QFont small = AddressHint->font();
  small.setItalic(true);
  small.setPointSizeF(small.pointSizeF() * 0.85);
  AddressHint->setFont(small);
  auto *ag = new QGridLayout(gbAddress);
  ag->addWidget(label(QStringLiteral("Адрес:")), 0, 0);
  ag->addWidget(ebAdress, 0, 1);
  ag->addWidget(label(QStringLiteral("От дата:")), 1, 0);
  ag->addWidget(dtAdress, 1, 1, Qt::AlignLeft);
  ag->addWidget(AddressHint, 2, 0, 1, 2);
  ag->setRowStretch(3, 1);

  auto *lower = new QHBoxLayout;
  lower->addWidget(gbRanking, 3);
  lower->addWidget(gbAddress, 2);
  tab1Layout->addLayout(lower);
  PageControl1->addTab(tab1, QStringLiteral("Общи"));

  // ---- tab "Други"
  auto *tab2 = named(new QWidget, "TabSheet2");
  auto *tab2Layout = new QVBoxLayout(tab2);
  gbOther = named(new QGroupBox(QStringLiteral("Допълнителни данни:"), tab2), "gbOther");
  cbLData = combo("cbLData");
  ebLCond = edit("ebLCond");
  cbLReason = combo("cbLReason");
  ebIncome = edit("ebIncome");
  cbKart = combo("cbKart");
  ebDeals = edit("ebDeals");
  ebAssets = edit("ebAssets");
  dek_id = edit("dek_id");
  dek_dat = date("dek_dat");
  pr = edit("pr");
  protDate = date("protDate");
  auto *og = new QGridLayout(gbOther);
  og->addWidget(label(QStringLiteral("Данни за жилището:")), 0, 0);
  og->addWidget(cbLData, 0, 1);
  og->addWidget(ebLCond, 0, 2, 1, 3);
  og->addWidget(label(QStringLiteral("Основание за обит.:")), 1, 0);
  og->addWidget(cbLReason, 1, 1);
  og->addWidget(label(QStringLiteral("Общ брутен годишен доход:")), 2, 0);
  og->addWidget(ebIncome, 2, 1);
  og->addWidget(label(QStringLiteral("лв.")), 2, 2);
  og->addWidget(label(QStringLiteral("Картотекиран:")), 3, 0);
  og->addWidget(cbKart, 3, 1);
  og->addWidget(label(QStringLiteral("Сделки с недвижими имоти:")), 4, 0);
  og->addWidget(ebDeals, 4, 1, 1, 4);
  og->addWidget(label(QStringLiteral("Друго имущество:")), 5, 0);
  og->addWidget(ebAssets, 5, 1, 1, 4);
  og->addWidget(label(QStringLiteral("Последно подадена декларация ( Номер :")), 6, 0);
  og->addWidget(dek_id, 6, 1);
  og->addWidget(label(QStringLiteral("Дата :")), 6, 2);
  og->addWidget(dek_dat, 6, 3);
  og->addWidget(label(QStringLiteral(")")), 6, 4);
  og->addWidget(label(QStringLiteral("Протокол № :")), 7, 0);
  og->addWidget(pr, 7, 1);
  og->addWidget(protDate, 7, 3);
  og->setColumnStretch(1, 1);
  og->setColumnStretch(4, 1);
  tab2Layout->addWidget(gbOther);

  gbNotes = named(new QGroupBox(QStringLiteral("Бележки"), tab2), "gbNotes");
  mNotes = named(new QPlainTextEdit(gbNotes), "mNotes");
  mNotes->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  GroupBoxNoteBut = named(new QWidget(gbNotes), "GroupBoxNoteBut");
  note_txt = named(new QLineEdit(GroupBoxNoteBut), "note_txt");
  add_note = named(new QPushButton(QStringLiteral("Добави"), GroupBoxNoteBut), "add_note");
  add_note->setAutoDefault(false);
  auto *nb = new QHBoxLayout(GroupBoxNoteBut);
  nb->setContentsMargins(0, 0, 0, 0);
  nb->addWidget(note_txt, 1);
  nb->addWidget(add_note);
  auto *nl = new QVBoxLayout(gbNotes);
  nl->addWidget(mNotes, 1);
  nl->addWidget(GroupBoxNoteBut);
  tab2Layout->addWidget(gbNotes, 1);
  PageControl1->addTab(tab2, QStringLiteral("Други"));

  // ---- bottom strip
  DBNavigator1 = named(new QWidget(this), "DBNavigator1");
  auto *nav = new QHBoxLayout(DBNavigator1);
  nav->setContentsMargins(0, 0, 0, 0);
  nav->setSpacing(0);
  const auto navButton = [&](const char *name, const QString &text, const QString &tip, int which) {
    auto *b = named(new QToolButton(DBNavigator1), name);
    b->setText(text);
    b->setToolTip(tip);
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
  Cancel = button("Cancel", QStringLiteral("Изход"));
  auto *bottom = new QHBoxLayout;
  bottom->addWidget(label(QStringLiteral("Преминаването на следващото поле се извършва с tab.")));
  bottom->addStretch(1);
  bottom->addWidget(DBNavigator1);
  bottom->addSpacing(12);
  bottom->addWidget(OK);
  bottom->addWidget(Cancel);
  root->addLayout(bottom);

  connect(OK, &QPushButton::clicked, this, &TViewKart::OKClick);
  connect(Cancel, &QPushButton::clicked, this, &TViewKart::CancelClick);
  connect(Load, &QPushButton::clicked, this, &TViewKart::LoadClick);
  connect(Show, &QPushButton::clicked, this, &TViewKart::ShowClick);
  connect(Add, &QPushButton::clicked, this, &TViewKart::AddClick);
  connect(Modify, &QPushButton::clicked, this, &TViewKart::ModifyClick);
  connect(Delete, &QPushButton::clicked, this, &TViewKart::DeleteClick);
  connect(Button1, &QPushButton::clicked, this, &TViewKart::Button1Click);
  connect(pojiz, &QCheckBox::toggled, this, &TViewKart::pojizClick);
  connect(HardLife, &QCheckBox::clicked, this, &TViewKart::HardLifeClick);
  // A mouse press selects the row it lands on (also the row already
  // selected); the keyboard selects by moving the current row.
  connect(FamilyList, &QTableWidget::cellPressed, this, [this](int r, int) { FamilyListSelectCell(r + 1); });
  connect(FamilyList, &QTableWidget::currentCellChanged, this, [this](int r, int, int previous, int) {
    if (r >= 0 && r != previous && QApplication::mouseButtons() == Qt::NoButton) FamilyListSelectCell(r + 1);
  });

  FamilyList->setMinimumHeight(130);
  resize(900, 700);
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
    showServerError(e.text());
  } catch (const std::exception &e) {
    showServerError(QString::fromLocal8Bit(e.what()));
  }
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
  FamilyList->setHorizontalHeaderLabels(kHeadings);
  const QDate today = qdate(zv::now());
  val_do->setDate(today);
  dek_dat->setDate(today);
  FillFromNom();
  OK->setEnabled(Editable);
  LoadCard();
}

void TViewKart::FillFromNom() {
  zv::FillNomList(cbGroup, QStringLiteral("GROUP1"));
  zv::FillNomList(cbsubGroup, QStringLiteral("GROUP2"));
  zv::FillNomList(cbLData, QStringLiteral("LDATA"));
  zv::FillNomList(cbLReason, QStringLiteral("LREASON"));
  zv::FillNomList(cbKart, QStringLiteral("KARTFOR"));
  zv::FillNomList(cbSocGrupa, QStringLiteral("SOCGRUPA"));
  zv::FillNomList(cbStatus, QStringLiteral("STATUS"));
}

// ====================================================================== loading

void TViewKart::LoadCard() {
  TDataModule1 &dm = *DataModule1;
  dtAdress->setDisplayFormat(QStringLiteral("yyyy"));

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

  proc_inv->clear();
  re6_telk->clear();
  PersonEGN->clear();
  FirstName->clear();
  gbFamilyMember->hide();

  if (Mode != 0)
    LoadStoredCard();
  else
    LoadNewCard();
  Modified = false;
}

void TViewKart::LoadStoredCard() {
  TDataModule1 &dm = *DataModule1;
  DBNavigator1->setHidden(false);
  Load->setHidden(false);
  CardId = dm.MainQuery.fieldByName(QStringLiteral("CARD_ID")).asInteger();

  LoadMembers();
  HolderPending = false;
  UpdateCounters();
  Modify->setEnabled(true);
  Delete->setEnabled(true);
  PersonType->setCurrentIndex(0);

  zv::Table &cards = dm.Cards;
  cards.locate(QStringLiteral("CARD_ID"), CardId);
  const auto f = [&cards](const char *name) { return cards.fieldByName(QLatin1String(name)); };
  const auto dateOrToday = [](const zv::Field &v) { return qdate(v.isNull() ? zv::today() : v.asDateTime()); };
  if (!f("REGDATE").isNull()) AddDate->setDate(qdate(f("REGDATE").asDateTime()));
  ebAdress->setText(rtrim(f("ADRESS").asString()));
  doctxt->setText(f("DOC_IDTXT").asString());
  pr->setText(f("PROT_ID").asString());
  protDate->setDate(dateOrToday(f("PROT_DATE")));
  dek_id->setText(f("LASTDEK_ID").asString());
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
  ebLCond->setText(rtrim(f("L_CONDITIONS").asString()));
  ebDeals->setText(rtrim(f("DEALS").asString()));
  ebAssets->setText(rtrim(f("ASSETS").asString()));
  ebGot->setText(rtrim(f("GOT_HOUSE").asString()));
  ebCheck->setText(rtrim(f("CHECK_NAME").asString()));
  mNotes->setPlainText(notesFromStore(f("NOTES").asString()));
  SnapshotCardFields();
  HardLife->setChecked(!f("HARD_LIFE").isNull() && f("HARD_LIFE").asInteger() != 0);
  cbGroup->setFocus();
  dtCheck->setDate(dateOrToday(f("CHECK_DATE")));
  cards.close();
}

void TViewKart::LoadMembers() {
  TDataModule1 &dm = *DataModule1;
  {
    const QSignalBlocker quiet(FamilyList);
    FamilyList->setRowCount(0);
  }
  zv::Query &q = dm.TempQuery;
  q.close();
  // Members in the order of their identifiers: the order in which a save
  // pairs the rows with the stored members.
  q.SQL = QStringList{QStringLiteral("select * from rgs_person where card_id = ") + QString::number(CardId) +
                      QStringLiteral(" order by person_id")};
  q.open();
  int r = 0;
  for (q.first(); !q.eof(); q.next()) {
    const auto f = [&q](const char *name) { return q.fieldByName(QLatin1String(name)); };
    MemberRow cells;
    cells[zv::cellType] = zv::TypeTextOf(f("PERSON_TYPE").asInteger());
    cells[zv::cellName] = rtrim(f("NAME").asString());
    cells[zv::cellEgn] = rtrim(f("EGN").asString());
    cells[zv::cellSoc] = socGroupText(f("SOCGRUPA").isNull() ? 0 : f("SOCGRUPA").asInteger());
    cells[zv::cellNotes] = rtrim(f("NOTES").asString());
    cells[zv::cellInvProc] = f("INV_PROC").asString();
    cells[zv::cellInvDate] = rtrim(f("INV_DATE").asString());
    cells[zv::cellTelk] = rtrim(f("TELK_NUM").asString());
    {
      const QSignalBlocker quiet(FamilyList);
      FamilyList->insertRow(r);
    }
    setRow(++r, cells);
  }
  q.close();
  selectRowQuietly(1);
}

void TViewKart::LoadNewCard() {
  {
    const QSignalBlocker quiet(FamilyList);
    FamilyList->setRowCount(0);
    FamilyList->setRowCount(1);
  }
  MemberRow placeholder;
  placeholder[zv::cellType] = zv::kHolder;
  setRow(1, placeholder);
  selectRowQuietly(1);
  FamilyCount->setText(QStringLiteral("0"));
  Modify->setEnabled(false);
  Delete->setEnabled(false);
  HolderPending = true;
  PersonType->setCurrentIndex(0);
  CardId = 0;

  const QDate today = qdate(zv::today());
  AddDate->setDate(today);
  dtGrupaDate->setDate(today);
  dek_dat->setDate(today);

  for (QLineEdit *e : {ebAdress, pr, dek_id, proc_inv, re6_telk, PersonEGN, FirstName, ebLCond, ebDeals, ebAssets, ebGot})
    e->clear();
  mNotes->clear();
  ebIncome->setText(QStringLiteral("0"));

  ebRegNum->setText(QString::number(LastRegNum + 1));

  for (QComboBox *c : {cbKart, cbLReason, cbLData, cbStatus, cbSocGrupa}) c->setCurrentIndex(c->count() > 0 ? 0 : -1);
  HardLife->setChecked(false);

  DBNavigator1->setHidden(true);
  Load->setHidden(true);
}

// ---- by registration number, and the navigator

void TViewKart::ebRegNumKeyDown() {
  if (Mode == 1) LoadClick();
}

void TViewKart::LoadClick() {
  guarded([this] {
    zv::Query &mq = DataModule1->MainQuery;
    const QString typed = ebRegNum->text();
    const int wanted = wholeNumberOrThrow(typed);
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

// ====================================================================== storing

void TViewKart::OKClick() {
  guarded([this] {
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
      return;
    }
    if (SaveCard()) Modified = false;
  });
}

bool TViewKart::SaveCard() {
  if (Mode != 0 && !Editable) return false;
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
      try {
        tr.rollback();
      } catch (const fb::Error &) {
      }
      dm.Cards.close();
      dm.Person.close();
      showServerError(e.text());
    }
  }

  // The card, its history entries, its members and its points are one unit:
  // a failure anywhere takes all of them back.
  try {
    zv::Table &cards = dm.Cards;
    if (Mode == 0) {
      cards.insert();
    } else {
      cards.locate(QStringLiteral("CARD_ID"), CardId);
      cards.edit();
    }
    const auto set = [&cards](const char *name, const QVariant &v) { cards.setField(QLatin1String(name), v); };
    const auto setText = [&set](const char *name, const QString &text) {
      if (!text.isEmpty()) set(name, text);
    };
    const int number = wholeNumberOrThrow(ebRegNum->text());
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

    if (!mNotes->toPlainText().isEmpty()) set("NOTES", notesToStore(mNotes->toPlainText()));
    setText("CHECK_NAME", ebCheck->text());
    setText("GOT_HOUSE", ebGot->text());
    set("ADD_USER", QStringLiteral("Default"));
    set("STATUS", cbStatus->currentIndex());
    if (const std::optional<double> income = zv::ReadCurrency(ebIncome->text())) set("INCOME", *income);
    set("KIDS", zv::CountMinorChildren(Rows()));
    setText("DOC_IDTXT", doctxt->text());
    if (!pr->text().isEmpty()) {
      set("PROT_ID", wholeNumberOrThrow(pr->text()));
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
    if (Mode != 0) SnapshotCardFields();
  } catch (const std::exception &e) {
    try {
      tr.rollback();
    } catch (const fb::Error &) {
    }
    dm.Cards.close();
    dm.Person.close();
    // Nom holds the counters as this save wrote them; read them again.
    try {
      dm.Nom.open();
    } catch (const fb::Error &) {
    }
    const auto *err = dynamic_cast<const fb::Error *>(&e);
    showServerError(err ? err->text() : QString::fromLocal8Bit(e.what()));
    return false;
  }

  if (Mode == 0) {
    Dialogs::message(QStringLiteral("Данните са регистрирани успешно!"));
    LoadCard();  // ready for the next new card
  } else {
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
  for (const MemberRow &cells : Rows()) {
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
  const MemberRows rows = Rows();
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
    return rtrim(v.asString());
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

// ====================================================================== closing

bool TViewKart::OfferToStore() {
  if (Mode != 1 || !Editable || !Modified) return true;
  if (!Dialogs::ask(QStringLiteral("Искате ли да запазите промените върху картона"), QStringLiteral("Потвърждение")))
    return true;
  return SaveCard();
}

void TViewKart::CancelClick() { reject(); }

void TViewKart::done(int r) {
  guarded([this] { FormClose(); });
  QDialog::done(r);
}

void TViewKart::FormClose() {
  TDataModule1 &dm = *DataModule1;
  OfferToStore();
  dm.Cards.close();
  dm.Person.close();
  dm.TempQuery.close();
  if (!dm.MainQuery.active()) dm.MainQuery.open();
}

bool TViewKart::eventFilter(QObject *obj, QEvent *e) {
  if (obj == mNotes->viewport() && e->type() == QEvent::MouseButtonDblClick) {
    mNotesDblClick();
    return Mode == 1;  // the notes window took the double click
  }
  if (obj == ebRegNum && e->type() == QEvent::KeyPress && Mode == 1) {
    const auto *k = static_cast<QKeyEvent *>(e);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      ebRegNumKeyDown();
      return true;
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
  mNotes->setPlainText(zv::StampedMemoText(mNotes->toPlainText(), note_txt->text()));
}

void TViewKart::mNotesDblClick() {
  if (Mode != 1) return;
  // A new window for every opening; it puts its text back into mNotes as it
  // closes.
  TfrmuNotes notes(mNotes, this);
  notes.exec();
}

// ====================================================================== member rows

int TViewKart::RowCount() const { return FamilyList->rowCount(); }

MemberRow TViewKart::row(int r) const {
  MemberRow cells;
  for (int c = 0; c < 8; ++c) {
    const QTableWidgetItem *it = FamilyList->item(r - 1, c);
    cells[static_cast<size_t>(c)] = it ? it->text() : QString();
  }
  return cells;
}

void TViewKart::setRow(int r, const MemberRow &cells) {
  for (int c = 0; c < 8; ++c) {
    QTableWidgetItem *it = FamilyList->item(r - 1, c);
    if (!it) {
      it = new QTableWidgetItem;
      it->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
      FamilyList->setItem(r - 1, c, it);
    }
    it->setText(cells[static_cast<size_t>(c)]);
  }
}

MemberRows TViewKart::Rows() const {
  MemberRows rows;
  for (int r = 1; r <= RowCount(); ++r) rows.push_back(row(r));
  return rows;
}

int TViewKart::SelectedRow() const {
  const int r = FamilyList->currentRow();
  return r >= 0 && r < RowCount() ? r + 1 : 1;
}

void TViewKart::selectRowQuietly(int r) {
  if (r < 1 || r > RowCount()) return;
  const QSignalBlocker quiet(FamilyList);
  FamilyList->setCurrentCell(r - 1, qMax(FamilyList->currentColumn(), 0));
}

int TViewKart::socGroupCode(const QString &text) const {
  if (text.isEmpty()) return -1;
  return cbSocGrupa->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
}

QString TViewKart::socGroupText(int code) const {
  return code >= 0 && code < cbSocGrupa->count() ? cbSocGrupa->itemText(code) : QString();
}

void TViewKart::UpdateCounters() {
  const MemberRows rows = Rows();
  if (!HolderPending) FamilyCount->setText(QString::number(zv::MemberCount(rows, HolderPending)));
  FamilyKids->setText(QString::number(zv::CountMinorChildren(rows)));
}

// ====================================================================== member panel

void TViewKart::FamilyListSelectCell(int r) {
  if (r < 1 || r > RowCount()) return;
  if (!SkipPanelFill) {
    const MemberRow cells = row(r);
    FirstName->setText(cells[zv::cellName]);
    PersonEGN->setText(cells[zv::cellEgn]);
    PersonNotes->setText(cells[zv::cellNotes]);
    cbSocGrupa->setCurrentIndex(socGroupCode(cells[zv::cellSoc]));
    PersonType->setCurrentIndex(zv::TypeCodeOf(cells[zv::cellType]));
  }
  SkipPanelFill = false;
  selectRowQuietly(r);
  gbFamilyMember->setHidden(false);
}

void TViewKart::ShowClick() { gbFamilyMember->setHidden(!gbFamilyMember->isHidden()); }

void TViewKart::AddClick() {
  if (HolderPending) {
    ModifyClick();
    return;
  }
  guarded([this] {
    const zv::MemberInput in{FirstName->text(), PersonType->currentText(), PersonEGN->text()};
    const int msg = zv::ValidateMember(in, Rows(), false, SelectedRow());
    if (msg != 0) {
      Dialogs::message(zv::MemberMessage(msg), kAddError);
      return;
    }
    SkipPanelFill = true;
    {
      const QSignalBlocker quiet(FamilyList);
      FamilyList->insertRow(RowCount());
    }
    setRow(RowCount(), MemberRow{});
    WriteMemberRow(RowCount());
    Modified = true;
  });
}

void TViewKart::ModifyClick() {
  guarded([this] {
    const int selected = SelectedRow();
    const zv::MemberInput in{FirstName->text(), PersonType->currentText(), PersonEGN->text()};
    const int msg = zv::ValidateMember(in, Rows(), true, selected);
    if (msg != 0) {
      Dialogs::message(zv::MemberMessage(msg), kAddError);
      return;
    }
    WriteMemberRow(selected);
    Modified = true;
  });
}

void TViewKart::WriteMemberRow(int r) {
  MemberRow cells = row(r);
  cells[zv::cellType] = PersonType->currentText();
  cells[zv::cellName] = FirstName->text();
  cells[zv::cellEgn] = PersonEGN->text();
  cells[zv::cellSoc] = cbSocGrupa->currentIndex() >= 0 ? cbSocGrupa->currentText() : QString();
  cells[zv::cellNotes] = PersonNotes->text();
  // Disability data goes in only as digits; a decision number that is not
  // made of digits clears what the row held.
  const QString percent = proc_inv->text();
  const QString decision = re6_telk->text();
  if (!percent.isEmpty() && !decision.isEmpty() && zv::IsAllDigits(percent)) {
    if (zv::IsAllDigits(decision)) {
      cells[zv::cellInvProc] = percent;
      cells[zv::cellInvDate] = zv::dateText(dayOf(val_do));
      cells[zv::cellTelk] = decision;
    } else {
      cells[zv::cellInvProc].clear();
      cells[zv::cellInvDate].clear();
      cells[zv::cellTelk].clear();
    }
  }
  setRow(r, cells);
  HolderPending = false;
  UpdateCounters();
  ClearMemberPanel();
  if (RowCount() > 1) Delete->setEnabled(true);
  Modify->setEnabled(true);
}

void TViewKart::DeleteClick() {
  const int selected = SelectedRow();
  if (selected == 1) {
    Dialogs::message(QStringLiteral("Не е възможно да бъде изтрит титуляра"), QStringLiteral("Грешка при премахването"));
    return;
  }
  {
    const QSignalBlocker quiet(FamilyList);
    FamilyList->removeRow(selected - 1);
  }
  if (RowCount() == 1) Delete->setEnabled(false);
  Modified = true;
  UpdateCounters();
  ClearMemberPanel();
}

void TViewKart::Button1Click() {
  const int selected = SelectedRow();
  if (selected == 1) return;
  MemberRow holder = row(1);
  MemberRow chosen = row(selected);
  const QString chosenType = chosen[zv::cellType];
  if (chosenType == zv::kHusband)
    holder[zv::cellType] = zv::kWife;
  else if (chosenType == zv::kWife)
    holder[zv::cellType] = zv::kHusband;
  else
    holder[zv::cellType] = zv::kOther;
  chosen[zv::cellType] = zv::kHolder;
  setRow(1, chosen);
  setRow(selected, holder);
  Modified = true;
}

void TViewKart::ClearMemberPanel() {
  PersonType->setCurrentIndex(-1);
  cbSocGrupa->setCurrentIndex(-1);
  for (QLineEdit *e : {FirstName, PersonEGN, PersonNotes, proc_inv, re6_telk}) e->clear();
  val_do->setDate(qdate(zv::now()));
  pojiz->setChecked(false);
}

void TViewKart::pojizClick() {
  const QDate today = qdate(zv::now());
  if (pojiz->isChecked()) {
    val_do->setEnabled(false);
    val_do->setDate(today.addYears(3000));
  } else {
    val_do->setEnabled(true);
    val_do->setDate(today);
  }
}
