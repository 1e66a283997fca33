#pragma once
// The ranking printout on screen: the holder of the report's texts and its
// printed mark, and the modal preview from which the report goes to a
// printer or a PDF file.
#include <QDialog>
#include <functional>
#include <vector>

#include "RankingReport.h"

class QAction;
class QLabel;
class QPrinter;
class QPrintPreviewWidget;
class QToolBar;

// Holds what the report keeps between printouts: its title and foot (the
// defaults until the settings file is first read) and the printed mark.
class TPrintForm {
 public:
  zv::RankingReportTexts texts;
  // Set only when the last printout really went to a printer or a file.
  bool printed = false;
};

// The one holder of the program, made on first use.
TPrintForm &PrintForm();

class TRankingPreview : public QDialog {
  Q_OBJECT
 public:
  TRankingPreview(std::vector<zv::RankingRow> rows, zv::RankingReportTexts texts, QWidget *parent = nullptr);
  ~TRankingPreview() override;

  // True once the report has been sent to a printer or written to a file.
  bool printed() const { return printed_; }
  int pageCount() const;
  int currentPage() const;

  // Lets the user pick a printer and its settings for printer; true when
  // confirmed. The print dialog by default; tests put their own choice here.
  static std::function<bool(QPrinter &printer, QWidget *parent)> choosePrinter;

  QPrintPreviewWidget *Preview;
  QToolBar *Tools;
  QAction *aPrint, *aPdf, *aFirst, *aPrior, *aNext, *aLast, *aZoomIn, *aZoomOut, *aFitWidth, *aClose;
  QLabel *lbPage;

 public slots:
  void PrintClick();
  void PdfClick();

 private:
  void showPage();
  std::vector<zv::RankingRow> rows_;
  zv::RankingReportTexts texts_;
  QPrinter *printer_;
  bool printed_ = false;
};
