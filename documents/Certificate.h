#pragma once
// The official certificate ("СЛУЖЕБНА БЕЛЕЖКА"): a page header with the
// organisation heading and the title on every page, then one certificate per
// listed row, each a fixed text with the family's values printed in its
// gaps. Painted on any paged device (a printer, a PDF file) in millimetres.
#include <QPageSize>
#include <QString>
#include <vector>

#include "ZvDate.h"

class QPagedPaintDevice;
class TDataModule1;

namespace zv {

// The heading of the layout, shown when the register has no heading row.
inline const QString kCertificateDesignHeading =
    QStringLiteral(" ОБЩИНСКИ НАРОДЕН СЪВЕТ \"ДОЛИНЕЦ\" - СЛУЖБА \"ЖИЛИЩНО НАСТАНЯВАНЕ\"");
inline const QString kCertificateTitle = QStringLiteral("  СЛУЖЕБНА БЕЛЕЖКА");

// One certificate's values as printed.
struct CertificateRow {
  QString name;       // whole, without the blanks that pad the column
  QString address;    // whole, likewise
  QString regNum;
  QString groupDate;  // the first 13 characters of the date text
  QString group;      // the group's number
};

// The rows of the register query as they stand.
std::vector<CertificateRow> CertificateRows(const TDataModule1 &dm);

// The organisation heading: S_INFO of the NOM row whose N is 0, read afresh.
QString CertificateHeading(TDataModule1 &dm);

// "and REG_NUM = n" after the filter line, nothing between them.
QString NarrowToCard(const QString &filterLine, int regNum);
// The filter line of a certificate: the holder rows of the card, as the
// list of all cards shows them, whatever list is shown now.
QString CardHoldersFilter(int regNum);

// Portrait on the given paper (A4 unless a print dialog chose another),
// 10 mm margins on every side.
void SetCertificatePageLayout(QPagedPaintDevice &device, const QPageSize &paper = QPageSize(QPageSize::A4));

// The font of the ranking's printout: Arial where installed, else its
// metric twin.
QString CertificateFontFamily();

// Paints every certificate, four to a page, the page header on each page.
// A list without rows still gives the page with the header. The number of
// pages, or -1 when the device cannot be painted on.
int PaintCertificates(QPagedPaintDevice &device, const std::vector<CertificateRow> &rows, const QString &heading,
                      TDate issueDate);

// The certificates as a PDF file. False, with the reason in *error, when
// the file cannot be written.
bool WriteCertificatePdf(const QString &path, const std::vector<CertificateRow> &rows, const QString &heading,
                         TDate issueDate, QString *error = nullptr);

}  // namespace zv
