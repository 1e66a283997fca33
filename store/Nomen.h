#pragma once
// The code lists of NOM: the text of code N of every list stands in the row
// whose N is N. Every list control of the program is filled through
// FillNomList, every lookup goes through NomTextOf and NomCodeOf, all over the
// data module's table object Nom.
#include <QAbstractTableModel>
#include <QDialog>
#include <QList>
#include <QString>
#include <vector>

#include "Dataset.h"

class QComboBox;
class QPushButton;
class QTableView;

namespace zv {

// The answer of NomTextOf for a missing row or a NULL column.
inline const QString kNomNone = QStringLiteral("false");

// The text of code n in the list column (column name in any letter case):
// the column of the row whose N is n, as stored (CHAR columns padded with
// blanks to their width); "false" when the row is missing or the column is
// NULL. Leaves Nom positioned on that row.
QString NomTextOf(const QString &column, int n);

// The code of a text: the highest N whose column equals text exactly (same
// characters, same trailing blanks); -1 when no row matches.
int NomCodeOf(const QString &column, const QString &text);

// One entry of an offered list: the text and its code.
struct NomEntry {
  QString text;
  int n = 0;
  bool operator==(const NomEntry &) const = default;
};

// The list as offered to the user: for N = 0 to 9 in turn, NomTextOf(column,
// N) unless it is "false". Position and code agree only while the list has no
// gap before the entry.
QList<NomEntry> NomEntries(const QString &column);

// Empties box and fills it with NomEntries(column); each item carries its code
// as item data. The box is left without a choice (current index -1).
void FillNomList(QComboBox *box, const QString &column);

// The grid of the nomenclature window: N and the seven lists over the rows of
// Nom, read-only.
class NomGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using QAbstractTableModel::QAbstractTableModel;
  // Column names of NOM in grid order, and their titles.
  static const QStringList &columnNames();
  static const QStringList &columnTitles();

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;

  // Re-reads the rows of Nom.
  void reload();
  // Deletes the row through Nom (the shared transaction).
  void deleteRow(int row);

 private:
  std::vector<Row> rows_;  // the grid's columns of every row, in order of N
};

}  // namespace zv

// "Номенклатури": pages through the seven lists one at a time. Created once
// and shown modally; every opening starts again at "Група".
class TNomForm : public QDialog {
  Q_OBJECT
 public:
  explicit TNomForm(QWidget *parent = nullptr);

  QTableView *NomGrid;
  QPushButton *bPrev;
  QPushButton *bNext;
  QPushButton *bExit;

  // The list shown, 1 (GROUP1) to 7 (KARTFOR).
  int currentList() const { return current_; }

 public slots:
  void FormShow();
  void bPrevClick();
  void bNextClick();
  // Ctrl+Delete in the grid: deletes the current row after a confirmation.
  void NomGridDeleteRow();

 protected:
  void showEvent(QShowEvent *e) override;
  bool eventFilter(QObject *watched, QEvent *event) override;

 private:
  zv::NomGridModel *model_;
  int current_ = 1;
  void showOnly(int list);
};
