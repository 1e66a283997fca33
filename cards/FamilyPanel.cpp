// The card window's member rows ("Семейно положение") and the member panel
// ("Добавяне на член на семейството"): every add, change, removal and holder
// exchange works on the rows only; a save stores them (CardSave.cpp).
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>

#include "CardWidgets.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "ViewKarton.h"
#include "egn.h"
#include "lbddialog.h"

using zv::MemberRow;
using zv::MemberRows;
using zv::named;

namespace {

const QString kAddError = QStringLiteral("Грешка при добавяне");
const QStringList kHeadings{QStringLiteral("Тип"),
                            QStringLiteral("Име"),
                            QStringLiteral("ЕГН"),
                            QStringLiteral("Соц.група"),
                            QStringLiteral("Допълнителни бележки"),
                            QStringLiteral("Процент на инвалидност"),
                            QStringLiteral("Валидно до (дата)"),
                            QStringLiteral("Експертно решение на ТЕЛК")};

// The width a heading needs on at most two lines, broken at a blank.
int twoLineWidth(const QFontMetrics &fm, const QString &text) {
  int best = fm.horizontalAdvance(text);
  for (qsizetype i = text.indexOf(QLatin1Char(' ')); i > 0; i = text.indexOf(QLatin1Char(' '), i + 1))
    best = qMin(best, qMax(fm.horizontalAdvance(text.left(i)), fm.horizontalAdvance(text.mid(i + 1))));
  return best;
}

}  // namespace

// ====================================================================== layout

void TViewKart::buildFamilyPanel(QWidget *tab, QVBoxLayout *tabLayout) {
  const zv::ControlMaker make{this};
  const auto edit = [&make](const char *name) { return make.edit(name); };
  const auto button = [&make](const char *name, const QString &text) { return make.button(name, text); };
  const auto label = [&make](const QString &text) { return make.label(text); };

  gbFamily = named(new QGroupBox(QStringLiteral("Семейно положение"), tab), "gbFamily");
  FamilyList = named(new QTableWidget(0, 8, gbFamily), "FamilyList");
  FamilyList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FamilyList->setSelectionBehavior(QAbstractItemView::SelectRows);
  FamilyList->setSelectionMode(QAbstractItemView::SingleSelection);
  // Tab goes on to the next field; the arrow keys move between the rows.
  FamilyList->setTabKeyNavigation(false);
  FamilyList->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  FamilyList->verticalHeader()->hide();
  FamilyList->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  FamilyList->verticalHeader()->setDefaultSectionSize(17);
  // Long headings go on two lines rather than being cut.
  QHeaderView *head = FamilyList->horizontalHeader();
  head->setDefaultAlignment(Qt::Alignment::fromInt(Qt::AlignCenter | Qt::TextWordWrap));
  head->setTextElideMode(Qt::ElideNone);
  head->setStretchLastSection(true);
  FamilyList->setHorizontalHeaderLabels(kHeadings);
  FamilyList->setMinimumHeight(130);
  FamilyCount = edit("FamilyCount");
  FamilyKids = edit("FamilyKids");
  for (QLineEdit *count : {FamilyCount, FamilyKids}) {
    count->setReadOnly(true);
    count->setFocusPolicy(Qt::ClickFocus);  // shown, not typed into: Tab passes by
    count->setAlignment(Qt::AlignRight);
    count->setFixedWidth(count->fontMetrics().horizontalAdvance(QStringLiteral("0000")) + 16);
  }
  Show = button("Show", QStringLiteral("Скрий / Покажи"));
  Button1 = button("Button1", QStringLiteral("Промени избрания на титуляр"));
  auto *strip = new QHBoxLayout;
  strip->addWidget(label(QStringLiteral("Общ брой:")));
  strip->addWidget(FamilyCount);
  strip->addSpacing(16);
  strip->addWidget(label(QStringLiteral("Брой деца под 18 години:")));
  strip->addWidget(FamilyKids);
  strip->addStretch(1);
  strip->addWidget(Show);
  strip->addWidget(Button1);
  auto *famLayout = new QVBoxLayout(gbFamily);
  famLayout->addWidget(FamilyList, 1);
  famLayout->addLayout(strip);
  tabLayout->addWidget(gbFamily, 1);

  gbFamilyMember =
      named(new QGroupBox(QStringLiteral("Добавяне на член на семейството"), tab), "gbFamilyMember");
  FirstName = edit("FirstName");
  PersonType = make.list("PersonType");
  for (const QString &t : zv::MemberTypeTexts()) PersonType->addItem(t);
  PersonEGN = edit("PersonEGN");
  bLBD = button("bLBD", QStringLiteral("Провека в ЛБД ..."));
  connect(bLBD, &QPushButton::clicked, this, [this] { guarded([this] { bLBDClick(this); }); });
  cbSocGrupa = make.list("cbSocGrupa");
  PersonNotes = edit("PersonNotes");
  proc_inv = edit("proc_inv");
  val_do = make.date("val_do");
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
  mg->setColumnStretch(1, 1);
  mg->setColumnStretch(6, 1);
  auto *mb = new QHBoxLayout;
  mb->addStretch(1);
  mb->addWidget(Add);
  mb->addWidget(Modify);
  mb->addWidget(Delete);
  mg->addLayout(mb, 4, 0, 1, 7);
  gbFamilyMember->hide();
  tabLayout->addWidget(gbFamilyMember);

  connect(Show, &QPushButton::clicked, this, &TViewKart::ShowClick);
  connect(Add, &QPushButton::clicked, this, &TViewKart::AddClick);
  connect(Modify, &QPushButton::clicked, this, &TViewKart::ModifyClick);
  connect(Delete, &QPushButton::clicked, this, &TViewKart::DeleteClick);
  connect(Button1, &QPushButton::clicked, this, &TViewKart::Button1Click);
  connect(pojiz, &QCheckBox::toggled, this, &TViewKart::pojizClick);
  // A mouse press selects the row it lands on (also the row already
  // selected); the keyboard selects by moving the current row.
  connect(FamilyList, &QTableWidget::cellPressed, this, [this](int r, int) { FamilyListSelectCell(r + 1); });
  connect(FamilyList, &QTableWidget::currentCellChanged, this, [this](int r, int, int previous, int) {
    if (r >= 0 && r != previous && QApplication::mouseButtons() == Qt::NoButton) FamilyListSelectCell(r + 1);
  });
  sizeFamilyColumns();
}

void TViewKart::sizeFamilyColumns() {
  FamilyList->setHorizontalHeaderLabels(kHeadings);
  // The widths the register has always used are the least; a column is
  // widened until its heading and the longest text it can hold read whole.
  static const int least[] = {56, 238, 73, 67, 186, 64, 64, 64};
  QHeaderView *head = FamilyList->horizontalHeader();
  QFont headFont = head->font();
  headFont.setBold(true);  // some styles draw the headings bold
  const QFontMetrics hm(headFont);
  const QFontMetrics bm(FamilyList->font());
  const int headPad = 2 * head->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, head) + 8;
  const int cellPad = 12;
  int total = 0;
  const auto &types = zv::MemberTypeTexts();
  const QList<QStringList> samples{QStringList(types.begin(), types.end()),
                                   {},
                                   {QStringLiteral("8888888888")},
                                   {},
                                   {},
                                   {QStringLiteral("100")},
                                   {QStringLiteral("88.88.8888")},
                                   {}};
  for (int c = 0; c < 8; ++c) {
    int width = qMax(least[c], twoLineWidth(hm, kHeadings[c]) + headPad);
    for (const QString &s : samples[c]) width = qMax(width, bm.horizontalAdvance(s) + cellPad);
    if (c == zv::cellSoc) width = qMax(width, zv::widestEntry(cbSocGrupa) + cellPad);
    FamilyList->setColumnWidth(c, width);
    total += width;
  }
  head->setMinimumHeight(2 * hm.lineSpacing() + headPad);
  // Every column in sight, without scrolling sideways.
  FamilyList->setMinimumWidth(total + FamilyList->verticalScrollBar()->sizeHint().width() + 2 * FamilyList->frameWidth());
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

MemberRows TViewKart::MembersToStore() const { return HolderPending ? MemberRows{} : Rows(); }

int TViewKart::SelectedRow() const { return HasSelectedRow() ? FamilyList->currentRow() + 1 : 1; }

bool TViewKart::HasSelectedRow() const {
  const int r = FamilyList->currentRow();
  return r >= 0 && r < RowCount();
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

void TViewKart::SetHolderPlaceholder() {
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
  FamilyKids->setText(QStringLiteral("0"));
  HolderPending = true;
  PersonType->setCurrentIndex(0);
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
    const auto text = [&f](const char *name) { return zv::TrimRight(f(name).asString()); };
    MemberRow cells;
    cells[zv::cellType] = zv::TypeTextOf(f("PERSON_TYPE").asInteger());
    cells[zv::cellName] = text("NAME");
    cells[zv::cellEgn] = text("EGN");
    cells[zv::cellSoc] = socGroupText(f("SOCGRUPA").isNull() ? 0 : f("SOCGRUPA").asInteger());
    cells[zv::cellNotes] = text("NOTES");
    cells[zv::cellInvProc] = f("INV_PROC").asString();
    cells[zv::cellInvDate] = text("INV_DATE");
    cells[zv::cellTelk] = text("TELK_NUM");
    {
      const QSignalBlocker quiet(FamilyList);
      FamilyList->insertRow(r);
    }
    setRow(++r, cells);
  }
  q.close();
  selectRowQuietly(1);
}

// ====================================================================== member panel

std::vector<TViewKart::TypedText> TViewKart::panelTexts() const {
  return {{QStringLiteral("Име"), FirstName->text(), FirstName},
          {QStringLiteral("ЕГН"), PersonEGN->text(), PersonEGN},
          {QStringLiteral("Допълнителни бележки"), PersonNotes->text(), PersonNotes},
          {QStringLiteral("Процент на инвалидност"), proc_inv->text(), proc_inv},
          {QStringLiteral("Експертно решение на ТЕЛК"), re6_telk->text(), re6_telk}};
}

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
    if (RefuseUnwritable(panelTexts(), kAddError)) return;
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
  // With no row to change, what was typed is a new member rather than lost.
  if (!HolderPending && !HasSelectedRow()) {
    AddClick();
    return;
  }
  guarded([this] {
    if (RefuseUnwritable(panelTexts(), kAddError)) return;
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
      cells[zv::cellInvDate] = zv::dateText(zv::fromQDate(val_do->date()));
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
  FirstName->setFocus();  // the next member is typed in from the name
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
  val_do->setDate(zv::toQDate(zv::now()));
  pojiz->setChecked(false);
}

void TViewKart::pojizClick() {
  const QDate today = zv::toQDate(zv::now());
  if (pojiz->isChecked()) {
    val_do->setEnabled(false);
    val_do->setDate(today.addYears(3000));
  } else {
    val_do->setEnabled(true);
    val_do->setDate(today);
  }
}
