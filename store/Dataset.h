#pragma once
// Datasets of the data module: queries whose SQL is a list of text lines, and
// table objects that edit one row of one table at a time.
#include <QHash>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <map>
#include <memory>
#include <vector>

#include "Fb.h"
#include "ZvDate.h"

namespace zv {

// One value of the current row, with the conversions the windows use.
class Field {
 public:
  Field() = default;
  Field(QString name, QVariant v) : name_(std::move(name)), v_(std::move(v)) {}
  bool isNull() const { return v_.isNull() || !v_.isValid(); }
  QVariant value() const { return v_; }
  QString asString() const;  // dates as dd.mm.yyyy[ hh:mm:ss]; NULL as ""
  int asInteger() const;     // NULL as 0
  double asFloat() const;    // NULL as 0
  TDate asDateTime() const;  // NULL as 0
  QString name() const { return name_; }

 private:
  QString name_;
  QVariant v_;
};

using Row = std::vector<QVariant>;

// A select (or any statement) built as text lines joined by line breaks.
// open() runs it and fetches every row, so that the row count is exact.
class Query {
 public:
  Query(fb::Database &db, fb::Transaction &tr);
  ~Query();

  QStringList SQL;

  void open();
  void close();
  bool active() const { return active_; }
  // Runs a statement that returns no rows.
  void execSQL(const std::vector<QVariant> &params = {});
  void open(const std::vector<QVariant> &params);

  int recordCount() const { return static_cast<int>(visible_.size()); }
  bool isEmpty() const { return visible_.empty(); }
  bool eof() const { return cur_ >= recordCount(); }
  void first() { cur_ = 0; }
  void next() {
    if (cur_ < recordCount()) ++cur_;
  }
  void prior() {
    if (cur_ > 0) --cur_;
  }
  void last() { cur_ = recordCount() > 0 ? recordCount() - 1 : 0; }
  int recNo() const { return cur_; }  // 0-based position in the listed rows
  void setRecNo(int r) { cur_ = r; }

  int fieldCount() const { return static_cast<int>(names_.size()) + static_cast<int>(lookups_.size()); }
  QStringList fieldNames() const;
  int fieldIndex(const QString &name) const;  // case-blind; lookups after the columns; -1 if absent
  Field fieldByName(const QString &name) const;  // of the current row
  QVariant value(int row, int field) const;     // of a listed row
  QVariant value(int row, const QString &name) const { return value(row, fieldIndex(name)); }

  // Display fields computed from another field of the row.
  void addLookup(const QString &name, const QString &keyField, std::function<QVariant(const QVariant &)> fn);

  // The record filter: when filtered, only rows for which it answers true are listed.
  std::function<bool(const Query &, const Row &)> onFilterRecord;
  // The columns the record filter reads. When set, and the filter is on as
  // the query opens, each fetched row is first tested on these columns alone
  // (the others are left invalid) and only the rows that pass are read whole
  // and kept: a filter that keeps few of many rows then costs little time and
  // memory. Switching the filter off afterwards reopens the query, so that
  // every row is listed again.
  QStringList filterColumns;
  void setFiltered(bool on);
  bool filtered() const { return filtered_; }
  // Index of a field among the stored columns, for filter callbacks. A text
  // blob in a raw row is an fb::BlobRef; value() reads it.
  int columnIndex(const QString &name) const;

  // Called after every open.
  std::function<void()> afterOpen;

 private:
  struct Lookup {
    QString name;
    int keyColumn;
    QString keyField;
    std::function<QVariant(const QVariant &)> fn;
  };
  fb::Database &db_;
  fb::Transaction &tr_;
  std::vector<QString> names_;
  std::vector<Row> rows_;
  std::vector<int> visible_;
  std::vector<Lookup> lookups_;
  mutable QHash<QString, int> indexCache_;
  bool active_ = false;
  bool filtered_ = false;
  bool partial_ = false;  // opened with filterColumns: rows the filter dropped were not kept
  int cur_ = 0;
  void applyFilter();
  QVariant resolve(const QVariant &v) const;
};

// A table object: locate a row, edit or insert it, set fields, post.
// Small tables (NOM) may be opened whole; large ones are located by key.
class Table {
 public:
  // keyField: the column that identifies a row; empty for a table without a
  // key, whose rows are then told apart by the server's record key.
  Table(fb::Database &db, fb::Transaction &tr, QString tableName, QString keyField, QString orderBy = QString());

  QString tableName() const { return table_; }
  void open();  // loads every row in order
  void close();
  bool active() const { return active_; }
  int recordCount() const { return static_cast<int>(rows_.size()); }
  const std::vector<Row> &rows() const { return rows_; }
  QStringList fieldNames() const { return names_; }
  int fieldIndex(const QString &name) const;

  // Makes the first row whose field equals value current; false when none.
  bool locate(const QString &field, const QVariant &value);
  void first() { cur_ = 0; }
  void next() { ++cur_; }
  bool eof() const { return cur_ >= static_cast<int>(rows_.size()); }
  int recNo() const { return cur_; }

  void edit();
  void insert();
  void setField(const QString &name, const QVariant &value);
  Field fieldByName(const QString &name) const;
  void post();
  void cancel();
  void deleteCurrent();
  bool editing() const { return state_ != State::Browse; }

 private:
  enum class State { Browse, Edit, Insert };
  fb::Database &db_;
  fb::Transaction &tr_;
  QString table_, key_, order_;
  QStringList names_;
  std::vector<Row> rows_;
  mutable QHash<QString, int> indexCache_;
  int cur_ = 0;
  bool active_ = false;
  State state_ = State::Browse;
  Row buffer_;
  std::vector<bool> changed_;
  void describe();
  QString selectList() const;
  void readRows(fb::Statement &s);
};

}  // namespace zv
