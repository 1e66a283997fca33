#include "MainForm.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QMenu>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QClipboard>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScrollBar>
#include <QShortcut>
#include <QStatusBar>
#include <QStyle>
#include <QTabBar>
#include <QTableView>
#include <QToolBar>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "AboutForm.h"
#include "CardDelete.h"
#include "CardRules.h"
#include "CardStatus.h"
#include "DataModule.h"
#include "ExportColumns.h"
#include "SaveRep_u.h"
#include "SlBel.h"
#include "Dialogs.h"
#include "EGNRepair.h"
#include "History.h"
#include "IniFile.h"
#include "InvalidEgn.h"
#include "LogForm.h"
#include "LBDNames.h"
#include "LoginCall.h"
#include "NomForm.h"
#include "Options.h"
#include "RankingCommand.h"
#include "RegisterUpgrade.h"
#include "SearchPanel.h"
#include "Status.h"
#include "ViewKarton.h"
#include "egn.h"
#include "frmMemo.h"
#include "Refusal.h"
#include "Rights.h"
#include "Session.h"
#include "SqlText.h"

TMainForm *MainForm = nullptr;
TNomForm *NomForm = nullptr;
TOptionsForm *OptionsForm = nullptr;

namespace {
const QString kSearchCaption = QStringLiteral("Търсене");
const QString kRankingCaption = QStringLiteral("Класиране");
const QString kInvalidCaption = QStringLiteral("Невалидни ЕГН-та");
const QString kErrorCaption = QStringLiteral("Грешка");
}  // namespace

// ------------------------------------------------------------ grid model

MainGridModel::MainGridModel(QObject *parent) : QAbstractTableModel(parent) {}

int MainGridModel::rowCount(const QModelIndex &parent) const {
  if (parent.isValid() || !DataModule1 || !DataModule1->MainQuery.active()) return 0;
  return DataModule1->MainQuery.recordCount();
}

int MainGridModel::columnCount(const QModelIndex &parent) const { return parent.isValid() ? 0 : columns().size(); }

QVariant MainGridModel::data(const QModelIndex &index, int role) const {
  if (!index.isValid() || !DataModule1) return QVariant();
  if (role == Qt::DisplayRole) return DataModule1->displayText(index.row(), columns()[index.column()].field);
  return QVariant();
}

QVariant MainGridModel::headerData(int section, Qt::Orientation o, int role) const {
  if (o == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < columns().size())
    return columns()[section].title;
  // The export reads each column's field; the number column is told apart
  // from the data columns by a colour of its own.
  if (o == Qt::Horizontal && role == zv::kGridFieldRole && section >= 0 && section < columns().size())
    return columns()[section].field;
  if (o == Qt::Horizontal && role == zv::kGridColumnColorRole && section == 0) return QColor(Qt::lightGray);
  return QVariant();
}

void MainGridModel::reset() {
  beginResetModel();
  endResetModel();
}

// ------------------------------------------------------------ window

TMainForm::TMainForm(QWidget *parent) : QMainWindow(parent) {
  if (!MainForm) MainForm = this;
  setObjectName(QStringLiteral("MainForm"));
  setWindowTitle(QStringLiteral("Куорин Зелво"));
  setMinimumSize(760, 379);
  resize(1100, 680);
  openDocument = [](const QString &path) { return QDesktopServices::openUrl(QUrl::fromLocalFile(path)); };
  quitApplication = [this] {
    close();
    // The start of work runs while the window is first shown, before the
    // event loop; a quit queued now takes effect as soon as the loop runs.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
  };
  buildLayout();
  buildActions();
}

TMainForm::~TMainForm() {
  if (MainForm == this) MainForm = nullptr;
}

void TMainForm::buildLayout() {
  auto *central = new QWidget(this);
  auto *v = new QVBoxLayout(central);

  GroupBox3 = new TSearchPanel(central);
  sbSearch = GroupBox3->sbSearch;
  sGroup = GroupBox3->sGroup;
  sStatus = GroupBox3->sStatus;
  connect(GroupBox3, &TSearchPanel::searchRequested, this, &TMainForm::sbSearchClick);
  v->addWidget(GroupBox3);

  GroupBox1 = new QGroupBox(QStringLiteral("Списък на картотеката"), central);
  GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
  auto *gl = new QVBoxLayout(GroupBox1);
  FamilyGrid = new QTableView(GroupBox1);
  FamilyGrid->setObjectName(QStringLiteral("FamilyGrid"));
  model_ = new MainGridModel(this);
  FamilyGrid->setModel(model_);
  FamilyGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
  FamilyGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
  FamilyGrid->setSelectionMode(QAbstractItemView::SingleSelection);
  FamilyGrid->verticalHeader()->setVisible(false);
  FamilyGrid->verticalHeader()->setDefaultSectionSize(20);
  FamilyGrid->installEventFilter(this);
  // Headings may take two lines; the widths are fitted to headings and
  // contents when the list first opens, and the clerk may drag them after.
  QHeaderView *header = FamilyGrid->horizontalHeader();
  header->setDefaultAlignment(Qt::Alignment(Qt::AlignCenter | Qt::TextWordWrap));
  header->setMinimumHeight(2 * header->fontMetrics().lineSpacing() + 10);
  fitColumns();
  // A double click anywhere on the list opens the current card, also on an
  // empty list, where it still refreshes (commits).
  FamilyGrid->viewport()->installEventFilter(this);
  connect(FamilyGrid, &QTableView::clicked, this, [this] { FamilyGridCellClick(); });
  pm_s = new QMenu(this);
  pm_s->setObjectName(QStringLiteral("pm_s"));
  FamilyGrid->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(FamilyGrid, &QTableView::customContextMenuRequested, this, &TMainForm::GetSTATUS);
  gl->addWidget(FamilyGrid, 1);
  TabSet1 = new QTabBar(GroupBox1);
  TabSet1->setObjectName(QStringLiteral("TabSet1"));
  TabSet1->setShape(QTabBar::RoundedSouth);
  TabSet1->setExpanding(false);
  TabSet1->addTab(QStringLiteral("Всички"));
  TabSet1->addTab(kSearchCaption);
  connect(TabSet1, &QTabBar::currentChanged, this, [this](int idx) {
    if (inTabChange_) return;
    if (!TabSet1Change(idx)) {
      inTabChange_ = true;
      TabSet1->setCurrentIndex(prevTab_);
      inTabChange_ = false;
    } else {
      prevTab_ = TabSet1->currentIndex();
    }
  });
  gl->addWidget(TabSet1);
  v->addWidget(GroupBox1, 1);
  setCentralWidget(central);

  auto *sb = new QStatusBar(this);
  sb->setObjectName(QStringLiteral("StatusBar1"));
  panel0_ = new QLabel(sb);
  panel0_->setObjectName(QStringLiteral("StatusPanel0"));
  panel0_->setFixedWidth(150);
  panel1_ = new QLabel(sb);
  panel1_->setObjectName(QStringLiteral("StatusPanel1"));
  panel1_->setFixedWidth(50);
  sb->addWidget(panel0_);
  sb->addWidget(panel1_);
  setStatusBar(sb);
}

void TMainForm::buildActions() {
  auto *menu = new QMenuBar(this);
  menu->setObjectName(QStringLiteral("MainMenu1"));
  setMenuBar(menu);
  ToolBar = new QToolBar(QStringLiteral("ToolBar"), this);
  ToolBar->setObjectName(QStringLiteral("ToolBar"));
  ToolBar->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
  ToolBar->setIconSize(QSize(50, 50));
  ToolBar->setMovable(false);
  addToolBar(ToolBar);

  const auto make = [this](const char *name, const QString &caption, const QString &hint, QKeySequence key,
                           void (TMainForm::*slot)()) {
    auto *a = new QAction(caption, this);
    a->setObjectName(QString::fromLatin1(name));
    if (!hint.isEmpty()) {
      a->setToolTip(hint);
      a->setStatusTip(hint);
    }
    if (!key.isEmpty()) a->setShortcut(key);
    if (slot) connect(a, &QAction::triggered, this, slot);
    return a;
  };
  // The pictures are the program's own (app/icons), so the toolbar looks the
  // same on any desktop.
  const auto tool = [&](const char *name, const QString &caption, const QString &hint, const char *picture,
                        void (TMainForm::*slot)()) {
    QAction *a = make(name, caption, hint, QKeySequence(), slot);
    a->setIcon(QIcon(QStringLiteral(":/icons/%1.svg").arg(QLatin1String(picture))));
    ToolBar->addAction(a);
    if (QWidget *w = ToolBar->widgetForAction(a)) w->setObjectName(QString::fromLatin1(name));
    return a;
  };

  // Toolbar, left to right.
  tool("tbRegister", QStringLiteral("Регистрация"), QStringLiteral("Регистриране на нов картон"),
       "register", &TMainForm::tbRegisterClick);
  tool("tbModify", QStringLiteral("Актуализация"), QStringLiteral("Актуализиране на картон"),
       "modify", &TMainForm::tbModifyClick);
  tool("tbRefresh", QStringLiteral("Опресняване"), QStringLiteral("Опресняване на списъка"), "refresh",
       &TMainForm::tbRefreshClick);
  const QString rankHint = QStringLiteral("Извеждане на класиране с опресняване на данни съгласно днешна дата");
  tool("tbStatus", QStringLiteral("Класиране"), rankHint, "ranking", &TMainForm::tbStatusClick);
  const QString listHint = QStringLiteral("Справка за данните в картотеката");
  tbSpravka_ = tool("tbSpravka", QStringLiteral("Справка"), listHint, "report",
                    &TMainForm::tbSpravkaClick);
  tool("ToolButton1", QStringLiteral("За програмата"), QStringLiteral("За Куорин Зелво"),
       "about", &TMainForm::mAboutClick);
  tool("tbExit", QStringLiteral("Изход"), QStringLiteral("Изход от програмата"), "exit",
       &TMainForm::tbExitClick);

  // "Системни"
  QMenu *n12 = menu->addMenu(QStringLiteral("Системни"));
  n12->setObjectName(QStringLiteral("N12"));
  n12->addAction(make("mNoms", QStringLiteral("Номенклатури..."), QString(), {}, &TMainForm::mNomsClick));
  n12->addAction(make("mOptions", QStringLiteral("Настройки..."), QString(), QKeySequence(Qt::Key_F11),
                      &TMainForm::mOptionsClick));
  QAction *mUsers = make("mUsers", QStringLiteral("Управление на достъпа"), QString(), {}, nullptr);
  mUsers->setEnabled(false);
  n12->addAction(mUsers);
  n12->addAction(make("mPassChange", QStringLiteral("Промяна на паролата"), QString(), {},
                      &TMainForm::mPassChangeClick));
  n12->addSeparator();
  n12->addAction(make("N10", QStringLiteral("Изход"), QStringLiteral("Изход от програмата"),
                      QKeySequence(Qt::Key_F12), &TMainForm::tbExitClick));

  // "Картотека"
  QMenu *n1 = menu->addMenu(QStringLiteral("Картотека"));
  n1->setObjectName(QStringLiteral("N1"));
  n1->addAction(make("mRegister", QStringLiteral("Регистрация"), QStringLiteral("Регистриране на нов картон"),
                     QKeySequence(Qt::Key_F2), &TMainForm::tbRegisterClick));
  n1->addAction(make("mModify", QStringLiteral("Актуализация"), QStringLiteral("Актуализиране на картон"),
                     QKeySequence(Qt::Key_F3), &TMainForm::tbModifyClick));
  // The search item is hidden; its key F4 stays active through a window short-cut.
  QAction *n4 = make("N4", QStringLiteral("Търсене"), QStringLiteral("Търси по избраните критерии"), {}, nullptr);
  n4->setVisible(false);
  n1->addAction(n4);
  auto *f4 = new QShortcut(QKeySequence(Qt::Key_F4), this);
  f4->setObjectName(QStringLiteral("N4Shortcut"));
  connect(f4, &QShortcut::activated, this, &TMainForm::sbSearchClick);
  for (const auto &[name, caption] : {std::pair{"N5", QStringLiteral("Закриване")},
                                      std::pair{"N6", QStringLiteral("Спиране")},
                                      std::pair{"N15", QStringLiteral("Сортиране...")}}) {
    QAction *a = make(name, caption, QString(), {}, nullptr);
    a->setVisible(false);
    n1->addAction(a);
  }
  // "Закриване" (hidden) runs the same deletion as "Изтриване" (disabled).
  connect(findChild<QAction *>(QStringLiteral("N5")), &QAction::triggered, this, &TMainForm::DelClick);
  QAction *n11 = make("N11", QStringLiteral("Изтриване"), QString(), {}, &TMainForm::DelClick);
  n11->setEnabled(false);
  n1->addAction(n11);
  n1->addSeparator();
  n1->addAction(make("N16", QStringLiteral("Опресняване"), QStringLiteral("Опресняване на списъка"),
                     QKeySequence(Qt::Key_F5), &TMainForm::tbRefreshClick));

  // "Справки"
  QMenu *n7 = menu->addMenu(QStringLiteral("Справки"));
  n7->setObjectName(QStringLiteral("N7"));
  QAction *mKart = make("mKart", QStringLiteral("Справки Картотека"), QString(), {}, nullptr);
  mKart->setEnabled(false);
  n7->addAction(mKart);
  n7->addAction(make("mSlBel", QStringLiteral("Сл. Бележка"), QString(), QKeySequence(Qt::Key_F6),
                     &TMainForm::mSlBelClick));
  n7->addAction(make("mList", QStringLiteral("Списък"), listHint, QKeySequence(Qt::Key_F7),
                     &TMainForm::tbSpravkaClick));
  n7->addAction(make("mClass", QStringLiteral("Класиране..."), rankHint, QKeySequence(Qt::Key_F8),
                     &TMainForm::tbStatusClick));
  n7->addAction(make("mInvalid", QStringLiteral("Невалидни ЕГН-та"), QString(), QKeySequence(Qt::Key_F9),
                     &TMainForm::mInvalidClick));
  n7->addAction(make("mLBDNames", QStringLiteral("Имена от ЛБД..."), QString(), QKeySequence(Qt::Key_F10),
                     &TMainForm::mLBDNamesClick));
  n7->addAction(make("loginf", QStringLiteral("История на действията"), QString(), {}, &TMainForm::loginfClick));

  // "Помощ"
  QMenu *n14 = menu->addMenu(QStringLiteral("Помощ"));
  n14->setObjectName(QStringLiteral("N14"));
  n14->addAction(make("mAbout", QStringLiteral("За програмата"), QStringLiteral("За Куорин Зелво"),
                      QKeySequence(Qt::Key_F1), &TMainForm::mAboutClick));
  n14->addAction(make("hlpbtn", QStringLiteral("Помощ"), QString(), {}, &TMainForm::hlpbtnClick));
}

void TMainForm::guarded(const std::function<void()> &fn) {
  try {
    fn();
  } catch (const fb::Error &e) {
    Dialogs::message(e.text(), QApplication::applicationName(), Dialogs::Icon::Error);
  } catch (const std::exception &e) {
    Dialogs::message(QString::fromLocal8Bit(e.what()), QApplication::applicationName(), Dialogs::Icon::Error);
  }
}

bool TMainForm::refuseUnless(bool allowed) { return zv::RefuseUnless(allowed); }

// ------------------------------------------------------------ start of work

void TMainForm::showEvent(QShowEvent *e) {
  QMainWindow::showEvent(e);
  if (!started_) {
    started_ = true;
    FormShow();
  }
}

void TMainForm::FormShow() {
  started_ = true;
  TLogInfoRec *rec = LoginRecord();
  if (!rec || !DataModule1) return;
  connect(DataModule1, &TDataModule1::mainQueryOpened, this, &TMainForm::afterMainQueryOpened,
          Qt::UniqueConnection);
  // 1. Dates become text as dd.mm.yyyy and hh:mm:ss throughout (see ZvDate).
  QLocale::setDefault(QLocale(QLocale::Bulgarian, QLocale::Bulgaria));
  // 2.-4. Connection parameters from the login record, the list lines, connect.
  SearchFilter = QStringLiteral("and P.PERSON_TYPE = 0 ");
  OrderLine = QStringLiteral(" order by Reg_Num");
  RankingOrder.clear();
  try {
    DataModule1->connectTo(rec->dbPath(), rec->dbUser(), rec->dbPassword());
  } catch (const fb::Error &e) {
    Dialogs::message(e.text(), QApplication::applicationName(), Dialogs::Icon::Error);
    return;
  }
  guarded([&] {
    // 5.-6.
    zv::Session &s = zv::session();
    s.LoginName = rec->loginName();
    s.CurrentUserName = rec->userName();
    // A role that gives no level is refused below, as a user missing from USERS.
    const std::optional<int> level = zv::AccessLevelOfRole(rec->role());
    AccessLevel = level.value_or(0);
    // The program's own tables and the one-time conversion of the incomes
    // to euro, before anything reads the register.
    UpgradeRegisterAtStart();
    // 7.
    IniFile ini(SettingsFilePath());
    if (!ini.writeString(QStringLiteral("User"), QStringLiteral("lastuser"), s.LoginName))
      Dialogs::message(SettingsFileError(SettingsFilePath()), QApplication::applicationName(),
                       Dialogs::Icon::Warning);
    // 8. The search lists; the status menu is built each time it opens.
    zv::FillNomList(sGroup, QStringLiteral("GROUP1"));
    zv::FillNomList(sStatus, QStringLiteral("STATUS"));
    // 9.
    DataModule1->setMainLines(SearchFilter, OrderLine);
    // 10.
    zv::Query &q = DataModule1->TempQuery;
    q.close();
    q.SQL = QStringList{QStringLiteral("select * from users where name = ") + zv::sqlQuote(s.CurrentUserName)};
    q.open();
    const zv::Field id = q.isEmpty() ? zv::Field() : q.fieldByName(QStringLiteral("USER_ID"));
    if (!id.isNull() && level) {
      s.CurrentUserId = QString::number(id.asInteger());
      q.close();
      zv::LogAction(s.CurrentUserId.toInt(), QStringLiteral("SYSTEM"),
                    QStringLiteral("Влизане на потребител с име ") + s.CurrentUserName);
      FamilyGrid->setColumnHidden(10, false);
      FamilyGrid->setColumnHidden(13, true);
    } else {
      q.close();
      AccessLevel = 0;  // nothing is allowed while the window closes
      Dialogs::message(zv::kNoCorrectRightsText, QApplication::applicationName(), Dialogs::Icon::Error);
      quitApplication();
    }
  });
}

void TMainForm::tbExitClick() {
  guarded([&] {
    if (DataModule1 && DataModule1->Database.connected())
      zv::LogAction(zv::session().CurrentUserId.toInt(), QStringLiteral("SYSTEM"),
                    QStringLiteral("Излизане на потребител с име ") + zv::session().CurrentUserName);
  });
  FreeLoginRecord();
  guarded([&] {
    if (DataModule1) DataModule1->disconnectCommitting();
  });
  quitApplication();
}

void TMainForm::closeEvent(QCloseEvent *e) {
  // Closing by the close box writes no logout entry, but the work of the
  // open transaction is committed, never lost.
  guarded([&] {
    if (DataModule1 && DataModule1->Database.connected()) DataModule1->disconnectCommitting();
  });
  QMainWindow::closeEvent(e);
}

// ------------------------------------------------------------ list

// The width a column needs: its heading on at most two lines (split at the
// blank nearest the middle), and the widest of the first rows' texts, up to
// a bound that keeps very long texts from pushing everything else away.
int TMainForm::columnWidthFor(int column, int rows) const {
  const QFontMetrics hf(FamilyGrid->horizontalHeader()->font());
  const QString title = MainGridModel::columns()[column].title;
  int head = hf.horizontalAdvance(title);
  if (head > 100) {
    int best = head;
    for (qsizetype i = title.indexOf(QLatin1Char(' ')); i > 0; i = title.indexOf(QLatin1Char(' '), i + 1))
      best = std::min(best, std::max(hf.horizontalAdvance(title.left(i)), hf.horizontalAdvance(title.mid(i + 1))));
    head = best;
  }
  const QFontMetrics cf(FamilyGrid->font());
  int content = 0;
  for (int r = 0; r < rows; ++r)
    content = std::max(content, cf.horizontalAdvance(
                                    zv::TrimRight(model_->data(model_->index(r, column), Qt::DisplayRole).toString())));
  const int margin = FamilyGrid->style()->pixelMetric(QStyle::PM_HeaderMargin, nullptr, FamilyGrid->horizontalHeader());
  return std::max(head + 2 * margin + 20, std::min(content, 420) + 14);
}

void TMainForm::fitColumns() {
  const int rows = std::min(model_->rowCount(), 500);
  for (int c = 0; c < model_->columnCount(); ++c) FamilyGrid->setColumnWidth(c, columnWidthFor(c, rows));
}

void TMainForm::afterMainQueryOpened(int count) {
  model_->reset();
  if (!fitted_ && count > 0) {
    fitted_ = true;
    fitColumns();
  }
  if (count > 0) setCurrentRow(0);
  panel0_->setText(QString::number(count) + QStringLiteral(" записа"));
}

void TMainForm::openMainQuery() {
  DataModule1->MainQuery.close();
  model_->reset();
  DataModule1->MainQuery.open();
}

int TMainForm::currentRow() const {
  const QModelIndex i = FamilyGrid->currentIndex();
  return i.isValid() ? i.row() : (model_->rowCount() > 0 ? 0 : -1);
}

void TMainForm::setCurrentRow(int row) {
  if (row < 0 || row >= model_->rowCount()) return;
  // The row comes into view; the list does not scroll sideways for it, so
  // the number and the names stay where the clerk left them.
  QScrollBar *h = FamilyGrid->horizontalScrollBar();
  const int across = h->value();
  FamilyGrid->setCurrentIndex(model_->index(row, FamilyGrid->currentIndex().isValid()
                                                     ? FamilyGrid->currentIndex().column()
                                                     : 1));
  h->setValue(across);
  DataModule1->MainQuery.setRecNo(row);
}

int TMainForm::currentRegNum() const {
  const int row = currentRow();
  if (row < 0 || !DataModule1->MainQuery.active()) return -1;
  const QVariant v = DataModule1->MainQuery.value(row, QStringLiteral("REG_NUM"));
  return v.isValid() ? v.toInt() : -1;
}

bool TMainForm::TabSet1Change(int newTab) {
  bool allowed = true;
  zv::Query &mq = DataModule1->MainQuery;
  const int leaving = prevTab_;
  guarded([&] {
    // 1. the search tab with a search in force
    if (newTab == 1 && TabSet1->tabText(1) != kSearchCaption) {
      try {
        RunSearch();
      } catch (const fb::Error &e) {
        Dialogs::message(e.text(), kErrorCaption, Dialogs::Icon::Error);
        mq.close();
        mq.SQL[1] = leaving == 0 ? QString() : QStringLiteral("and c.status=0");
        mq.setFiltered(false);
        model_->reset();
        mq.open();
        allowed = false;
      }
    }
    // 2. all cards
    if (newTab == 0 || TabSet1->tabText(1) == kSearchCaption) {
      mq.close();
      mq.setFiltered(false);
      mq.SQL[1] = QStringLiteral("and person_type=0");
      mq.SQL[2] = QStringLiteral("order by REG_NUM");
      model_->reset();
      mq.open();
    }
    // 3. the ranking tab, or leaving the third tab
    if (newTab == 2) {
      if (TabSet1->count() > 2 && TabSet1->tabText(2) == kRankingCaption) {
        mq.close();
        mq.setFiltered(false);
        mq.SQL[1] = QStringLiteral("and person_type=0 and c.status=1 and c.grupa<>0");
        mq.SQL[2] = RankingOrder;
        model_->reset();
        mq.open();
        tbSpravka_->setText(QStringLiteral("Отпечатване"));
      }
    } else {
      if (TabSet1->count() > 2) {
        inTabChange_ = true;
        TabSet1->removeTab(2);
        inTabChange_ = false;
      }
      tbSpravka_->setText(QStringLiteral("Справка"));
    }
  });
  return allowed;
}

void TMainForm::Refresh() {
  guarded([&] {
    const int reg = currentRegNum();
    DataModule1->Transaction.commit();
    openMainQuery();
    if (TabSet1->currentIndex() >= 0 && TabSet1->tabText(TabSet1->currentIndex()) == kInvalidCaption)
      panel0_->setText(QString::number(DataModule1->MainQuery.recordCount()) + QStringLiteral(" невалидни ЕГН-та"));
    zv::Query &mq = DataModule1->MainQuery;
    int target = 0;
    if (reg >= 0)
      for (int r = 0; r < mq.recordCount(); ++r)
        if (mq.value(r, QStringLiteral("REG_NUM")).toInt() == reg) {
          target = r;
          break;
        }
    setCurrentRow(target);
  });
}

// ------------------------------------------------------------ commands

void TMainForm::openCurrentCard() {
  if (DataModule1->MainQuery.active() && DataModule1->MainQuery.recordCount() > 0 && ViewKart) {
    // The card window reads the card of the query's current row; the
    // navigator inside it moves that row, and the list follows it back.
    DataModule1->MainQuery.setRecNo(std::max(currentRow(), 0));
    ViewKart->OpenCard(1, zv::CanStoreCards(AccessLevel));
    setCurrentRow(DataModule1->MainQuery.recNo());
  }
  Refresh();
}

void TMainForm::tbRegisterClick() {
  if (!refuseUnless(zv::CanRegister(AccessLevel)) && ViewKart) ViewKart->OpenCard(0, true);
  Refresh();
}

void TMainForm::tbModifyClick() { openCurrentCard(); }
void TMainForm::FamilyGridDblClick() { openCurrentCard(); }
void TMainForm::tbRefreshClick() { Refresh(); }

namespace {
// What the ranking commands use of the window.
zv::RankingHost rankingHostOf(TMainForm *form) {
  zv::RankingHost h;
  h.window = form;
  h.tabs = form->tabs();
  h.grid = form->grid();
  h.accessLevel = form->AccessLevel;
  h.rankingOrder = &form->RankingOrder;
  h.tabChange = [form](int tab) { return form->TabSet1Change(tab); };
  return h;
}
}  // namespace

void TMainForm::tbStatusClick() {
  // The command refuses levels 4 and above itself, after making its window.
  guarded([&] {
    zv::RankingHost host = rankingHostOf(this);
    reopening([&] { zv::RankingCommand(host); });
  });
}

void TMainForm::tbSpravkaClick() {
  guarded([&] {
    zv::RankingHost host = rankingHostOf(this);
    bool listed = false;
    reopening([&] { listed = zv::RankingListCommand(host); });  // the places close and reopen the list
    if (listed) return;
    // Any other tab: the export of the listed register.
    SaveRep(FamilyGrid, QStringLiteral("Списък на картотеката - ") + zv::dateText(zv::today()), QString());
  });
}

void TMainForm::mAboutClick() {
  TAboutForm about(this);
  about.exec();
}

void TMainForm::sbSearchClick() {
  guarded([&] {
    // A text the register cannot hold cannot be in it either: say which
    // field has it, and leave the list and the panel as they are.
    const zv::SearchCriteria typed = GroupBox3->criteria();
    const std::tuple<bool, QString, QString> texts[] = {
        {typed.regNumOn, QStringLiteral("По рег.номер"), typed.regNum},
        {typed.nameOn, QStringLiteral("По име"), typed.name},
        {typed.egnOn, QStringLiteral("По ЕГН"), typed.egn}};
    for (const auto &[on, field, text] : texts)
      if (const std::optional<QString> refusal = on ? zv::UnwritableFieldMessage(field, text) : std::nullopt) {
        Dialogs::message(*refusal, QStringLiteral("Грешка"), Dialogs::Icon::Error);
        return;
      }
    zv::Query &mq = DataModule1->MainQuery;
    SearchFilter.clear();
    // A search ends the invalid-number list's record filter; the list is
    // reopened below, by the search or by the change of tab.
    if (mq.filtered()) {
      mq.close();
      mq.setFiltered(false);
      model_->reset();
    }
    TabSet1->setTabText(1, zv::kSearchCaption);
    const zv::SearchFilter search = zv::BuildSearchFilter(GroupBox3->criteria());
    SearchFilter = search.filter;
    TabSet1->setTabText(1, search.caption);
    if (search.applied > 0) {
      if (TabSet1->currentIndex() == 1)
        RunSearch();
      else
        TabSet1->setCurrentIndex(1);  // the tab's rule runs the search and handles its errors
    } else if (TabSet1->currentIndex() != 0) {
      TabSet1->setCurrentIndex(0);
    }
  });
}

void TMainForm::reopening(const std::function<void()> &fn) {
  try {
    fn();
  } catch (...) {
    if (!DataModule1->MainQuery.active()) model_->reset();
    throw;
  }
}

void TMainForm::RunSearch() {
  reopening([&] {
    zv::RunSearch(DataModule1->MainQuery, SearchFilter, [](const QString &sql) {
      if (QClipboard *clip = QGuiApplication::clipboard()) clip->setText(sql);
    });
  });
}
void TMainForm::mNomsClick() {
  guarded([&] {
    if (!NomForm) return;
    NomForm->setAccessLevel(AccessLevel);
    NomForm->exec();
  });
}

void TMainForm::mOptionsClick() {
  guarded([&] {
    if (!OptionsForm) return;
    OptionsForm->setAccessLevel(AccessLevel);
    OptionsForm->Execute();
  });
}

void TMainForm::mPassChangeClick() {
  guarded([&] { CallExternalChangePWD(this); });
}

void TMainForm::mSlBelClick() {
  // The certificate narrows the list and puts it back; when it cannot (the
  // server gone), the grid is told the list is empty.
  guarded([&] { reopening([&] { PrintCertificate(FamilyGrid); }); });
}
void TMainForm::mInvalidClick() {
  guarded([&] {
    if (TabSet1->count() > 2)
      TabSet1->setTabText(2, kInvalidCaption);
    else
      TabSet1->addTab(kInvalidCaption);
    TabSet1->setCurrentIndex(2);
    // A ranking tab just renamed stays current without a change of tab.
    tbSpravka_->setText(QStringLiteral("Справка"));
    zv::Query &mq = DataModule1->MainQuery;
    reopening([&] { zv::OpenInvalidEgnList(mq); });
    panel0_->setText(zv::InvalidEgnCountText(mq.recordCount()));
  });
}

void TMainForm::mLBDNamesClick() {
  if (refuseUnless(zv::CanCompareNames(AccessLevel))) return;
  guarded([&] {
    if (LbdNamesForm) LbdNamesForm->exec();
  });
}

void TMainForm::loginfClick() {
  guarded([&] {
    // Created for this opening only, and gone when it closes.
    TLogF history(this, &TfrmuMemo::ShowText);
    history.exec();
  });
}

void TMainForm::hlpbtnClick() {
  const QString path = QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("QZV.pdf"));
  if (!QFileInfo::exists(path) || !openDocument(path))
    Dialogs::message(QStringLiteral("Couldn't execute the application"), QStringLiteral("Error"),
                     Dialogs::Icon::Warning);
}

bool TMainForm::onInvalidTab() const {
  return TabSet1->currentIndex() >= 0 && TabSet1->tabText(TabSet1->currentIndex()) == kInvalidCaption;
}

void TMainForm::FamilyGridCellClick() {
  if (!zv::CanRepairEgn(AccessLevel) || !onInvalidTab()) return;
  zv::Query &mq = DataModule1->MainQuery;
  if (!mq.active() || mq.isEmpty()) return;
  bool confirmed = false;
  guarded([&] {
    if (!EGNRepair) new TEGNRepair(this);  // the program makes it at start-up
    // The window steps through the list; the grid follows it.
    connect(EGNRepair, &TEGNRepair::rowMoved, this, &TMainForm::setCurrentRow, Qt::UniqueConnection);
    mq.setRecNo(std::max(currentRow(), 0));
    confirmed = EGNRepair->Execute() == QDialog::Accepted;
  });
  if (confirmed) openCurrentCard();
}

void TMainForm::FamilyGridKeyEnter() {
  if (onInvalidTab() && zv::CanRepairEgn(AccessLevel)) {
    FamilyGridCellClick();
    return;
  }
  if (DataModule1->MainQuery.recordCount() > 0) openCurrentCard();
}

void TMainForm::GetSTATUS(const QPoint &pos) {
  guarded([&] {
    BuildStatusMenu();
    pm_s->popup(FamilyGrid->viewport()->mapToGlobal(pos));
  });
}

void TMainForm::BuildStatusMenu() {
  pm_s->clear();
  if (!DataModule1 || !DataModule1->Database.connected()) return;
  // The status of the current row's card, read from the card itself.
  int current = -1;
  const int row = currentRow();
  if (row >= 0 && DataModule1->MainQuery.active() && DataModule1->MainQuery.recordCount() > 0) {
    zv::Query &q = DataModule1->TempQuery;
    q.close();
    q.SQL = QStringList{QStringLiteral("select STATUS from RGS_CARD where CARD_ID = ") +
                        QString::number(DataModule1->MainQuery.value(row, QStringLiteral("CARD_ID")).toInt())};
    q.open();
    if (!q.isEmpty()) current = q.fieldByName(QStringLiteral("STATUS")).asInteger();
    q.close();
  }
  const QList<zv::NomEntry> statuses = zv::NomEntries(QStringLiteral("STATUS"));
  qDeleteAll(pm_s->findChildren<QActionGroup *>(Qt::FindDirectChildrenOnly));
  auto *group = new QActionGroup(pm_s);
  for (const zv::NomEntry &e : statuses) {
    QAction *a = pm_s->addAction(e.text);
    a->setData(e.n);
    a->setCheckable(true);
    a->setChecked(e.n == current);
    group->addAction(a);
    connect(a, &QAction::triggered, this, [this, n = e.n] { SetSTATUS(n); });
  }
  for (const zv::NomEntry &e : statuses) {
    QAction *a = pm_s->addAction(QStringLiteral("За Всички - ") + e.text);
    a->setData(e.n + 9);
    connect(a, &QAction::triggered, this, [this, n = e.n + 9] { SetALLSTATUS(n); });
  }
}

void TMainForm::SetSTATUS(int code) {
  if (refuseUnless(zv::CanChangeStatus(AccessLevel))) return;
  guarded([&] {
    for (QAction *a : pm_s->actions())
      if (a->isCheckable() && a->data().toInt() == code) a->setChecked(true);
    const zv::Query &mq = DataModule1->MainQuery;
    if (!mq.active() || mq.isEmpty()) return;
    zv::SetCardStatus(mq.value(std::max(currentRow(), 0), QStringLiteral("CARD_ID")).toInt(), code);
    Refresh();
  });
}

void TMainForm::SetALLSTATUS(int itemNumber) {
  const int code = itemNumber - 9;
  if (refuseUnless(zv::CanChangeStatus(AccessLevel))) return;
  guarded([&] {
    const QList<int> cards = zv::ListedCardIds(DataModule1->MainQuery);
    if (cards.isEmpty()) return;
    // One misclick would rewrite every listed card: ask first.
    if (!Dialogs::ask(zv::SetAllStatusQuestion(static_cast<int>(cards.size()), code), zv::kStatusChangeCaption))
      return;
    std::unique_ptr<TStatusForm> own;
    TStatusForm *progress = StatusForm;
    if (!progress) {
      own = std::make_unique<TStatusForm>();
      progress = own.get();
    }
    try {
      zv::SetCardsStatus(cards, code, *progress);
    } catch (const fb::Error &) {
      Refresh();  // nothing was changed: the list afresh, in a new transaction
      throw;
    }
    Refresh();
  });
}

void TMainForm::DelClick() {
  guarded([&] {
    zv::Query &mq = DataModule1->MainQuery;
    if (!mq.active() || mq.isEmpty()) return;
    const int row = std::max(currentRow(), 0);
    if (!Dialogs::ask(zv::DeleteCardQuestion(mq.value(row, QStringLiteral("REG_NUM")).toString()),
                      zv::kDeleteCardCaption))
      return;
    const int cardId = mq.value(row, QStringLiteral("CARD_ID")).toInt();
    mq.close();
    model_->reset();
    zv::DeleteCard(DataModule1->Database, DataModule1->Transaction, cardId);
    mq.open();
  });
}

bool TMainForm::eventFilter(QObject *obj, QEvent *e) {
  if (obj == FamilyGrid->viewport() && e->type() == QEvent::MouseButtonDblClick) {
    FamilyGridDblClick();
    return true;
  }
  if (obj == FamilyGrid && e->type() == QEvent::KeyPress) {
    auto *k = static_cast<QKeyEvent *>(e);
    if (k->key() == Qt::Key_Return || k->key() == Qt::Key_Enter) {
      FamilyGridKeyEnter();
      return true;
    }
    // Ctrl+End and Ctrl+Home go to the last and first row, not to the last
    // column: the list keeps its sideways position.
    if ((k->key() == Qt::Key_End || k->key() == Qt::Key_Home) && (k->modifiers() & Qt::ControlModifier)) {
      if (model_->rowCount() > 0) setCurrentRow(k->key() == Qt::Key_End ? model_->rowCount() - 1 : 0);
      return true;
    }
  }
  return QMainWindow::eventFilter(obj, e);
}
