#include "Nomen.h"

#include <algorithm>


#include "DataModule.h"

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
