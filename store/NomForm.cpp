#include "NomForm.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "DataModule.h"
#include "Dialogs.h"
#include "Refusal.h"

namespace zv {

void FillNomList(QComboBox *box, const QString &column) {
  const QList<NomEntry> entries = NomEntries(column);
  box->clear();
  for (const NomEntry &e : entries) box->addItem(e.text, e.n);
  // Adding to an empty box selects the first item; an offered list starts
  // without a choice.
  box->setCurrentIndex(-1);
}

}  // namespace zv

// ----------------------------------------------------------------- TNomForm

TNomForm::TNomForm(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("NomForm"));
  setWindowTitle(QStringLiteral("Номенклатури"));
  model_ = new zv::NomGridModel(this);

  NomGrid = new QTableView(this);
  NomGrid->setObjectName(QStringLiteral("NomGrid"));
  NomGrid->setModel(model_);
  NomGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  NomGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  NomGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  NomGrid->verticalHeader()->hide();
  NomGrid->horizontalHeader()->setStretchLastSection(true);
  NomGrid->installEventFilter(this);

  bPrev = new QPushButton(QStringLiteral("Предишна"), this);
  bPrev->setObjectName(QStringLiteral("bPrev"));
  bNext = new QPushButton(QStringLiteral("Следваща"), this);
  bNext->setObjectName(QStringLiteral("bNext"));
  bExit = new QPushButton(QStringLiteral("Изход"), this);
  bExit->setObjectName(QStringLiteral("bExit"));
  for (QPushButton *b : {bPrev, bNext, bExit}) b->setAutoDefault(false);

  auto *buttons = new QHBoxLayout;
  buttons->addWidget(bPrev);
  buttons->addWidget(bNext);
  buttons->addStretch(1);
  buttons->addWidget(bExit);
  auto *layout = new QVBoxLayout(this);
  layout->addWidget(NomGrid, 1);
  layout->addLayout(buttons);
  resize(560, 380);

  connect(bPrev, &QPushButton::clicked, this, &TNomForm::bPrevClick);
  connect(bNext, &QPushButton::clicked, this, &TNomForm::bNextClick);
  connect(bExit, &QPushButton::clicked, this, &QDialog::accept);
  showOnly(current_);
}

void TNomForm::showEvent(QShowEvent *e) {
  FormShow();
  QDialog::showEvent(e);
}

void TNomForm::FormShow() {
  model_->reload();
  current_ = 1;
  showOnly(current_);
}

void TNomForm::showOnly(int list) {
  for (int c = 1; c <= 7; ++c) NomGrid->setColumnHidden(c, c != list);
  NomGrid->setColumnHidden(0, false);
}

void TNomForm::bPrevClick() {
  if (current_ != 1) --current_;
  showOnly(current_);
}

void TNomForm::bNextClick() {
  if (current_ != 7) ++current_;
  showOnly(current_);
}

void TNomForm::NomGridDeleteRow() {
  const QModelIndex cur = NomGrid->currentIndex();
  if (!cur.isValid()) return;
  if (zv::RefuseUnless(zv::CanEditCodeLists(accessLevel_))) return;
  if (!Dialogs::ask(QStringLiteral("Изтриване на записа?"), QStringLiteral("Потвърждение"))) return;
  model_->deleteRow(cur.row());
}

bool TNomForm::eventFilter(QObject *watched, QEvent *event) {
  if (watched == NomGrid && event->type() == QEvent::KeyPress) {
    const auto *k = static_cast<QKeyEvent *>(event);
    if (k->key() == Qt::Key_Delete && (k->modifiers() & Qt::ControlModifier)) {
      NomGridDeleteRow();
      return true;
    }
  }
  return QDialog::eventFilter(watched, event);
}
