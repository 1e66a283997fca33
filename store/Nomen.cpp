#include "Nomen.h"

#include <algorithm>

#include <QComboBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

#include "DataModule.h"
#include "Dialogs.h"

namespace zv {

namespace {
const QString kN = QStringLiteral("N");

// Nom is opened whole at connect; a lookup before that (or after a close)
// opens it.
Table &nomTable() {
  Table &nom = DataModule1->Nom;
  if (!nom.active()) nom.open();
  return nom;
}

int columnIndexOrThrow(const Table &nom, const QString &column) {
  const int i = nom.fieldIndex(column);
  if (i < 0) throw fb::Error(QStringLiteral("Field '%1' not found").arg(column));
  return i;
}

bool hasValue(const QVariant &v) { return v.isValid() && !v.isNull(); }
}  // namespace

QString NomTextOf(const QString &column, int n) {
  Table &nom = nomTable();
  columnIndexOrThrow(nom, column);
  if (!nom.locate(kN, n)) return kNomNone;
  const Field f = nom.fieldByName(column);
  if (f.isNull()) return kNomNone;
  return f.asString();
}

int NomCodeOf(const QString &column, const QString &text) {
  Table &nom = nomTable();
  const size_t ci = static_cast<size_t>(columnIndexOrThrow(nom, column));
  const size_t ni = static_cast<size_t>(columnIndexOrThrow(nom, kN));
  int code = -1;
  // Rows come in ascending N; the last match wins.
  for (const Row &r : nom.rows())
    if (hasValue(r[ci]) && r[ci].toString() == text) code = std::max(code, r[ni].toInt());
  return code;
}

QList<NomEntry> NomEntries(const QString &column) {
  QList<NomEntry> out;
  for (int n = 0; n <= 9; ++n) {
    const QString t = NomTextOf(column, n);
    if (t != kNomNone) out.append(NomEntry{t, n});
  }
  return out;
}

void FillNomList(QComboBox *box, const QString &column) {
  const QList<NomEntry> entries = NomEntries(column);
  box->clear();
  for (const NomEntry &e : entries) box->addItem(e.text, e.n);
  // Adding to an empty box selects the first item; an offered list starts
  // without a choice.
  box->setCurrentIndex(-1);
}

// ------------------------------------------------------------ NomGridModel

const QStringList &NomGridModel::columnNames() {
  static const QStringList names{QStringLiteral("N"),        QStringLiteral("GROUP1"), QStringLiteral("GROUP2"),
                                 QStringLiteral("STATUS"),   QStringLiteral("SOCGRUPA"), QStringLiteral("LDATA"),
                                 QStringLiteral("LREASON"), QStringLiteral("KARTFOR")};
  return names;
}

const QStringList &NomGridModel::columnTitles() {
  static const QStringList titles{QStringLiteral("Номер"),
                                  QStringLiteral("Група"),
                                  QStringLiteral("Особености"),
                                  QStringLiteral("Състояние"),
                                  QStringLiteral("Социална Група"),
                                  QStringLiteral("Данни за жилището"),
                                  QStringLiteral("Основание за обитаване"),
                                  QStringLiteral("Картотекиран за ")};
  return titles;
}

int NomGridModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int NomGridModel::columnCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(columnNames().size());
}

QVariant NomGridModel::data(const QModelIndex &index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return QVariant();
  const QVariant &v = rows_[static_cast<size_t>(index.row())][static_cast<size_t>(index.column())];
  return hasValue(v) ? v : QVariant();
}

QVariant NomGridModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole) return QVariant();
  if (orientation == Qt::Horizontal) return columnTitles().value(section);
  return QVariant();
}

Qt::ItemFlags NomGridModel::flags(const QModelIndex &index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

void NomGridModel::reload() {
  beginResetModel();
  rows_.clear();
  if (DataModule1 && DataModule1->Database.connected()) {
    const Table &nom = nomTable();
    std::vector<size_t> cols;
    for (const QString &c : columnNames()) cols.push_back(static_cast<size_t>(columnIndexOrThrow(nom, c)));
    for (const Row &r : nom.rows()) {
      Row shown;
      for (size_t c : cols) shown.push_back(r[c]);
      rows_.push_back(std::move(shown));
    }
  }
  endResetModel();
}

void NomGridModel::deleteRow(int row) {
  if (row < 0 || row >= rowCount()) return;
  const QVariant n = rows_[static_cast<size_t>(row)][0];
  Table &nom = nomTable();
  if (nom.locate(kN, n)) nom.deleteCurrent();  // a server error leaves the grid as it was
  beginRemoveRows(QModelIndex(), row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
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
