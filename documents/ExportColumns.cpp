#include "ExportColumns.h"

#include "DataModule.h"
#include "MainColumns.h"
#include "egn.h"

#include <algorithm>

namespace zv {

void TickAll(QList<ColumnEntry> &entries) {
  for (ColumnEntry &e : entries) e.ticked = true;
}
void TickNone(QList<ColumnEntry> &entries) {
  for (ColumnEntry &e : entries) e.ticked = false;
}
void InvertTicks(QList<ColumnEntry> &entries) {
  for (ColumnEntry &e : entries) e.ticked = !e.ticked;
}

int MoveEntry(QList<ColumnEntry> &entries, int from, int dropOn) {
  if (from < 0 || from >= entries.size()) return from;
  const ColumnEntry moved = entries.takeAt(from);
  int at = dropOn < 0 ? 0 : dropOn;
  if (at > entries.size()) at = static_cast<int>(entries.size());
  entries.insert(at, moved);
  return at;
}

QList<ExportColumn> ChosenColumns(const QList<ColumnEntry> &entries) {
  QList<ExportColumn> out;
  for (const ColumnEntry &e : entries)
    if (e.ticked) out << ExportColumn{e.caption, e.alignRight};
  return out;
}

QStringList ChosenFields(const QList<ColumnEntry> &entries) {
  QStringList out;
  for (const ColumnEntry &e : entries)
    if (e.ticked) out << e.field;
  return out;
}

bool IsFloatField(const TDataModule1 &dm, const QString &field) {
  const Query &q = dm.MainQuery;
  const int fi = q.fieldIndex(field);
  if (fi < 0) return false;
  for (int r = 0; r < q.recordCount(); ++r) {
    const QVariant v = q.value(r, fi);
    if (v.isValid() && !v.isNull()) return v.metaType().id() == QMetaType::Double;
  }
  return false;
}

QList<ColumnEntry> MainListEntries(const TDataModule1 &dm) {
  QList<ColumnEntry> out;
  for (const GridColumn &c : MainGridColumns())
    if (c.visibleAfterLogin)
      out << ColumnEntry{c.title, c.field, c.field != QLatin1String("CARD_ID"), IsFloatField(dm, c.field)};
  return out;
}

bool ChooseByCaptions(QList<ColumnEntry> &entries, const QStringList &captions, QString *bad) {
  QList<ColumnEntry> chosen;
  QList<ColumnEntry> rest = entries;
  for (const QString &caption : captions) {
    const auto it = std::find_if(rest.begin(), rest.end(), [&](const ColumnEntry &e) { return e.caption == caption; });
    if (it == rest.end()) {
      if (bad) *bad = caption;
      return false;
    }
    ColumnEntry e = *it;
    e.ticked = true;
    chosen << e;
    rest.erase(it);
  }
  for (ColumnEntry &e : rest) e.ticked = false;
  entries = chosen + rest;
  return true;
}

ListRows::ListRows(const TDataModule1 &dm, QStringList fields) : dm_(dm), fields_(std::move(fields)) {
  for (const QString &f : fields_)
    index_.push_back(f.compare(QLatin1String("CARD_ID"), Qt::CaseInsensitive) == 0 ? kRowNumber
                                                                                     : dm_.MainQuery.fieldIndex(f));
}

int ListRows::count() const { return dm_.MainQuery.active() ? dm_.MainQuery.recordCount() : 0; }

void ListRows::cells(int row, QStringList &out) const {
  out.resize(static_cast<qsizetype>(index_.size()));
  for (size_t c = 0; c < index_.size(); ++c) {
    const int fi = index_[c];
    // Without the blanks that pad a fixed-width column, so that a sort or a
    // filter in the spreadsheet sees "Иван" once; leading blanks stay.
    out[static_cast<qsizetype>(c)] =
        fi == kRowNumber ? QString::number(row + 1) : TrimRight(Field(QString(), dm_.MainQuery.value(row, fi)).asString());
  }
}

}  // namespace zv
