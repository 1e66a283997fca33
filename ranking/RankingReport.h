#pragma once
// The printed ranking: a title with the date and the page number, column
// headings, one line per ranked family, the count of families and a foot on
// every page. Painted on any paged device (the preview's printer, a real
// printer, a PDF file) from rows and texts laid out in millimetres.
#include <QPageSize>
#include <QString>
#include <vector>

#include "Ranking.h"

class QPagedPaintDevice;

namespace zv {

inline const QString kDefaultPageHeader = QStringLiteral("КЛАСИРАНЕ ЗА ЖИЛИЩНО НАСТАНЯВАНЕ НА ГР.ДОЛИНЕЦ ОТ");
inline const QString kDefaultPageFooter = QStringLiteral("Проверил:_________");

struct RankingReportTexts {
  QString title = kDefaultPageHeader;
  QString foot = kDefaultPageFooter;
  TDate printDate = 0;  // printed after the title; today when 0
};

// Reads "pageheader" and "pagefooter" of section "User" from the settings
// file at path, the defaults for missing keys. False, leaving texts as they
// were, when the file is there but cannot be read.
bool ReadRankingTexts(const QString &path, RankingReportTexts &texts);

// Landscape on the given paper (A4 unless a print dialog chose another),
// 10 mm margins on every side. The bands fill as many rows as the paper's
// height holds.
void SetRankingPageLayout(QPagedPaintDevice &device, const QPageSize &paper = QPageSize(QPageSize::A4));

// The font of the printout: Arial where installed, else its metric twin.
QString ReportFontFamily();

// Paints the whole report on device, which should have the ranking page
// layout (pages are filled to the height the device offers). Returns the
// number of pages, or -1 when the device cannot be painted on (a file that
// cannot be written, a printer that refuses).
int PaintRankingReport(QPagedPaintDevice &device, const std::vector<RankingRow> &rows,
                       const RankingReportTexts &texts);

// Writes the report to a PDF file. False, with a reason in *error, when the
// file cannot be written.
bool WriteRankingPdf(const QString &path, const std::vector<RankingRow> &rows, const RankingReportTexts &texts,
                     QString *error = nullptr);

}  // namespace zv
