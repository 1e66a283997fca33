#include "Print.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QLabel>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>

#include "Dialogs.h"
#include "IniFile.h"

namespace {
// The hourglass while pages are laid out: a long ranking takes seconds.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor &) = delete;
  BusyCursor &operator=(const BusyCursor &) = delete;
};
}  // namespace

TPrintForm &PrintForm() {
  static TPrintForm holder;
  return holder;
}

std::function<bool(QPrinter &, QWidget *)> TRankingPreview::choosePrinter = [](QPrinter &printer, QWidget *parent) {
  QPrintDialog dialog(&printer, parent);
  dialog.setWindowTitle(QStringLiteral("Печат на класирането"));
  // The whole ranking is printed: its places are recorded afterwards.
  dialog.setOption(QAbstractPrintDialog::PrintPageRange, false);
  dialog.setOption(QAbstractPrintDialog::PrintSelection, false);
  dialog.setOption(QAbstractPrintDialog::PrintCurrentPage, false);
  return dialog.exec() == QDialog::Accepted;
};

TRankingPreview::TRankingPreview(std::vector<zv::RankingRow> rows, zv::RankingReportTexts texts, QWidget *parent)
    : QDialog(parent), rows_(std::move(rows)), texts_(std::move(texts)) {
  setObjectName(QStringLiteral("RankingPreview"));
  setWindowTitle(QStringLiteral("Преглед на класирането"));
  setWindowFlags(windowFlags() | Qt::WindowMaximizeButtonHint);
  resize(1100, 800);

  printer_ = new QPrinter(QPrinter::HighResolution);
  zv::SetRankingPageLayout(*printer_);
  Preview = new QPrintPreviewWidget(printer_, this);
  Preview->setObjectName(QStringLiteral("Preview"));
  Preview->setViewMode(QPrintPreviewWidget::SinglePageView);
  Preview->setZoomMode(QPrintPreviewWidget::FitToWidth);
  connect(Preview, &QPrintPreviewWidget::paintRequested, this,
          [this](QPrinter *p) { zv::PaintRankingReport(*p, rows_, texts_); });
  connect(Preview, &QPrintPreviewWidget::previewChanged, this, &TRankingPreview::showPage);

  Tools = new QToolBar(this);
  Tools->setObjectName(QStringLiteral("Tools"));
  Tools->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
  // Printing and closing carry their words; the page and zoom buttons are
  // pictures with their names as tips, so the bar fits a small window.
  const auto action = [this](const char *name, const QString &text, const QIcon &icon, const QKeySequence &key,
                             bool words) {
    QAction *a = Tools->addAction(icon, text);
    a->setObjectName(QString::fromLatin1(name));
    if (!key.isEmpty()) {
      a->setShortcut(key);
      a->setToolTip(text + QStringLiteral(" (") + key.toString(QKeySequence::NativeText) + QLatin1Char(')'));
    }
    if (auto *b = qobject_cast<QToolButton *>(Tools->widgetForAction(a)))
      b->setToolButtonStyle(words ? Qt::ToolButtonTextBesideIcon : Qt::ToolButtonIconOnly);
    return a;
  };
  const auto std = [this](QStyle::StandardPixmap p) { return style()->standardIcon(p); };
  aPrint = action("aPrint", QStringLiteral("Печат..."),
                  QIcon::fromTheme(QStringLiteral("document-print"), std(QStyle::SP_FileDialogDetailedView)),
                  QKeySequence::Print, true);
  aPdf = action("aPdf", QStringLiteral("Запис като PDF..."),
                QIcon::fromTheme(QStringLiteral("document-save-as"), std(QStyle::SP_DialogSaveButton)),
                QKeySequence(Qt::CTRL | Qt::Key_S), true);
  Tools->addSeparator();
  aFirst = action("aFirst", QStringLiteral("Първа страница"), std(QStyle::SP_MediaSkipBackward),
                  QKeySequence(Qt::CTRL | Qt::Key_Home), false);
  aPrior = action("aPrior", QStringLiteral("Предишна страница"), std(QStyle::SP_MediaSeekBackward),
                  QKeySequence(Qt::Key_PageUp), false);
  lbPage = new QLabel(this);
  lbPage->setObjectName(QStringLiteral("lbPage"));
  lbPage->setMinimumWidth(150);
  lbPage->setAlignment(Qt::AlignCenter);
  Tools->addWidget(lbPage);
  aNext = action("aNext", QStringLiteral("Следваща страница"), std(QStyle::SP_MediaSeekForward),
                 QKeySequence(Qt::Key_PageDown), false);
  aLast = action("aLast", QStringLiteral("Последна страница"), std(QStyle::SP_MediaSkipForward),
                 QKeySequence(Qt::CTRL | Qt::Key_End), false);
  Tools->addSeparator();
  aZoomIn = action("aZoomIn", QStringLiteral("Увеличи"), QIcon::fromTheme(QStringLiteral("zoom-in"), std(QStyle::SP_ArrowUp)),
                   QKeySequence::ZoomIn, false);
  aZoomOut = action("aZoomOut", QStringLiteral("Намали"),
                    QIcon::fromTheme(QStringLiteral("zoom-out"), std(QStyle::SP_ArrowDown)), QKeySequence::ZoomOut,
                    false);
  aFitWidth = action("aFitWidth", QStringLiteral("По ширината на страницата"),
                     QIcon::fromTheme(QStringLiteral("zoom-fit-width"), std(QStyle::SP_TitleBarMaxButton)),
                     QKeySequence(Qt::CTRL | Qt::Key_0), false);
  Tools->addSeparator();
  aClose = action("aClose", QStringLiteral("Затвори"), std(QStyle::SP_DialogCloseButton), QKeySequence(), true);
  aClose->setToolTip(QStringLiteral("Затвори (Esc)"));

  connect(aPrint, &QAction::triggered, this, &TRankingPreview::PrintClick);
  connect(aPdf, &QAction::triggered, this, &TRankingPreview::PdfClick);
  // Moving to a page by hand tells nobody: the label follows here.
  const auto go = [this](const std::function<int()> &page) {
    return [this, page] {
      Preview->setCurrentPage(page());
      showPage();
    };
  };
  connect(aFirst, &QAction::triggered, this, go([] { return 1; }));
  connect(aPrior, &QAction::triggered, this, go([this] { return Preview->currentPage() - 1; }));
  connect(aNext, &QAction::triggered, this, go([this] { return Preview->currentPage() + 1; }));
  connect(aLast, &QAction::triggered, this, go([this] { return Preview->pageCount(); }));
  connect(aZoomIn, &QAction::triggered, this, [this] { Preview->zoomIn(); });
  connect(aZoomOut, &QAction::triggered, this, [this] { Preview->zoomOut(); });
  connect(aFitWidth, &QAction::triggered, this, [this] { Preview->fitToWidth(); });
  connect(aClose, &QAction::triggered, this, &QDialog::reject);

  auto *v = new QVBoxLayout(this);
  v->setContentsMargins(0, 0, 0, 0);
  v->setSpacing(0);
  v->addWidget(Tools);
  v->addWidget(Preview, 1);
  // The pages are laid out now, so the navigation is right before showing.
  BusyCursor busy;
  Preview->updatePreview();
  showPage();
}

TRankingPreview::~TRankingPreview() {
  delete Preview;  // holds the printer
  delete printer_;
}

int TRankingPreview::pageCount() const { return Preview->pageCount(); }
int TRankingPreview::currentPage() const { return Preview->currentPage(); }

void TRankingPreview::showPage() {
  const int n = Preview->pageCount(), cur = Preview->currentPage();
  lbPage->setText(QStringLiteral("Страница %1 от %2").arg(cur).arg(n));
  aFirst->setEnabled(cur > 1);
  aPrior->setEnabled(cur > 1);
  aNext->setEnabled(cur < n);
  aLast->setEnabled(cur < n);
}

void TRankingPreview::PrintClick() {
  QPrinter printer(QPrinter::HighResolution);
  zv::SetRankingPageLayout(printer);
  if (!choosePrinter || !choosePrinter(printer, this)) return;
  // The pages are laid out on the paper chosen in the dialog, landscape with
  // the report's margins.
  zv::SetRankingPageLayout(printer, printer.pageLayout().pageSize());
  int pages = 0;
  {
    BusyCursor busy;
    pages = zv::PaintRankingReport(printer, rows_, texts_);
  }
  if (pages < 0) {
    Dialogs::message(QStringLiteral("Класирането не може да бъде отпечатано."), QStringLiteral("Грешка"),
                     Dialogs::Icon::Error);
    return;
  }
  printed_ = true;
  accept();
}

void TRankingPreview::PdfClick() {
  QString path = Dialogs::saveFile(QStringLiteral("Запис на класирането като PDF"),
                                   QDir(UserSettingsDir()).filePath(QStringLiteral("класиране.pdf")),
                                   QStringLiteral("PDF файлове (*.pdf)"));
  if (path.isEmpty()) return;
  if (QFileInfo(path).suffix().isEmpty()) path += QStringLiteral(".pdf");
  QString error;
  bool written = false;
  {
    BusyCursor busy;
    written = zv::WriteRankingPdf(path, rows_, texts_, &error);
  }
  if (!written) {
    Dialogs::message(error, QStringLiteral("Грешка"), Dialogs::Icon::Error);
    return;
  }
  printed_ = true;
  accept();
}
