#pragma once
// The export of a grid's rows ("Избор на колони за запис"): the user picks
// and orders the columns, edits the title and the footer, chooses the type
// of document and its layout, recalls saved column choices, and writes the
// file.
#include <QDialog>
#include <QListWidget>
#include <functional>

#include "ExportColumns.h"
#include "SaveRepView.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QTableView;
class QToolButton;
class QWidget;
class TDataModule1;

// Opens the export window for the grid (its visible columns, the register
// list behind it), with the title and the footer given. The grid does not
// follow or repaint the list while the window is open. Errors while the
// window is being prepared end the command silently.
void SaveRep(QTableView *grid, const QString &title, const QString &footer);

// The column list: a check list whose entries are moved by dragging one
// onto another (or below the last, to the top), or by Ctrl+Up and Ctrl+Down.
class TColumnList : public QListWidget {
  Q_OBJECT
 public:
  using QListWidget::QListWidget;

 signals:
  // The entry at `from` was dropped on the entry at `dropOn` (-1: below the last).
  void moveRequested(int from, int dropOn);

 protected:
  void mousePressEvent(QMouseEvent *e) override;
  void mouseMoveEvent(QMouseEvent *e) override;
  void mouseReleaseEvent(QMouseEvent *e) override;
  void keyPressEvent(QKeyEvent *e) override;

 private:
  QPoint pressAt_;
  bool pressed_ = false;
  bool dragging_ = false;
};

class TfrmSaveRep : public QDialog {
  Q_OBJECT
 public:
  explicit TfrmSaveRep(QWidget *parent = nullptr);

  // The columns offered, the names of the grid (for the saved views), the
  // rows behind it and the texts of the two memos.
  void setup(const QList<zv::ColumnEntry> &entries, const zv::GridNames &names, TDataModule1 *rows,
             const QString &title, const QString &footer);

  const QList<zv::ColumnEntry> &entries() const { return entries_; }
  QString gridKey() const;
  zv::TSaveRepViewSettings &views() { return views_; }
  // True once a file was written.
  bool exported() const { return exported_; }

  // Opens a written Word or Excel file with the desktop's program for it;
  // replaceable in tests. False when nothing could open it.
  static std::function<bool(const QString &path)> openDocument;

  QToolButton *SelectAll_SB, *DeselectAll_SB, *InvertSel_SB, *Quit_SB;
  QLabel *Label1;
  QComboBox *cbSavedViews;
  QToolButton *NewView_SB, *SaveView_SB, *EraseView_SB;
  QPlainTextEdit *Memo1;
  QTabWidget *pcColList;
  QWidget *tsMasterColList;
  TColumnList *CLB;
  QPlainTextEdit *Footer_M;
  QRadioButton *MSWord_RB, *MSExcel_RB, *rbTextFile;
  QLabel *Delim_L;
  QLineEdit *Delim_ed;
  QLabel *Layout_L;
  QComboBox *Layout_CB;
  QLabel *Font_L;
  QComboBox *Font_CB;
  QPushButton *Save_SB;
  QProgressBar *FillProgress;

 public slots:
  void SelectAll_SBClick();
  void DeselectAll_SBClick();
  void InvertSel_SBClick();
  void Save_SBClick();
  void NewView_SBClick();
  void SaveView_SBClick();
  void EraseView_SBClick();
  // Applies the entry chosen in the saved views list.
  void cbSavedViewsChange(int index);
  void TypeChange();

  // Closes the window unless a file is being written.
  void reject() override;

 private:
  void fillList();
  void fillViews();
  void moveEntry(int from, int dropOn);
  zv::ExportType type() const;
  zv::TSaveRepView *selectedView() const;

  QList<zv::ColumnEntry> entries_;
  zv::GridNames names_;
  TDataModule1 *rows_ = nullptr;
  zv::TSaveRepViewSettings views_;
  QList<zv::TSaveRepView *> listed_;  // behind the entries of cbSavedViews after "Няма"
  bool filling_ = false;
  bool busy_ = false;
  bool exported_ = false;
};
