#pragma once
// The history window "История на действията": INF_LOG in order of LOG_ID.
// A register collects history rows for years, so the grid reads them a page
// at a time as it scrolls instead of loading the whole table first.
#include <QAbstractTableModel>
#include <QDialog>
#include <functional>
#include <memory>
#include <vector>

#include "Fb.h"

class QTableView;

namespace zv {

// INF_LOG for the grid: U_NAME, T_TEXT, C_DATE, S_DATE. Rows are read in
// pages ("where LOG_ID > last id", in order of LOG_ID); the view asks for the
// next page when it scrolls near the end.
class LogModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  enum Column { ColUser = 0, ColText = 1, ColClientDate = 2, ColServerDate = 3 };
  // How much of a message the grid shows.
  static constexpr int kShownTextLength = 150;

  LogModel(fb::Database &db, fb::Transaction &tr, int pageSize = 250, QObject *parent = nullptr);
  ~LogModel() override;

  // Reads the first page. Server errors reach the caller.
  void open();
  // Forgets the rows read so far.
  void close();
  // The whole message of a row read so far.
  QString fullText(int row) const;
  int logId(int row) const;

  int rowCount(const QModelIndex &parent = QModelIndex()) const override;
  int columnCount(const QModelIndex &parent = QModelIndex()) const override;
  QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex &index) const override;
  bool canFetchMore(const QModelIndex &parent) const override;
  void fetchMore(const QModelIndex &parent) override;

 private:
  struct Entry {
    int id = 0;
    QString user;
    QString text;
    QString clientDate;
    QString serverDate;
  };
  fb::Database &db_;
  fb::Transaction &tr_;
  int pageSize_;
  std::unique_ptr<fb::Statement> page_;  // prepared once, run per page
  std::vector<Entry> rows_;
  bool atEnd_ = true;
  std::vector<Entry> readPage();
};

}  // namespace zv

// Created for one opening and destroyed after it. The whole text of an entry
// is shown by the viewer handed in (the notes text window of the cards).
class TLogF : public QDialog {
  Q_OBJECT
 public:
  using TextViewer = std::function<void(QWidget *owner, const QString &text)>;

  // Opens the history of the data module's connection.
  explicit TLogF(QWidget *parent = nullptr, TextViewer viewer = {});

  QTableView *DBGrid1;
  zv::LogModel *model() const { return model_; }

 public slots:
  // A double click on the message column shows the row's whole message.
  void DBGrid1DblClick(const QModelIndex &index);

 protected:
  void done(int r) override;

 private:
  zv::LogModel *model_;
  TextViewer viewer_;
};
