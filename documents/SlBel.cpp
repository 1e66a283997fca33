#include "SlBel.h"

#include <QAbstractItemModel>
#include <QPrintDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QTableView>

#include "Certificate.h"
#include "DataModule.h"

QPrinter &SystemPrinter() {
  // A4 until the clerk picks another paper in the print dialog; that choice
  // then stays for the rest of the run.
  static QPrinter printer(QPrinter::HighResolution);
  static const bool onA4 = (zv::SetCertificatePageLayout(printer), true);
  Q_UNUSED(onA4);
  return printer;
}

namespace {

// Puts the register list back on its own filter and on the card, and lets
// the grid follow it again.
class ListRestore {
 public:
  ListRestore(QTableView *grid, TDataModule1 &dm, int regNum)
      : grid_(grid), dm_(dm), regNum_(regNum), filter_(dm.MainQuery.SQL.value(1)),
        recordFilter_(dm.MainQuery.filtered()) {}
  // After a command that ended normally: an error here is the clerk's to see.
  void now() {
    done_ = true;
    grid_->setUpdatesEnabled(true);
    restore();
  }
  ~ListRestore() {
    if (done_) return;
    try {
      restore();
    } catch (...) {
      // the error that ended the command is the one the clerk sees
    }
    grid_->setUpdatesEnabled(true);
  }
  ListRestore(const ListRestore &) = delete;
  ListRestore &operator=(const ListRestore &) = delete;

 private:
  bool done_ = false;
  void restore() {
    zv::Query &q = dm_.MainQuery;
    q.close();
    while (q.SQL.size() < 2) q.SQL << QString();
    q.SQL[1] = filter_;
    q.setFiltered(recordFilter_);
    q.open();
    int row = 0;
    for (int r = 0; r < q.recordCount(); ++r)
      if (q.value(r, QStringLiteral("REG_NUM")).toInt() == regNum_) {
        row = r;
        break;
      }
    QAbstractItemModel *model = grid_->model();
    if (!model || row >= model->rowCount()) return;
    QScrollBar *h = grid_->horizontalScrollBar();
    const int across = h->value();
    const int column = grid_->currentIndex().isValid() ? grid_->currentIndex().column() : 1;
    grid_->setCurrentIndex(model->index(row, std::min(column, model->columnCount() - 1)));
    h->setValue(across);
    q.setRecNo(row);
  }

  QTableView *grid_;
  TDataModule1 &dm_;
  int regNum_;
  QString filter_;
  bool recordFilter_;  // the invalid-number list's filter of rows
};

}  // namespace

void PrintCertificate(QTableView *grid) {
  if (!grid || !DataModule1) return;
  TDataModule1 &dm = *DataModule1;
  zv::Query &q = dm.MainQuery;
  // 1. The card of the current row (0 on an empty list, which narrows the
  //    list to nothing and prints the page header alone).
  int row = grid->currentIndex().isValid() ? grid->currentIndex().row() : 0;
  if (row >= q.recordCount()) row = q.recordCount() - 1;
  const int regNum = row >= 0 ? zv::Field(QString(), q.value(row, QStringLiteral("REG_NUM"))).asInteger() : 0;

  // 2.-3. The list, detached from the grid, narrowed to the card's holder
  //    rows: a paper states the holder, whichever member was selected.
  grid->setUpdatesEnabled(false);
  ListRestore restore(grid, dm, regNum);
  q.close();
  while (q.SQL.size() < 2) q.SQL << QString();
  q.SQL[1] = zv::CardHoldersFilter(regNum);
  q.setFiltered(false);
  q.open();

  // 4. The printer, then the certificates straight to it.
  QPrinter &printer = SystemPrinter();
  QPrintDialog dialog(&printer, grid->window());
  dialog.setObjectName(QStringLiteral("PrintDialog"));
  if (dialog.exec() == QDialog::Accepted) {
    const QString heading = zv::CertificateHeading(dm);
    // The paper chosen in the dialog; the certificate's own orientation and
    // margins on it.
    zv::SetCertificatePageLayout(printer, printer.pageLayout().pageSize());
    if (zv::PaintCertificates(printer, zv::CertificateRows(dm), heading, zv::today()) < 0)
      throw fb::Error(QStringLiteral("Служебната бележка не може да бъде отпечатана: принтерът не приема печат."));
  }
  // 5. Back on the filter and the card.
  restore.now();
}
