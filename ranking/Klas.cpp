#include "Klas.h"

#include <QCheckBox>
#include <QFontMetrics>
#include <QHBoxLayout>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QToolButton>
#include <QVBoxLayout>

#include "DataModule.h"

namespace {
constexpr int kTermRole = Qt::UserRole;
constexpr int kFixedRole = Qt::UserRole + 1;

const QString kInfo = QStringLiteral(
    "В класирането участват семейства, които притежават група и имат \n"
    "състояние \"вписан в картотеката\".\n"
    "То се сортира по следните критерии в следната последователност:");
}  // namespace

TKlasForm::TKlasForm(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("KlasForm"));
  setWindowTitle(QStringLiteral("Класиране"));
  setWindowFlags((windowFlags() | Qt::MSWindowsFixedSizeDialogHint) & ~Qt::WindowContextHelpButtonHint);

  KlasInfo = new QPlainTextEdit(this);
  KlasInfo->setObjectName(QStringLiteral("KlasInfo"));
  KlasInfo->setReadOnly(true);
  KlasInfo->setPlainText(kInfo);
  KlasInfo->setFrameShape(QFrame::NoFrame);
  KlasInfo->setFocusPolicy(Qt::NoFocus);
  KlasInfo->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  KlasInfo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  KlasInfo->setLineWrapMode(QPlainTextEdit::NoWrap);
  {
    // Reads as part of the window, not as an edit box.
    QPalette pal = KlasInfo->palette();
    pal.setColor(QPalette::Base, palette().color(QPalette::Window));
    KlasInfo->setPalette(pal);
    const QFontMetrics fm(KlasInfo->font());
    int widest = 0;
    for (const QString &l : kInfo.split(QLatin1Char('\n'))) widest = std::max(widest, fm.horizontalAdvance(l));
    KlasInfo->setFixedSize(widest + 24, fm.lineSpacing() * 3 + 14);
  }

  ClassList = new QListWidget(this);
  ClassList->setObjectName(QStringLiteral("ClassList"));
  ClassList->setSelectionMode(QAbstractItemView::SingleSelection);
  ClassList->setEditTriggers(QAbstractItemView::NoEditTriggers);
  {
    // The selection stays visible when the list loses the focus.
    QPalette pal = ClassList->palette();
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(QPalette::Active, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText,
                 pal.color(QPalette::Active, QPalette::HighlightedText));
    ClassList->setPalette(pal);
  }

  sbUp = new QToolButton(this);
  sbUp->setObjectName(QStringLiteral("sbUp"));
  sbUp->setArrowType(Qt::UpArrow);
  sbUp->setToolTip(QStringLiteral("Премества критерия нагоре (Ctrl+Стрелка нагоре)"));
  sbUp->setFixedSize(32, 32);
  sbDown = new QToolButton(this);
  sbDown->setObjectName(QStringLiteral("sbDown"));
  sbDown->setArrowType(Qt::DownArrow);
  sbDown->setToolTip(QStringLiteral("Премества критерия надолу (Ctrl+Стрелка надолу)"));
  sbDown->setFixedSize(32, 32);
  connect(sbUp, &QToolButton::clicked, this, &TKlasForm::sbUpClick);
  connect(sbDown, &QToolButton::clicked, this, &TKlasForm::sbDownClick);
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Up), this), &QShortcut::activated, this,
          &TKlasForm::sbUpClick);
  connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Down), this), &QShortcut::activated, this,
          &TKlasForm::sbDownClick);

  cbRefreshInfo = new QCheckBox(QStringLiteral("Опресняване на базата данни съгласно днешна дата"), this);
  cbRefreshInfo->setObjectName(QStringLiteral("cbRefreshInfo"));
  cbRefreshInfo->setChecked(true);
  cbRefreshInfo->setEnabled(false);  // the refresh always runs

  bOK = new QPushButton(QStringLiteral("Класиране >>"), this);
  bOK->setObjectName(QStringLiteral("bOK"));
  bOK->setDefault(true);
  bCancel = new QPushButton(QStringLiteral("Отказ"), this);
  bCancel->setObjectName(QStringLiteral("bCancel"));
  connect(bOK, &QPushButton::clicked, this, &QDialog::accept);
  connect(bCancel, &QPushButton::clicked, this, &QDialog::reject);

  auto *v = new QVBoxLayout(this);
  v->setSizeConstraint(QLayout::SetFixedSize);
  v->addWidget(KlasInfo);
  auto *listRow = new QHBoxLayout;
  listRow->addWidget(ClassList, 1);
  auto *arrows = new QVBoxLayout;
  arrows->addStretch(1);
  arrows->addWidget(sbUp);
  arrows->addWidget(sbDown);
  arrows->addStretch(1);
  listRow->addLayout(arrows);
  v->addLayout(listRow);
  v->addWidget(cbRefreshInfo);
  auto *buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(bOK);
  buttons->addWidget(bCancel);
  v->addLayout(buttons);

  zv::CriteriaList list;
  if (DataModule1 && DataModule1->Database.connected())
    list = zv::LoadCriteria(*DataModule1);
  else
    list.entries = zv::BuiltInCriteria();
  T = list.total;
  F = list.fixed;
  fill(list.entries);
}

void TKlasForm::fill(const std::vector<zv::Criterion> &entries) {
  ClassList->clear();
  int widest = 0;
  const QFontMetrics fm(ClassList->font());
  for (const zv::Criterion &c : entries) {
    auto *item = new QListWidgetItem(c.text, ClassList);
    item->setData(kTermRole, c.term);
    item->setData(kFixedRole, c.fixed);
    widest = std::max(widest, fm.horizontalAdvance(c.text));
  }
  // Every criterion shows whole, without scrolling.
  const int rows = std::max(9, ClassList->count());
  ClassList->setFixedSize(std::max(widest + 40, KlasInfo->width() - 40),
                          rows * std::max(fm.lineSpacing(), ClassList->sizeHintForRow(0)) + 8);
}

std::vector<zv::Criterion> TKlasForm::criteria() const {
  std::vector<zv::Criterion> out;
  for (int i = 0; i < ClassList->count(); ++i) {
    const QListWidgetItem *it = ClassList->item(i);
    out.push_back(zv::Criterion{it->text(), it->data(kTermRole).toString(), it->data(kFixedRole).toBool()});
  }
  return out;
}

QString TKlasForm::RankingOrderText() const { return zv::RankingOrderOf(criteria()); }

void TKlasForm::swapWith(int row, int other) {
  QListWidgetItem *it = ClassList->takeItem(row);
  ClassList->insertItem(other, it);
  ClassList->setCurrentRow(other);
}

void TKlasForm::sbUpClick() {
  const int i = ClassList->currentItem() && ClassList->currentItem()->isSelected() ? ClassList->currentRow() : -1;
  if (zv::CanMoveUp(i, T, F)) swapWith(i, i - 1);
}

void TKlasForm::sbDownClick() {
  const int i = ClassList->currentItem() && ClassList->currentItem()->isSelected() ? ClassList->currentRow() : -1;
  if (zv::CanMoveDown(i, T, F)) swapWith(i, i + 1);
}

void TKlasForm::FormShow() {
  if (ClassList->count() > 3) ClassList->setCurrentRow(3);
  ClassList->setFocus();
}

void TKlasForm::showEvent(QShowEvent *e) {
  QDialog::showEvent(e);
  FormShow();
}
