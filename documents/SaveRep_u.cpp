#include "SaveRep_u.h"

#include <QApplication>
#include <QComboBox>
#include <QDesktopServices>
#include <QDir>
#include <QElapsedTimer>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableView>
#include <QToolButton>
#include <QUrl>
#include <QVBoxLayout>

#include "DataModule.h"
#include "Dialogs.h"
#include "Session.h"

namespace {
const QString kNone = QStringLiteral("Няма");
const QString kDefaultSize = QStringLiteral("По подразбиране");
const QString kSaved = QStringLiteral("Файлът е записан успешно") + QStringLiteral(".");
}  // namespace

std::function<bool(const QString &)> TfrmSaveRep::openDocument = [](const QString &path) {
  return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
};

// ------------------------------------------------------------ column list

void TColumnList::mousePressEvent(QMouseEvent *e) {
  QListWidget::mousePressEvent(e);
  pressed_ = e->button() == Qt::LeftButton && currentRow() >= 0;
  dragging_ = false;
  pressAt_ = e->position().toPoint();
}

void TColumnList::mouseMoveEvent(QMouseEvent *e) {
  if (pressed_ && !dragging_ &&
      (e->position().toPoint() - pressAt_).manhattanLength() >= QApplication::startDragDistance()) {
    dragging_ = true;
    viewport()->setCursor(Qt::DragMoveCursor);
  }
  if (!dragging_) QListWidget::mouseMoveEvent(e);
}

void TColumnList::mouseReleaseEvent(QMouseEvent *e) {
  const bool drop = dragging_;
  pressed_ = dragging_ = false;
  if (!drop) {
    QListWidget::mouseReleaseEvent(e);
    return;
  }
  viewport()->unsetCursor();
  const QModelIndex under = indexAt(e->position().toPoint());
  const int from = currentRow();
  const int on = under.isValid() ? under.row() : -1;
  if (from >= 0 && on != from) emit moveRequested(from, on);
}

void TColumnList::keyPressEvent(QKeyEvent *e) {
  const int row = currentRow();
  if ((e->modifiers() & Qt::ControlModifier) && row >= 0) {
    if (e->key() == Qt::Key_Up && row > 0) {
      emit moveRequested(row, row - 1);
      return;
    }
    if (e->key() == Qt::Key_Down && row + 1 < count()) {
      emit moveRequested(row, row + 1);
      return;
    }
  }
  QListWidget::keyPressEvent(e);
}

// ------------------------------------------------------------ window

TfrmSaveRep::TfrmSaveRep(QWidget *parent) : QDialog(parent) {
  setObjectName(QStringLiteral("frmSaveRep"));
  setWindowTitle(QStringLiteral("Избор на колони за запис"));
  setAttribute(Qt::WA_DeleteOnClose, false);
  resize(820, 600);

  const auto button = [this](const char *name, const QString &caption) {
    auto *b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setText(caption);
    b->setToolButtonStyle(Qt::ToolButtonTextOnly);
    return b;
  };
  const auto picture = [this](const char *name, QStyle::StandardPixmap pixmap, const QString &hint) {
    auto *b = new QToolButton(this);
    b->setObjectName(QString::fromLatin1(name));
    b->setIcon(style()->standardIcon(pixmap));
    b->setToolTip(hint);
    b->setAutoRaise(true);
    return b;
  };

  SelectAll_SB = button("SelectAll_SB", QStringLiteral("Избор на всички"));
  DeselectAll_SB = button("DeselectAll_SB", QStringLiteral("Отказ на всички"));
  InvertSel_SB = button("InvertSel_SB", QStringLiteral("Обратно "));
  InvertSel_SB->setToolTip(QStringLiteral("Избира елементите които не избрани"));
  Quit_SB = picture("Quit_SB", QStyle::SP_DialogCloseButton, QStringLiteral("Изход"));
  Label1 = new QLabel(QStringLiteral("Записани изгледи"), this);
  Label1->setObjectName(QStringLiteral("Label1"));
  cbSavedViews = new QComboBox(this);
  cbSavedViews->setObjectName(QStringLiteral("cbSavedViews"));
  cbSavedViews->setMinimumContentsLength(22);
  cbSavedViews->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
  Label1->setBuddy(cbSavedViews);
  NewView_SB = picture("NewView_SB", QStyle::SP_FileIcon, QStringLiteral("Нов изглед"));
  SaveView_SB = picture("SaveView_SB", QStyle::SP_DialogSaveButton, QStringLiteral("Запазване на текущия изглед"));
  EraseView_SB = picture("EraseView_SB", QStyle::SP_TrashIcon, QStringLiteral("Изтриване на изглед"));

  auto *top = new QHBoxLayout;
  top->addWidget(SelectAll_SB);
  top->addWidget(DeselectAll_SB);
  top->addWidget(InvertSel_SB);
  top->addSpacing(16);
  top->addWidget(Label1);
  top->addWidget(cbSavedViews, 1);
  top->addWidget(NewView_SB);
  top->addWidget(SaveView_SB);
  top->addWidget(EraseView_SB);
  top->addSpacing(16);
  top->addWidget(Quit_SB);

  const auto memo = [this](const char *name) {
    auto *m = new QPlainTextEdit(this);
    m->setObjectName(QString::fromLatin1(name));
    m->setLineWrapMode(QPlainTextEdit::NoWrap);
    m->setTabChangesFocus(true);
    m->setFixedHeight(4 * m->fontMetrics().lineSpacing() + 12);
    return m;
  };
  Memo1 = memo("Memo1");
  Footer_M = memo("Footer_M");
  auto *titleLabel = new QLabel(QStringLiteral("&Заглавие:"), this);
  titleLabel->setBuddy(Memo1);
  auto *footerLabel = new QLabel(QStringLiteral("&Текст под таблицата:"), this);
  footerLabel->setBuddy(Footer_M);

  pcColList = new QTabWidget(this);
  pcColList->setObjectName(QStringLiteral("pcColList"));
  tsMasterColList = new QWidget(pcColList);
  tsMasterColList->setObjectName(QStringLiteral("tsMasterColList"));
  CLB = new TColumnList(tsMasterColList);
  CLB->setObjectName(QStringLiteral("CLB"));
  CLB->setToolTip(QStringLiteral("Редът на колоните се сменя с влачене или с Ctrl+стрелка"));
  auto *pageLayout = new QVBoxLayout(tsMasterColList);
  pageLayout->setContentsMargins(2, 2, 2, 2);
  pageLayout->addWidget(CLB);
  pcColList->addTab(tsMasterColList, QStringLiteral("Главна таблица"));

  auto *kind = new QGroupBox(QStringLiteral("Вид на документа"), this);
  kind->setObjectName(QStringLiteral("gbType"));
  MSWord_RB = new QRadioButton(QStringLiteral("MS Word"), kind);
  MSWord_RB->setObjectName(QStringLiteral("MSWord_RB"));
  MSExcel_RB = new QRadioButton(QStringLiteral("MS Excel"), kind);
  MSExcel_RB->setObjectName(QStringLiteral("MSExcel_RB"));
  rbTextFile = new QRadioButton(QStringLiteral("Текстов файл"), kind);
  rbTextFile->setObjectName(QStringLiteral("rbTextFile"));
  MSWord_RB->setChecked(true);
  Delim_L = new QLabel(QStringLiteral("Разделител"), kind);
  Delim_L->setObjectName(QStringLiteral("Delim_L"));
  Delim_ed = new QLineEdit(QStringLiteral("|"), kind);
  Delim_ed->setObjectName(QStringLiteral("Delim_ed"));
  Delim_L->setBuddy(Delim_ed);
  Layout_L = new QLabel(QStringLiteral("Оформление"), kind);
  Layout_L->setObjectName(QStringLiteral("Layout_L"));
  Layout_CB = new QComboBox(kind);
  Layout_CB->setObjectName(QStringLiteral("Layout_CB"));
  Layout_CB->addItems({QStringLiteral("Портрет"), QStringLiteral("Пейзаж")});
  Layout_CB->setCurrentIndex(1);
  Layout_L->setBuddy(Layout_CB);
  Font_L = new QLabel(QStringLiteral("Големина на шрифта"), kind);
  Font_L->setObjectName(QStringLiteral("Font_L"));
  Font_CB = new QComboBox(kind);
  Font_CB->setObjectName(QStringLiteral("Font_CB"));
  Font_CB->addItem(kDefaultSize);
  for (int pt = 8; pt <= 20; ++pt) Font_CB->addItem(QString::number(pt));
  Font_L->setBuddy(Font_CB);
  auto *kl = new QGridLayout(kind);
  kl->addWidget(MSWord_RB, 0, 0, 1, 2);
  kl->addWidget(MSExcel_RB, 1, 0, 1, 2);
  kl->addWidget(rbTextFile, 2, 0, 1, 2);
  kl->addWidget(Delim_L, 3, 0);
  kl->addWidget(Delim_ed, 3, 1);
  kl->addWidget(Layout_L, 4, 0);
  kl->addWidget(Layout_CB, 4, 1);
  kl->addWidget(Font_L, 5, 0);
  kl->addWidget(Font_CB, 5, 1);
  kl->setRowStretch(6, 1);

  Save_SB = new QPushButton(QStringLiteral("Запис"), this);
  Save_SB->setObjectName(QStringLiteral("Save_SB"));
  Save_SB->setIcon(style()->standardIcon(QStyle::SP_DialogSaveButton));
  Save_SB->setDefault(false);
  Save_SB->setAutoDefault(false);
  FillProgress = new QProgressBar(this);
  FillProgress->setObjectName(QStringLiteral("FillProgress"));
  FillProgress->setRange(0, 1);
  FillProgress->setValue(0);

  auto *side = new QVBoxLayout;
  side->addWidget(kind, 1);
  side->addWidget(Save_SB);
  auto *middle = new QHBoxLayout;
  middle->addWidget(pcColList, 1);
  middle->addLayout(side);

  auto *v = new QVBoxLayout(this);
  v->addLayout(top);
  v->addWidget(titleLabel);
  v->addWidget(Memo1);
  v->addLayout(middle, 1);
  v->addWidget(footerLabel);
  v->addWidget(Footer_M);
  v->addWidget(FillProgress);

  connect(SelectAll_SB, &QToolButton::clicked, this, &TfrmSaveRep::SelectAll_SBClick);
  connect(DeselectAll_SB, &QToolButton::clicked, this, &TfrmSaveRep::DeselectAll_SBClick);
  connect(InvertSel_SB, &QToolButton::clicked, this, &TfrmSaveRep::InvertSel_SBClick);
  connect(Quit_SB, &QToolButton::clicked, this, &TfrmSaveRep::reject);
  connect(Save_SB, &QPushButton::clicked, this, &TfrmSaveRep::Save_SBClick);
  connect(NewView_SB, &QToolButton::clicked, this, &TfrmSaveRep::NewView_SBClick);
  connect(SaveView_SB, &QToolButton::clicked, this, &TfrmSaveRep::SaveView_SBClick);
  connect(EraseView_SB, &QToolButton::clicked, this, &TfrmSaveRep::EraseView_SBClick);
  connect(cbSavedViews, &QComboBox::activated, this, &TfrmSaveRep::cbSavedViewsChange);
  for (QRadioButton *rb : {MSWord_RB, MSExcel_RB, rbTextFile})
    connect(rb, &QRadioButton::toggled, this, [this](bool on) {
      if (on) TypeChange();
    });
  connect(CLB, &TColumnList::moveRequested, this, &TfrmSaveRep::moveEntry);
  connect(CLB, &QListWidget::itemChanged, this, [this](QListWidgetItem *item) {
    if (filling_) return;
    const int row = CLB->row(item);
    if (row >= 0 && row < entries_.size()) entries_[row].ticked = item->checkState() == Qt::Checked;
  });
  TypeChange();
  // The options panel keeps the width of its widest set, so nothing moves
  // when the type changes.
  kind->setMinimumWidth(kind->sizeHint().width());
}

void TfrmSaveRep::setup(const QList<zv::ColumnEntry> &entries, const zv::GridNames &names, TDataModule1 *rows,
                        const QString &title, const QString &footer) {
  entries_ = entries;
  names_ = names;
  rows_ = rows;
  Memo1->setPlainText(title);
  Footer_M->setPlainText(footer);
  fillList();
  views_.Load(zv::ViewsFilePath(), zv::session().LoginName);
  const bool usable = views_.ready();
  for (QWidget *w : std::initializer_list<QWidget *>{cbSavedViews, NewView_SB, SaveView_SB, EraseView_SB})
    w->setEnabled(usable);
  fillViews();
}

QString TfrmSaveRep::gridKey() const {
  return zv::GridViewKey(names_, views_.userName(), static_cast<int>(entries_.size()));
}

void TfrmSaveRep::fillList() {
  filling_ = true;
  const int keep = CLB->currentRow();
  CLB->clear();
  for (const zv::ColumnEntry &e : entries_) {
    auto *item = new QListWidgetItem(e.caption, CLB);
    item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable);
    item->setCheckState(e.ticked ? Qt::Checked : Qt::Unchecked);
  }
  if (keep >= 0 && keep < CLB->count()) CLB->setCurrentRow(keep);
  filling_ = false;
}

void TfrmSaveRep::fillViews() {
  cbSavedViews->clear();
  cbSavedViews->addItem(kNone, -1);
  listed_ = views_.ViewsFor(gridKey());
  for (zv::TSaveRepView *v : listed_) cbSavedViews->addItem(v->ViewName, v->Number);
  cbSavedViews->setCurrentIndex(0);
}

zv::TSaveRepView *TfrmSaveRep::selectedView() const {
  const int i = cbSavedViews->currentIndex();
  return i >= 1 && i - 1 < listed_.size() ? listed_[i - 1] : nullptr;
}

void TfrmSaveRep::moveEntry(int from, int dropOn) {
  const int at = zv::MoveEntry(entries_, from, dropOn);
  fillList();
  CLB->setCurrentRow(at);
}

void TfrmSaveRep::SelectAll_SBClick() {
  zv::TickAll(entries_);
  fillList();
}
void TfrmSaveRep::DeselectAll_SBClick() {
  zv::TickNone(entries_);
  fillList();
}
void TfrmSaveRep::InvertSel_SBClick() {
  zv::InvertTicks(entries_);
  fillList();
}

zv::ExportType TfrmSaveRep::type() const {
  if (MSExcel_RB->isChecked()) return zv::ExportType::Excel;
  if (rbTextFile->isChecked()) return zv::ExportType::Text;
  return zv::ExportType::Word;
}

void TfrmSaveRep::TypeChange() {
  const bool text = type() == zv::ExportType::Text;
  Delim_L->setVisible(text);
  Delim_ed->setVisible(text);
  for (QWidget *w : std::initializer_list<QWidget *>{Layout_L, Layout_CB, Font_L, Font_CB}) w->setVisible(!text);
}

void TfrmSaveRep::reject() {
  // Closing is held off while a file is being written.
  if (!busy_) QDialog::reject();
}

void TfrmSaveRep::Save_SBClick() {
  if (busy_) return;
  const zv::ExportType kind = type();
  std::unique_ptr<zv::ExportWriter> writer = zv::MakeExportWriter(kind);
  const QString path = Dialogs::saveFile(QStringLiteral("Запис като"), QDir::homePath(),
                                         zv::FileDialogFilter(writer->filter()),
                                         zv::ExtensionSuffix(writer->extension()));
  if (path.isEmpty()) {
    if (kind == zv::ExportType::Excel) QDialog::reject();
    return;
  }
  const QList<zv::ExportColumn> columns = zv::ChosenColumns(entries_);
  if (columns.isEmpty()) {
    Dialogs::message(zv::kNoColumnsChosen);
    return;
  }
  zv::ExportLayout layout;
  layout.title = Memo1->toPlainText();
  layout.footer = Footer_M->toPlainText();
  layout.delimiter = Delim_ed->text();
  layout.landscape = Layout_CB->currentIndex() == 1;
  layout.fontSize = Font_CB->currentIndex() > 0 ? Font_CB->currentText().toInt() : 0;

  TDataModule1 *dm = rows_ ? rows_ : DataModule1;
  if (!dm) return;
  const zv::ListRows rows(*dm, zv::ChosenFields(entries_));

  // The window repaints and answers while the rows go out; its commands
  // wait until the file is written.
  busy_ = true;
  const QList<QWidget *> controls = findChildren<QWidget *>(Qt::FindDirectChildrenOnly);
  QList<QWidget *> disabled;
  for (QWidget *w : controls)
    if (w != FillProgress && w->isEnabled()) {
      w->setEnabled(false);
      disabled << w;
    }
  QElapsedTimer shown;
  shown.start();
  FillProgress->setRange(0, 1);
  FillProgress->setValue(0);
  const auto progress = [&](int done, int total) {
    if (FillProgress->maximum() != std::max(total, 1)) FillProgress->setRange(0, std::max(total, 1));
    FillProgress->setValue(done);
    if (shown.elapsed() >= 40) {
      QCoreApplication::processEvents();
      shown.restart();
    }
  };
  const bool ok = zv::WriteExportFile(*writer, path, columns, rows, layout, progress);
  for (QWidget *w : disabled) w->setEnabled(true);
  busy_ = false;
  // The list stands on its last row after an export.
  if (dm->MainQuery.active()) dm->MainQuery.last();

  if (!ok) {
    if (kind == zv::ExportType::Text)
      Dialogs::message(writer->errorText(), QApplication::applicationName(), Dialogs::Icon::Error);
    else
      Dialogs::message(QStringLiteral("Грешка при запис на файл") + QStringLiteral("!") + QLatin1Char('\n') +
                           writer->errorText(),
                       QApplication::applicationName(), Dialogs::Icon::Error);
    return;
  }
  exported_ = true;
  FillProgress->setValue(FillProgress->maximum());
  if (kind == zv::ExportType::Text) {
    Dialogs::message(kSaved);
  } else if (!openDocument || !openDocument(path)) {
    // Nothing on this desktop opens the file; the clerk is told it is there.
    Dialogs::message(kSaved);
  }
  accept();
}

// ------------------------------------------------------------ saved views

void TfrmSaveRep::NewView_SBClick() {
  std::optional<QString> name;
  do {
    name = Dialogs::input(QStringLiteral("Създаване на нов изглед"), QStringLiteral("Име на изглед"));
    if (!name) return;
  } while (name->trimmed().isEmpty());
  zv::TSaveRepView *v = views_.Create(names_, gridKey(), *name, entries_);
  listed_ << v;
  cbSavedViews->addItem(v->ViewName, v->Number);
  cbSavedViews->setCurrentIndex(cbSavedViews->count() - 1);
}

void TfrmSaveRep::SaveView_SBClick() {
  zv::TSaveRepView *v = selectedView();
  if (!v) {
    NewView_SBClick();
    return;
  }
  views_.Save(*v, entries_);
}

void TfrmSaveRep::EraseView_SBClick() {
  zv::TSaveRepView *v = selectedView();
  if (!v) return;
  if (!Dialogs::ask(QStringLiteral("Сигурнили сте, че изкате да изтриете избрания поглед") + QStringLiteral("?"),
                    QStringLiteral("Потвърждение")))
    return;
  views_.Erase(v);
  fillViews();
  cbSavedViewsChange(0);
}

void TfrmSaveRep::cbSavedViewsChange(int index) {
  if (index <= 0) {
    zv::TickAll(entries_);
  } else if (zv::TSaveRepView *v = selectedView()) {
    zv::TSaveRepViewSettings::Apply(*v, entries_);
  }
  fillList();
}

// ------------------------------------------------------------ entry

void SaveRep(QTableView *grid, const QString &title, const QString &footer) {
  if (!grid || !grid->model() || !DataModule1) return;
  std::unique_ptr<TfrmSaveRep> w;
  try {
    QAbstractItemModel *model = grid->model();
    QHeaderView *header = grid->horizontalHeader();
    const QColor gridColour = grid->palette().color(QPalette::Base);
    QList<zv::ColumnEntry> entries;
    for (int visual = 0; visual < header->count(); ++visual) {
      const int logical = header->logicalIndex(visual);
      if (grid->isColumnHidden(logical)) continue;
      zv::ColumnEntry e;
      e.caption = model->headerData(logical, Qt::Horizontal, Qt::DisplayRole).toString();
      e.field = model->headerData(logical, Qt::Horizontal, zv::kGridFieldRole).toString();
      const QVariant colour = model->headerData(logical, Qt::Horizontal, zv::kGridColumnColorRole);
      e.ticked = !colour.isValid() || colour.value<QColor>() == gridColour;
      e.alignRight = zv::IsFloatField(*DataModule1, e.field);
      entries << e;
    }
    zv::GridNames names;
    names.form = grid->window()->objectName();
    names.parent = grid->parentWidget() ? grid->parentWidget()->objectName() : QString();
    names.grid = grid->objectName();
    w = std::make_unique<TfrmSaveRep>(grid->window());
    w->setup(entries, names, DataModule1, title, footer);
  } catch (...) {
    return;  // nothing shown, nothing written
  }

  // The grid neither follows nor repaints the list while the window is open.
  grid->setUpdatesEnabled(false);
  struct Reattach {
    QTableView *grid;
    ~Reattach() { grid->setUpdatesEnabled(true); }
  } reattach{grid};
  w->exec();
  if (w->exported()) {
    // Back on the list's last row, where the export left it; the list keeps
    // its sideways position.
    const int last = grid->model()->rowCount() - 1;
    if (last >= 0) {
      QScrollBar *h = grid->horizontalScrollBar();
      const int across = h->value();
      const int column = grid->currentIndex().isValid() ? grid->currentIndex().column() : 1;
      grid->setCurrentIndex(grid->model()->index(last, std::min(column, grid->model()->columnCount() - 1)));
      h->setValue(across);
      DataModule1->MainQuery.setRecNo(last);
    }
  }
}
