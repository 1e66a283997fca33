#include "Dataset.h"

#include <algorithm>

namespace zv {

// ------------------------------------------------------------------- Field

QString Field::asString() const {
  if (isNull()) return QString();
  if (v_.metaType().id() == QMetaType::QDateTime) return dateTimeText(fromQDateTime(v_.toDateTime()));
  if (v_.metaType().id() == QMetaType::Double) return QString::number(v_.toDouble(), 'g', 15);
  return v_.toString();
}

int Field::asInteger() const {
  if (isNull()) return 0;
  if (v_.metaType().id() == QMetaType::QString) {
    bool ok = false;
    const int n = v_.toString().trimmed().toInt(&ok);
    if (!ok) throw fb::Error(QStringLiteral("'%1' is not a valid integer value").arg(v_.toString()));
    return n;
  }
  return v_.toInt();
}

double Field::asFloat() const {
  if (isNull()) return 0;
  if (v_.metaType().id() == QMetaType::QDateTime) return fromQDateTime(v_.toDateTime());
  return v_.toDouble();
}

TDate Field::asDateTime() const {
  if (isNull()) return 0;
  if (v_.metaType().id() == QMetaType::QDateTime) return fromQDateTime(v_.toDateTime());
  return v_.toDouble();
}

// ------------------------------------------------------------------- Query

Query::Query(fb::Database &db, fb::Transaction &tr) : db_(db), tr_(tr) {}
Query::~Query() = default;

void Query::open() { open({}); }

void Query::open(const std::vector<QVariant> &params) {
  close();
  fb::Statement s(db_, tr_);
  // Text blobs are read when a row's value is asked for, not for every row.
  s.setLazyBlobs(true);
  s.prepare(SQL.join(QLatin1Char('\n')));
  s.execute(params);
  names_.clear();
  for (int i = 0; i < s.columnCount(); ++i) names_.push_back(s.columnName(i));
  for (auto &l : lookups_) l.keyColumn = columnIndex(l.keyField);
  std::vector<int> probe;
  if (filtered_ && onFilterRecord)
    for (const QString &c : filterColumns) probe.push_back(columnIndex(c));
  if (std::find(probe.begin(), probe.end(), -1) != probe.end()) probe.clear();
  Row tested(names_.size());
  while (s.fetch()) {
    if (!probe.empty()) {
      for (int i : probe) tested[static_cast<size_t>(i)] = s.value(i);
      if (!onFilterRecord(*this, tested)) continue;
    }
    rows_.push_back(s.row());
  }
  partial_ = !probe.empty();
  active_ = true;
  applyFilter();
  cur_ = 0;
  if (afterOpen) afterOpen();
}

void Query::close() {
  rows_.clear();
  rows_.shrink_to_fit();
  visible_.clear();
  visible_.shrink_to_fit();
  names_.clear();
  indexCache_.clear();
  active_ = false;
  partial_ = false;
  cur_ = 0;
}

void Query::execSQL(const std::vector<QVariant> &params) {
  close();
  fb::Statement s(db_, tr_);
  s.prepare(SQL.join(QLatin1Char('\n')));
  s.execute(params);
}

QStringList Query::fieldNames() const {
  QStringList out;
  for (const auto &n : names_) out << n;
  for (const auto &l : lookups_) out << l.name;
  return out;
}

int Query::columnIndex(const QString &name) const {
  for (size_t i = 0; i < names_.size(); ++i)
    if (names_[i].compare(name, Qt::CaseInsensitive) == 0) return static_cast<int>(i);
  return -1;
}

int Query::fieldIndex(const QString &name) const {
  // Grids and reports ask by name for every cell: remember each spelling.
  const auto hit = indexCache_.constFind(name);
  if (hit != indexCache_.cend()) return hit.value();
  int found = columnIndex(name);
  if (found < 0)
    for (size_t i = 0; i < lookups_.size(); ++i)
      if (lookups_[i].name.compare(name, Qt::CaseInsensitive) == 0) {
        found = static_cast<int>(names_.size() + i);
        break;
      }
  if (active_) indexCache_.insert(name, found);
  return found;
}

QVariant Query::value(int row, int field) const {
  if (row < 0 || row >= recordCount() || field < 0) return QVariant();
  const Row &r = rows_[static_cast<size_t>(visible_[static_cast<size_t>(row)])];
  if (field < static_cast<int>(names_.size())) return resolve(r[static_cast<size_t>(field)]);
  const size_t li = static_cast<size_t>(field) - names_.size();
  if (li >= lookups_.size()) return QVariant();
  const Lookup &l = lookups_[li];
  if (l.keyColumn < 0) return QVariant();
  return l.fn(r[static_cast<size_t>(l.keyColumn)]);
}

QVariant Query::resolve(const QVariant &v) const {
  if (v.metaType() == QMetaType::fromType<fb::BlobRef>())
    return fb::readBlobText(db_, tr_, v.value<fb::BlobRef>());
  return v;
}

Field Query::fieldByName(const QString &name) const {
  const int i = fieldIndex(name);
  if (i < 0) throw fb::Error(QStringLiteral("Field '%1' not found").arg(name));
  if (eof()) return Field(name, QVariant());
  return Field(name, value(cur_, i));
}

void Query::addLookup(const QString &name, const QString &keyField, std::function<QVariant(const QVariant &)> fn) {
  lookups_.push_back(Lookup{name, columnIndex(keyField), keyField, std::move(fn)});
}

void Query::setFiltered(bool on) {
  filtered_ = on;
  if (active_ && !on && partial_) {
    open();  // the rows the filter dropped were never kept
    return;
  }
  if (active_) {
    applyFilter();
    cur_ = 0;
  }
}

void Query::applyFilter() {
  visible_.clear();
  visible_.reserve(rows_.size());
  for (size_t i = 0; i < rows_.size(); ++i)
    if (!filtered_ || !onFilterRecord || onFilterRecord(*this, rows_[i])) visible_.push_back(static_cast<int>(i));
}

// ------------------------------------------------------------------- Table

Table::Table(fb::Database &db, fb::Transaction &tr, QString tableName, QString keyField, QString orderBy)
    : db_(db), tr_(tr), table_(std::move(tableName)), key_(std::move(keyField)), order_(std::move(orderBy)) {}

void Table::describe() {
  if (!names_.isEmpty()) return;
  fb::Statement s(db_, tr_);
  s.prepare(QStringLiteral("select * from %1 where 1=0").arg(table_));
  for (int i = 0; i < s.columnCount(); ++i) names_ << s.columnName(i);
}

int Table::fieldIndex(const QString &name) const {
  const auto hit = indexCache_.constFind(name);
  if (hit != indexCache_.cend()) return hit.value();
  int found = -1;
  for (int i = 0; i < names_.size(); ++i)
    if (names_[i].compare(name, Qt::CaseInsensitive) == 0) {
      found = i;
      break;
    }
  if (!names_.isEmpty()) indexCache_.insert(name, found);
  return found;
}

void Table::readRows(fb::Statement &s) {
  rows_.clear();
  while (s.fetch()) rows_.push_back(s.row());
  cur_ = 0;
}

void Table::open() {
  describe();
  fb::Statement s(db_, tr_);
  QString sql = QStringLiteral("select * from %1").arg(table_);
  if (!order_.isEmpty()) sql += QStringLiteral(" order by ") + order_;
  s.prepare(sql);
  s.execute();
  readRows(s);
  active_ = true;
  state_ = State::Browse;
}

void Table::close() {
  rows_.clear();
  active_ = false;
  state_ = State::Browse;
}

bool Table::locate(const QString &field, const QVariant &value) {
  describe();
  const int fi = fieldIndex(field);
  if (fi < 0) throw fb::Error(QStringLiteral("Field '%1' not found").arg(field));
  state_ = State::Browse;
  if (active_) {
    for (size_t i = 0; i < rows_.size(); ++i) {
      const QVariant &v = rows_[i][static_cast<size_t>(fi)];
      if (v.isValid() && !v.isNull() && v.toString() == value.toString()) {
        cur_ = static_cast<int>(i);
        return true;
      }
    }
    cur_ = static_cast<int>(rows_.size());
    return false;
  }
  // Not opened whole: fetch the row from the server by the field.
  fb::Statement s(db_, tr_);
  QString sql = QStringLiteral("select * from %1 where %2 = ?").arg(table_, names_[fi]);
  if (!order_.isEmpty()) sql += QStringLiteral(" order by ") + order_;
  s.prepare(sql);
  s.execute({value});
  rows_.clear();
  if (s.fetch()) rows_.push_back(s.row());
  s.closeCursor();
  cur_ = 0;
  return !rows_.empty();
}

void Table::edit() {
  describe();
  if (eof()) throw fb::Error(QStringLiteral("%1: no current record to edit").arg(table_));
  buffer_ = rows_[static_cast<size_t>(cur_)];
  changed_.assign(static_cast<size_t>(names_.size()), false);
  state_ = State::Edit;
}

void Table::insert() {
  describe();
  buffer_.assign(static_cast<size_t>(names_.size()), QVariant());
  changed_.assign(static_cast<size_t>(names_.size()), false);
  state_ = State::Insert;
}

void Table::setField(const QString &name, const QVariant &value) {
  if (state_ == State::Browse) throw fb::Error(QStringLiteral("%1: not in edit or insert mode").arg(table_));
  const int i = fieldIndex(name);
  if (i < 0) throw fb::Error(QStringLiteral("Field '%1' not found").arg(name));
  buffer_[static_cast<size_t>(i)] = value;
  changed_[static_cast<size_t>(i)] = true;
}

Field Table::fieldByName(const QString &name) const {
  const int i = fieldIndex(name);
  if (i < 0) throw fb::Error(QStringLiteral("Field '%1' not found").arg(name));
  if (state_ != State::Browse) return Field(name, buffer_[static_cast<size_t>(i)]);
  if (eof()) return Field(name, QVariant());
  return Field(name, rows_[static_cast<size_t>(cur_)][static_cast<size_t>(i)]);
}

void Table::post() {
  if (state_ == State::Browse) return;
  std::vector<QVariant> params;
  QStringList cols;
  for (int i = 0; i < names_.size(); ++i)
    if (changed_[static_cast<size_t>(i)]) {
      cols << names_[i];
      params.push_back(buffer_[static_cast<size_t>(i)]);
    }
  if (state_ == State::Insert) {
    if (!cols.isEmpty()) {
      QStringList marks;
      for (int i = 0; i < cols.size(); ++i) marks << QStringLiteral("?");
      fb::execute(db_, tr_,
                  QStringLiteral("insert into %1 (%2) values (%3)").arg(table_, cols.join(','), marks.join(',')),
                  params);
    }
    rows_.push_back(buffer_);
    cur_ = static_cast<int>(rows_.size()) - 1;
  } else {
    if (!cols.isEmpty()) {
      if (key_.isEmpty()) throw fb::Error(QStringLiteral("%1 has no key to update by").arg(table_));
      const int k = fieldIndex(key_);
      QStringList sets;
      for (const QString &c : cols) sets << c + QStringLiteral(" = ?");
      params.push_back(rows_[static_cast<size_t>(cur_)][static_cast<size_t>(k)]);
      fb::execute(db_, tr_, QStringLiteral("update %1 set %2 where %3 = ?").arg(table_, sets.join(", "), key_),
                  params);
    }
    rows_[static_cast<size_t>(cur_)] = buffer_;
  }
  state_ = State::Browse;
}

void Table::cancel() { state_ = State::Browse; }

void Table::deleteCurrent() {
  if (eof()) return;
  if (key_.isEmpty()) throw fb::Error(QStringLiteral("%1 has no key to delete by").arg(table_));
  const int k = fieldIndex(key_);
  fb::execute(db_, tr_, QStringLiteral("delete from %1 where %2 = ?").arg(table_, key_),
              {rows_[static_cast<size_t>(cur_)][static_cast<size_t>(k)]});
  rows_.erase(rows_.begin() + cur_);
  state_ = State::Browse;
}

}  // namespace zv
