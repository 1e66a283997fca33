#pragma once
// The code lists of NOM: the text of code N of every list stands in the row
// whose N is N. Every list control of the program is filled through
// FillNomList, every lookup goes through NomTextOf and NomCodeOf, all over the
// data module's table object Nom.
#include <QAbstractTableModel>
#include <QList>
#include <QString>
#include <vector>

#include "Dataset.h"

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

