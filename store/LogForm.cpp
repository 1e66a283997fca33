#include "LogForm.h"

#include <QHeaderView>
#include <QTableView>
#include <QVBoxLayout>
#include <limits>

#include "DataModule.h"
#include "Dataset.h"

namespace zv {

LogModel::LogModel(fb::Database &db, fb::Transaction &tr, int pageSize, QObject *parent)
    : QAbstractTableModel(parent), db_(db), tr_(tr), pageSize_(pageSize > 0 ? pageSize : 1) {}

LogModel::~LogModel() = default;

void LogModel::open() {
  beginResetModel();
  rows_.clear();
  atEnd_ = false;
  if (!page_) {
    page_ = std::make_unique<fb::Statement>(db_, tr_);
    page_->prepare(QStringLiteral("select first %1 LOG_ID, U_NAME, T_TEXT, C_DATE, S_DATE from INF_LOG "
                                  "where LOG_ID > ? order by LOG_ID")
                       .arg(pageSize_));
  }
  try {
    rows_ = readPage();
  } catch (...) {
    endResetModel();
    throw;
  }
  endResetModel();
}

void LogModel::close() {
  beginResetModel();
  rows_.clear();
  atEnd_ = true;
  page_.reset();
  endResetModel();
}

// The rows after the last one read so far, at most one page.
std::vector<LogModel::Entry> LogModel::readPage() {
  std::vector<Entry> page;
  const int after = rows_.empty() ? std::numeric_limits<int>::min() : rows_.back().id;
  page_->execute({after});
  while (page_->fetch()) {
    Entry e;
    e.id = page_->value(0).toInt();
    e.user = page_->value(1).toString();
    e.text = page_->value(2).toString();
    e.clientDate = Field(QString(), page_->value(3)).asString();
    e.serverDate = Field(QString(), page_->value(4)).asString();
    page.push_back(std::move(e));
  }
  page_->closeCursor();
  if (static_cast<int>(page.size()) < pageSize_) atEnd_ = true;
  return page;
}

bool LogModel::canFetchMore(const QModelIndex &parent) const { return !parent.isValid() && !atEnd_ && page_; }

void LogModel::fetchMore(const QModelIndex &parent) {
  if (!canFetchMore(parent)) return;
  std::vector<Entry> page = readPage();  // a server error leaves the model as it was
  if (page.empty()) return;
  const int first = rowCount();
  beginInsertRows(QModelIndex(), first, first + static_cast<int>(page.size()) - 1);
  for (Entry &e : page) rows_.push_back(std::move(e));
  endInsertRows();
}

QString LogModel::fullText(int row) const {
  if (row < 0 || row >= rowCount()) return QString();
  return rows_[static_cast<size_t>(row)].text;
}

int LogModel::logId(int row) const {
  if (row < 0 || row >= rowCount()) return 0;
  return rows_[static_cast<size_t>(row)].id;
}

int LogModel::rowCount(const QModelIndex &parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int LogModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : 4; }

QVariant LogModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return QVariant();
  if (role != Qt::DisplayRole) return QVariant();
  const Entry &e = rows_[static_cast<size_t>(index.row())];
  switch (index.column()) {
    case ColUser: return e.user;
    case ColText: return e.text.left(kShownTextLength);
    case ColClientDate: return e.clientDate;
    case ColServerDate: return e.serverDate;
    default: return QVariant();
  }
}

QVariant LogModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (role != Qt::DisplayRole || orientation != Qt::Horizontal) return QVariant();
  switch (section) {
    case ColUser: return QStringLiteral("Потребител");
    case ColText: return QStringLiteral("Извършено действие");
    case ColClientDate: return QStringLiteral("Час/Дата на клиента");
    case ColServerDate: return QStringLiteral("Час/Дата на Сървъра");
    default: return QVariant();
  }
}

Qt::ItemFlags LogModel::flags(const QModelIndex &index) const {
  if (!index.isValid()) return Qt::NoItemFlags;
  return Qt::ItemIsEnabled | Qt::ItemIsSelectable;
}

}  // namespace zv

// ---------------------------------------------------------------------- TLogF

TLogF::TLogF(QWidget *parent, TextViewer viewer) : QDialog(parent), viewer_(std::move(viewer)) {
  setObjectName(QStringLiteral("LogF"));
  setWindowTitle(QStringLiteral("История на действията"));
  model_ = new zv::LogModel(DataModule1->Database, DataModule1->Transaction, 250, this);

  DBGrid1 = new QTableView(this);
  DBGrid1->setObjectName(QStringLiteral("DBGrid1"));
  DBGrid1->setModel(model_);
  DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
  DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
  DBGrid1->setWordWrap(false);
  DBGrid1->verticalHeader()->hide();
  DBGrid1->verticalHeader()->setDefaultSectionSize(DBGrid1->fontMetrics().height() + 6);
  DBGrid1->horizontalHeader()->setStretchLastSection(true);
  DBGrid1->setColumnWidth(zv::LogModel::ColUser, 140);
  DBGrid1->setColumnWidth(zv::LogModel::ColText, 420);
  DBGrid1->setColumnWidth(zv::LogModel::ColClientDate, 140);

  auto *layout = new QVBoxLayout(this);
  layout->addWidget(DBGrid1);
  resize(900, 480);

  connect(DBGrid1, &QTableView::doubleClicked, this, &TLogF::DBGrid1DblClick);
  model_->open();
}

void TLogF::DBGrid1DblClick(const QModelIndex &index) {
  if (!index.isValid() || index.column() != zv::LogModel::ColText || !viewer_) return;
  viewer_(this, model_->fullText(index.row()));
}

void TLogF::done(int r) {
  model_->close();
  QDialog::done(r);
}
