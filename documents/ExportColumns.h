#pragma once
// The column list of an export: one entry per offered column of a grid, with
// its caption, the field it reads and a tick; the operations of the export
// window on that list; and the rows of the register list as an export reads
// them.
#include <QList>
#include <QString>
#include <QStringList>
#include <vector>

#include "ExportWriter.h"

class TDataModule1;

namespace zv {

// Header roles a grid model answers for the export: the name of the field
// each column shows (QString), and the column's own background colour
// (QColor; none when the column has the grid's colour).
constexpr int kGridFieldRole = 0x0100 + 100;       // Qt::UserRole + 100
constexpr int kGridColumnColorRole = 0x0100 + 101; // Qt::UserRole + 101

struct ColumnEntry {
  QString caption;
  QString field;
  bool ticked = true;
  bool alignRight = false;  // the field holds floating-point numbers
  bool operator==(const ColumnEntry &) const = default;
};

void TickAll(QList<ColumnEntry> &entries);
void TickNone(QList<ColumnEntry> &entries);
void InvertTicks(QList<ColumnEntry> &entries);

// Drag and drop: the entry at `from` is taken out and put in again at
// `dropOn`, the index of the entry under the drop point as it was before the
// removal (the index is then counted in the shortened list); -1, a drop below
// the last entry, puts it at the top. Returns the entry's new index.
int MoveEntry(QList<ColumnEntry> &entries, int from, int dropOn);

// The ticked entries in list order, as the writers take them.
QList<ExportColumn> ChosenColumns(const QList<ColumnEntry> &entries);
QStringList ChosenFields(const QList<ColumnEntry> &entries);

// The entries offered for the register list after login: its visible
// columns in order, all ticked but the number column "  №".
QList<ColumnEntry> MainListEntries(const TDataModule1 &dm);

// Ticks exactly the given captions, in the given order, ahead of the
// others, which are left unticked. False, with the unknown or repeated
// caption in *bad, when a caption is not offered or comes twice.
bool ChooseByCaptions(QList<ColumnEntry> &entries, const QStringList &captions, QString *bad);

// True when the field of the register list holds floating-point numbers
// (judged by its first stored value; false when it has none).
bool IsFloatField(const TDataModule1 &dm, const QString &field);

// The rows of the register list as the grid shows them: the "  №" column as
// the running row number, dates as dd.mm.yyyy (with the time when one is
// stored), lookup columns as their texts, empty for an empty value; texts
// without the blanks that pad their columns.
class ListRows : public ExportRows {
 public:
  ListRows(const TDataModule1 &dm, QStringList fields);
  int count() const override;
  void cells(int row, QStringList &out) const override;

 private:
  const TDataModule1 &dm_;
  QStringList fields_;
  static constexpr int kRowNumber = -2;
  std::vector<int> index_;  // field index in the register query; kRowNumber; -1 for no such field
};

}  // namespace zv
