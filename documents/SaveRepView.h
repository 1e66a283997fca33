#pragma once
// Saved export views: a named column choice (which columns are ticked, in
// which order) kept per grid and per user in an INI file. Every read and
// write of that file swallows its errors: a file that cannot be read gives no
// views, a view that cannot be written stays in memory.
#include <QList>
#include <QString>
#include <memory>
#include <utility>
#include <vector>

#include "ExportColumns.h"

namespace zv {

// A caption with its tick.
using ViewColumn = std::pair<QString, bool>;

class TSaveRepView {
 public:
  QString GridName;
  QString DetailName = QStringLiteral("NONAME");
  QString GridParentName;
  QString ViewName;
  QString FormName;
  QString User;
  QString Key;
  QList<ViewColumn> Columns;
  QList<ViewColumn> DetailColumns;
  int Number = -1;
  // The section the view was read from or written to.
  QString Section;

  bool HasDetail() const { return !DetailColumns.isEmpty(); }
};

// What names a grid: the window that owns it, the component that holds it,
// the grid itself and its detail list.
struct GridNames {
  QString form;
  QString parent;
  QString grid;
  QString detail = QStringLiteral("NONAME");
};

// Drops blank ! " # ' * + , - . / : ; ? \ and _, turns a-z and the Cyrillic
// а-я into capitals and keeps everything else.
QString CleanViewName(const QString &name);
// "QRNView_%s_%s_%s_%s_%s_%d_%d": the cleaned form, parent, grid and detail
// names, the user name as it is, the number of column entries and of detail
// entries.
QString GridViewKey(const GridNames &names, const QString &user, int columns, int detailColumns = 0);

// zv_views.ini in the folder of the settings file.
QString ViewsFilePath();

class TSaveRepViewSettings {
 public:
  static inline const QString kMainSection = QStringLiteral("QRNViewMain");

  // Reads the counter and every view of the file.
  void Load(const QString &iniFile, const QString &userName);
  bool ready() const { return !iniFile_.isEmpty(); }
  QString iniFile() const { return iniFile_; }
  QString userName() const { return user_; }
  int counter() const { return counter_; }
  const std::vector<std::unique_ptr<TSaveRepView>> &views() const { return views_; }

  // The views of the grid key and of the current user, in the order of the
  // file's sections.
  QList<TSaveRepView *> ViewsFor(const QString &gridKey) const;

  // A new view of the current user with the next number; its section and
  // the counter are written.
  TSaveRepView *Create(const GridNames &names, const QString &gridKey, const QString &viewName,
                       const QList<ColumnEntry> &entries);
  // The view takes the current column list; its section is written again.
  void Save(TSaveRepView &view, const QList<ColumnEntry> &entries);
  // Removes the view's section and the view.
  void Erase(TSaveRepView *view);

  // Applies a view to the column list: only when the stored count equals the
  // number of entries; then every entry whose caption is stored (in any
  // letter case) takes the stored tick. The order is not changed.
  static void Apply(const TSaveRepView &view, QList<ColumnEntry> &entries);

 private:
  QString iniFile_;
  QString user_;
  int counter_ = 0;
  std::vector<std::unique_ptr<TSaveRepView>> views_;
  void write(const TSaveRepView &view);
};

}  // namespace zv
