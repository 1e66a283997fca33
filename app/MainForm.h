#pragma once
// The clerk's desk: the register list with its tabs, the search panel, the
// toolbar and the menu from which every command is reached.
#include <QAbstractTableModel>
#include <QMainWindow>
#include <functional>

#include "MainColumns.h"

class QAction;
class QLabel;
class QTabBar;
class QTableView;
class QGroupBox;
class QToolBar;
class QToolButton;
class QPushButton;
class QMenu;
class QComboBox;
class QPoint;
class TDataModule1;
class TSearchPanel;

// The register query shown in the grid.
class MainGridModel : public QAbstractTableModel {
  Q_OBJECT
 public:
  using Column = zv::GridColumn;
  explicit MainGridModel(QObject *parent = nullptr);
  static const QList<Column> &columns() { return zv::MainGridColumns(); }
  int rowCount(const QModelIndex &parent = {}) const override;
  int columnCount(const QModelIndex &parent = {}) const override;
  QVariant data(const QModelIndex &index, int role) const override;
  QVariant headerData(int section, Qt::Orientation o, int role) const override;
  void reset();
};

class TMainForm : public QMainWindow {
  Q_OBJECT
 public:
  explicit TMainForm(QWidget *parent = nullptr);
  QMenu *statusMenu() const { return pm_s; }
  ~TMainForm() override;

  // From the login role (Rights.h); 0, which grants nothing, until the start of work.
  int AccessLevel = 0;
  QString SearchFilter;
  QString OrderLine;
  QString RankingOrder;

  // The start of work; run once, when the window is first shown.
  void FormShow();
  bool workStarted() const { return started_; }

  // List modes: runs the rules for a change to newTab; false when the change
  // is refused (the search query failed).
  bool TabSet1Change(int newTab);
  // Commits and reopens the list, back on the same registration number.
  void Refresh();
  // Registration number of the current row, or -1.
  int currentRegNum() const;
  int currentRow() const;
  void setCurrentRow(int row);

  QTabBar *tabs() const { return TabSet1; }
  TSearchPanel *searchPanel() const { return GroupBox3; }
  // Puts SearchFilter into line 1 of the register query and reopens it; the
  // statement goes on the clipboard.
  void RunSearch();
  QTableView *grid() const { return FamilyGrid; }
  QLabel *statusPanel(int i) const { return i == 0 ? panel0_ : panel1_; }

  // Opens the help document; replaceable in tests.
  std::function<bool(const QString &path)> openDocument;
  // Ends the program after logout or a refused user; replaceable in tests.
  std::function<void()> quitApplication;

  // Runs a command; errors not caught by it reach the general error display.
  void guarded(const std::function<void()> &fn);

 public slots:
  void tbRegisterClick();
  void tbModifyClick();
  void tbRefreshClick();
  void tbStatusClick();
  void tbSpravkaClick();
  void mAboutClick();
  void tbExitClick();
  void sbSearchClick();
  void mNomsClick();
  void mOptionsClick();
  void mPassChangeClick();
  void mSlBelClick();
  void mInvalidClick();
  void mLBDNamesClick();
  void loginfClick();
  void hlpbtnClick();
  void FamilyGridDblClick();
  void FamilyGridKeyEnter();
  void FamilyGridCellClick();
  // The status popup of the grid, rebuilt each time it opens.
  void GetSTATUS(const QPoint &pos);
  void BuildStatusMenu();
  // The status of the current row's card, or of every listed card.
  void SetSTATUS(int code);
  void SetALLSTATUS(int itemNumber);
  // Deletes the current row's card with its members.
  void DelClick();

 protected:
  void showEvent(QShowEvent *e) override;
  void closeEvent(QCloseEvent *e) override;
  bool eventFilter(QObject *obj, QEvent *e) override;

 private slots:
  void afterMainQueryOpened(int count);

 private:
  void buildActions();
  void buildLayout();
  void openMainQuery();
  int columnWidthFor(int column, int rows) const;
  void fitColumns();
  void openCurrentCard();
  bool refuseUnless(bool allowed);
  bool onInvalidTab() const;
  // Runs fn, which reopens the register query; a failure that leaves the
  // query closed leaves the grid empty rather than showing rows it no longer
  // has.
  void reopening(const std::function<void()> &fn);

  TSearchPanel *GroupBox3 = nullptr;
  QGroupBox *GroupBox1 = nullptr;
  QTableView *FamilyGrid = nullptr;
  QTabBar *TabSet1 = nullptr;
  QToolBar *ToolBar = nullptr;
  QPushButton *sbSearch = nullptr;
  QComboBox *sGroup = nullptr;
  QComboBox *sStatus = nullptr;
  QMenu *pm_s = nullptr;
  QLabel *panel0_ = nullptr;
  QLabel *panel1_ = nullptr;
  MainGridModel *model_ = nullptr;
  QAction *tbSpravka_ = nullptr;
  int prevTab_ = 0;
  bool inTabChange_ = false;
  bool started_ = false;
  bool fitted_ = false;
};

extern TMainForm *MainForm;

class TNomForm;
class TOptionsForm;
// Long-lived windows, created at start-up (see main.cpp).
extern TNomForm *NomForm;
extern TOptionsForm *OptionsForm;
