#include "LBDNames.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QShowEvent>
#include <QStyle>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>
#include <memory>

#include "DataModule.h"
#include "Dialogs.h"
#include "Fb.h"
#include "LbdCompare.h"
#include "Status.h"

TLbdNamesForm *LbdNamesForm = nullptr;

namespace {
const int kWidths[] = {20, 86, 246, 257};

QTableWidgetItem *cell(const QString &text) {
  auto *item = new QTableWidgetItem(text);
  item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
  return item;
}
}  // namespace

TLbdNamesForm::TLbdNamesForm(QWidget *parent) : QDialog(parent) {
  if (!LbdNamesForm) LbdNamesForm = this;
  setObjectName(QStringLiteral("LbdNamesForm"));
  setWindowTitle(QStringLiteral("Имена от Локална База Данни Население"));
  setWindowFlags((windowFlags() | Qt::WindowMaximizeButtonHint) & ~Qt::WindowContextHelpButtonHint);
  setSizeGripEnabled(true);
  setMinimumSize(338, 136);

  slNames = new QTableWidget(1, 4, this);
  slNames->setObjectName(QStringLiteral("slNames"));
  slNames->setHorizontalHeaderLabels(
      {QStringLiteral("#"), QStringLiteral("ЕГН"), QStringLiteral("Име от базата дани"), QStringLiteral("Име от ЛБД")});
  slNames->setEditTriggers(QAbstractItemView::NoEditTriggers);
  slNames->setSelectionBehavior(QAbstractItemView::SelectRows);
  slNames->setSelectionMode(QAbstractItemView::SingleSelection);
  slNames->verticalHeader()->hide();
  slNames->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  slNames->verticalHeader()->setDefaultSectionSize(slNames->fontMetrics().height() + 6);
  slNames->horizontalHeader()->setHighlightSections(false);
  for (int c = 0; c < 4; ++c) slNames->setColumnWidth(c, kWidths[c]);
  slNames->horizontalHeader()->setStretchLastSection(true);
  connect(slNames, &QTableWidget::cellDoubleClicked, this, &TLbdNamesForm::slNamesDblClick);

  bSave = new QPushButton(QStringLiteral("Запис"), this);
  bSave->setObjectName(QStringLiteral("bSave"));
  bSave->setEnabled(false);
  bExit = new QPushButton(QStringLiteral("Изход"), this);
  bExit->setObjectName(QStringLiteral("bExit"));
  Label1 = new QLabel(QStringLiteral("Двойно щракване върху име или бутонът „запис“ заменя името в базата данни "
                                     "на програмата с името от ЛБД."),
                      this);
  Label1->setObjectName(QStringLiteral("Label1"));
  Label1->setWordWrap(true);
  // Enter alone never replaces a name: the clerk presses "Запис" or double-clicks.
  bSave->setAutoDefault(false);
  bExit->setAutoDefault(false);
  connect(bSave, &QPushButton::clicked, this, &TLbdNamesForm::bSaveClick);
  connect(bExit, &QPushButton::clicked, this, &QDialog::reject);

  auto *side = new QVBoxLayout;
  side->addWidget(bSave);
  side->addWidget(bExit);
  side->addSpacing(8);
  side->addWidget(Label1);
  side->addStretch(1);
  auto *sidePanel = new QWidget(this);
  sidePanel->setLayout(side);
  sidePanel->setFixedWidth(150);

  auto *root = new QHBoxLayout(this);
  root->addWidget(slNames, 1);
  root->addWidget(sidePanel);
  resize(820, 420);
  ResetGrid();
}

TLbdNamesForm::~TLbdNamesForm() {
  if (LbdNamesForm == this) LbdNamesForm = nullptr;
}

void TLbdNamesForm::guarded(const std::function<void()> &fn) {
  try {
    fn();
  } catch (const fb::Error &e) {
    Dialogs::message(e.text(), QApplication::applicationName(), Dialogs::Icon::Error);
  } catch (const std::exception &e) {
    Dialogs::message(QString::fromUtf8(e.what()), QApplication::applicationName(), Dialogs::Icon::Error);
  }
}

void TLbdNamesForm::showEvent(QShowEvent *e) {
  QDialog::showEvent(e);
  if (!e->spontaneous()) guarded([this] { Compare(); });
}

void TLbdNamesForm::ResetGrid() {
  // One empty row; its running number stays as it was.
  slNames->setRowCount(1);
  for (int c = 1; c < 4; ++c) slNames->setItem(0, c, cell(QString()));
  if (!slNames->item(0, 0)) slNames->setItem(0, 0, cell(QString()));
  slNames->setColumnWidth(0, kWidths[0]);
  bSave->setEnabled(false);
}

void TLbdNamesForm::Compare() {
  ResetGrid();
  std::vector<zv::NameDifference> found;
  {
    TStatusForm *status = StatusForm;
    std::unique_ptr<TStatusForm> own;
    if (!status) {
      own = std::make_unique<TStatusForm>();
      status = own.get();
    }
    found = zv::FindNameDifferences(DataModule1->Database, DataModule1->Transaction, status);
  }
  if (found.empty()) {
    Dialogs::message(zv::NoNameDifferencesText(), QStringLiteral("Греша"), Dialogs::Icon::Error);
    return;
  }
  slNames->setUpdatesEnabled(false);
  slNames->setRowCount(static_cast<int>(found.size()));
  for (int r = 0; r < static_cast<int>(found.size()); ++r) {
    const zv::NameDifference &d = found[static_cast<size_t>(r)];
    slNames->setItem(r, 0, cell(QString::number(r + 1)));
    slNames->setItem(r, 1, cell(d.egn));
    slNames->setItem(r, 2, cell(d.storedName));
    slNames->setItem(r, 3, cell(d.registerName));
  }
  // The running numbers are never cut off, however long the list.
  const int numberWidth =
      slNames->fontMetrics().horizontalAdvance(QString::number(found.size())) + 2 * slNames->style()->pixelMetric(
                                                                                       QStyle::PM_FocusFrameHMargin) + 8;
  slNames->setColumnWidth(0, std::max(kWidths[0], numberWidth));
  slNames->setUpdatesEnabled(true);
  slNames->setCurrentCell(0, 0);
  bSave->setEnabled(true);
}

void TLbdNamesForm::bSaveClick() {
  guarded([this] {
    if (bSave->isEnabled()) {
      const int r = slNames->currentRow();
      const QTableWidgetItem *egn = r >= 0 ? slNames->item(r, 1) : nullptr;
      if (egn && zv::ReplaceStoredName(*DataModule1, egn->text()))
        Dialogs::message(QStringLiteral("Името е променено!"), QStringLiteral("Потвърждение"),
                         Dialogs::Icon::Information);
    }
    Compare();
  });
}

void TLbdNamesForm::slNamesDblClick() { bSaveClick(); }
