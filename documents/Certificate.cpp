#include "Certificate.h"

#include <QFileInfo>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include "DataModule.h"
#include "RankingReport.h"
#include "egn.h"

namespace zv {

namespace {

// Bands and positions in millimetres from the top left of the printable area.
constexpr double kHeaderH = 15.6, kDetailH = 52.9, kFooterH = 10.6;
constexpr double kHeadingX = 4.2, kHeadingTop = 4.2, kTitleX = 40.2, kTitleTop = 8.5;
constexpr double kTitleRuleX = 29.6, kTitleRuleY = 12.7, kTitleRuleW = 51.1;
constexpr double kTextX = 2.1, kTextTop = 4.2, kTextW = 118.0;
constexpr double kPurposeRule1X = 44.5, kPurposeRule1Y = 22.8, kPurposeRule1W = 72.2;
constexpr double kPurposeRule2X = 2.1, kPurposeRule2Y = 27.0, kPurposeRule2W = 114.6;
struct Spot {
  double x, top;
};
constexpr Spot kName{18.5, 7.4}, kAddress{2.1, 10.8}, kRegNum{59.0, 13.8}, kGroupDate{70.4, 13.8},
    kGroup{97.9, 13.8}, kIssued{14.0, 35.7};
constexpr double kPt = 8, kSmallestPt = 5;
// A name or an address is never cut: it is set smaller down to this size,
// and what still does not fit goes on to the next line.
constexpr double kSmallestWholePt = 6;
// Room kept between a printed value and the next fixed word.
constexpr double kClear = 1.0;

const QString kLine1 =
    QStringLiteral("        Служба \"Жилищно настаняване\" при ОбНС \"Долинец\" дава настоящата служебна");
const QString kLine2a = QStringLiteral("бележка  на");
const QString kLine2b = QStringLiteral("живущ(а) на адрес");
const QString kLine3 = QStringLiteral("в уверение на това, че същият със");
const QString kLine4a = QStringLiteral("семейството си е картотекиран под номер");
const QString kLine4b = QStringLiteral("от");
const QString kLine4c = QStringLiteral("в група");
const QString kLine4d = QStringLiteral(",  съгласно");
const QString kLine5 =
    QStringLiteral("наредбата за разпределение и продажба на жилища. Настоящата служебна бележка ");
const QString kLine6 = QStringLiteral("се издава, за да послужи пред");
const QString kLine11 = QStringLiteral("Гл.Специалист:____________________");

class CertificatePainter {
 public:
  CertificatePainter(QPainter &p, QPagedPaintDevice &dev)
      : p_(p), dev_(dev), ux_(dev.logicalDpiX() / 25.4), uy_(dev.logicalDpiY() / 25.4) {
    font_ = font(kPt);
  }

  double pageHeight() const { return dev_.height() / uy_; }

  QFont font(double pt) const {
    QFont f(CertificateFontFamily());
    f.setPointSizeF(pt);
    return f;
  }
  double width(const QString &s, const QFont &f) const { return QFontMetricsF(f, &dev_).horizontalAdvance(s) / ux_; }
  double lineHeight() const { return QFontMetricsF(font_, &dev_).lineSpacing() / uy_; }

  // Text whose top is at `top` millimetres when set in the report's size;
  // a smaller size keeps the same base line.
  void text(double x, double top, const QString &s, const QFont &f) {
    if (s.isEmpty()) return;
    p_.setFont(f);
    p_.drawText(QPointF(x * ux_, top * uy_ + QFontMetricsF(font_, &dev_).ascent()), s);
  }
  void rule(double x, double y, double w) {
    QPen pen(Qt::black);
    pen.setWidthF(0.25 * ux_);
    p_.setPen(pen);
    p_.drawLine(QPointF(x * ux_, y * uy_), QPointF((x + w) * ux_, y * uy_));
  }

  // A value in its gap, from x up to `end`: set smaller when it is too wide,
  // and cut only when even the smallest size does not fit.
  void value(double x, double top, double end, const QString &s) {
    const double room = end - x;
    QFont f = font_;
    while (width(s, f) > room && f.pointSizeF() > kSmallestPt) f.setPointSizeF(f.pointSizeF() - 0.5);
    QString shown = s;
    while (!shown.isEmpty() && width(shown, f) > room) shown.chop(1);
    text(x, top, shown, f);
  }

  // A name or an address in the gap of its line, whole. When it fits the gap
  // at some size down to kSmallestWholePt it is set there, and the line's
  // closing words stay at the right edge. Otherwise it runs on, in the
  // smallest size and broken between words, over the rest of this line and
  // the lines below, and the closing words follow it on its last line.
  // Returns how many lines were used (1 when it fitted its gap).
  // The fixed words are set from lineTop, the value from valueTop.
  int whole(double lineTop, double valueTop, double x, const QString &lead, const QString &closing,
            const QString &s) {
    const double right = kTextX + kTextW;
    const double closingAt = right - width(closing, font_);
    const double lh = lineHeight();
    const QString value = s.trimmed();
    QFont f = font_;
    while (width(value, f) > closingAt - kClear - x && f.pointSizeF() > kSmallestWholePt)
      f.setPointSizeF(std::max(kSmallestWholePt, f.pointSizeF() - 0.5));
    if (width(value, f) <= closingAt - kClear - x) {
      text(kTextX, lineTop, lay(lead, {{closing, closingAt}}).line, font_);
      text(x, valueTop, value, f);
      return 1;
    }
    // The words, each kept whole unless a single word is wider than a line.
    QStringList words = value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    std::vector<QString> lines;
    QString line;
    double start = x;
    const auto fits = [&](const QString &t, double from, double end) { return width(t, f) <= end - from; };
    for (int i = 0; i < words.size(); ++i) {
      const QString candidate = line.isEmpty() ? words[i] : line + QLatin1Char(' ') + words[i];
      if (fits(candidate, start, right)) {
        line = candidate;
        continue;
      }
      if (line.isEmpty()) {
        // One word wider than the whole line: broken between letters.
        QString head = words[i];
        while (head.size() > 1 && !fits(head, start, right)) head.chop(1);
        lines.push_back(head);
        words[i] = words[i].mid(head.size());
        --i;
      } else {
        lines.push_back(line);
        line.clear();
        --i;
      }
      start = kTextX;
    }
    // The closing words need room after the last piece.
    if (!fits(line, start, closingAt - kClear)) {
      lines.push_back(line);
      line.clear();
      start = kTextX;
    }
    lines.push_back(line);
    text(kTextX, lineTop, lead, font_);
    const double last = static_cast<double>(lines.size() - 1) * lh;
    for (size_t i = 0; i < lines.size(); ++i)
      text(i == 0 ? x : kTextX, valueTop + static_cast<double>(i) * lh, lines[i], f);
    text(closingAt, lineTop + last, closing, font_);
    return static_cast<int>(lines.size());
  }

  // A line of fixed pieces, each after a run of blanks that brings it as
  // near as a blank allows to where it should start. Returns the line and
  // where each piece starts, in millimetres.
  struct Laid {
    QString line;
    std::vector<double> starts;
  };
  Laid lay(const QString &lead, const std::vector<std::pair<QString, double>> &pieces) const {
    Laid out{lead, {}};
    const double blank = width(QStringLiteral(" "), font_);
    for (const auto &[piece, want] : pieces) {
      const double now = kTextX + width(out.line, font_);
      const int blanks = std::max(1, static_cast<int>(std::lround((want - now) / blank)));
      out.line += QString(blanks, QLatin1Char(' '));
      out.starts.push_back(kTextX + width(out.line, font_));
      out.line += piece;
    }
    return out;
  }

  void header(const QString &heading) {
    text(kHeadingX, kHeadingTop, heading, font_);
    text(kTitleX, kTitleTop, kCertificateTitle, font_);
    rule(kTitleRuleX, kTitleRuleY, kTitleRuleW);
  }

  void detail(double y, const CertificateRow &r, const QString &issued) {
    const double lh = lineHeight();
    const double right = kTextX + kTextW;
    // A name or an address that runs on to further lines moves everything
    // below it down by as many lines.
    double down = 0;
    const auto top = [&](int line) { return y + down + kTextTop + line * lh; };
    const auto at = [&](double spot) { return y + down + spot; };
    const auto endsAt = [&](const QString &piece, double end) { return end - width(piece, font_); };

    text(kTextX, top(0), kLine1, font_);

    down += (whole(top(1), at(kName.top), kName.x, kLine2a, kLine2b, r.name) - 1) * lh;
    down += (whole(top(2), at(kAddress.top), kAddress.x, QString(), kLine3, r.address) - 1) * lh;

    const Laid l4 = lay(kLine4a, {{kLine4b, endsAt(kLine4b, kGroupDate.x - kClear)},
                                  {kLine4c, endsAt(kLine4c, kGroup.x - kClear)},
                                  {kLine4d, endsAt(kLine4d, right)}});
    text(kTextX, top(3), l4.line, font_);
    value(kRegNum.x, at(kRegNum.top), l4.starts[0] - kClear, r.regNum);
    value(kGroupDate.x, at(kGroupDate.top), l4.starts[1] - kClear, r.groupDate);
    value(kGroup.x, at(kGroup.top), l4.starts[2] - kClear, r.group);

    text(kTextX, top(4), kLine5, font_);
    text(kTextX, top(5), kLine6, font_);

    const Laid l11 = lay(QString(), {{kLine11, endsAt(kLine11, right)}});
    text(kTextX, top(10), l11.line, font_);
    value(kIssued.x, at(kIssued.top), l11.starts[0] - kClear, issued);

    rule(kPurposeRule1X, at(kPurposeRule1Y), kPurposeRule1W);
    rule(kPurposeRule2X, at(kPurposeRule2Y), kPurposeRule2W);
  }

 private:
  QPainter &p_;
  QPagedPaintDevice &dev_;
  double ux_, uy_;
  QFont font_;
};

}  // namespace

// The printouts' one font: Arial where installed, else its metric twin.
QString CertificateFontFamily() { return ReportFontFamily(); }

std::vector<CertificateRow> CertificateRows(const TDataModule1 &dm) {
  const Query &q = dm.MainQuery;
  std::vector<CertificateRow> out;
  if (!q.active()) return out;
  const auto text = [&](int r, const char *field) {
    return Field(QString(), q.value(r, QString::fromLatin1(field))).asString();
  };
  for (int r = 0; r < q.recordCount(); ++r)
    out.push_back(CertificateRow{TrimRight(text(r, "NAME")), TrimRight(text(r, "ADRESS")), text(r, "REG_NUM"),
                                 text(r, "GRUPA_DATE").left(13), text(r, "GROUP1")});
  return out;
}

QString CertificateHeading(TDataModule1 &dm) {
  dm.Nom.open();
  if (!dm.Nom.locate(QStringLiteral("N"), 0)) return kCertificateDesignHeading;
  return dm.Nom.fieldByName(QStringLiteral("S_INFO")).asString();
}

QString NarrowToCard(const QString &filterLine, int regNum) {
  return filterLine + QStringLiteral("and REG_NUM = ") + QString::number(regNum);
}

QString CardHoldersFilter(int regNum) { return NarrowToCard(QStringLiteral("and P.PERSON_TYPE = 0 "), regNum); }

void SetCertificatePageLayout(QPagedPaintDevice &device, const QPageSize &paper) {
  device.setPageLayout(
      QPageLayout(paper, QPageLayout::Portrait, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

int PaintCertificates(QPagedPaintDevice &device, const std::vector<CertificateRow> &rows, const QString &heading,
                      TDate issueDate) {
  QPainter p;
  if (!p.begin(&device)) return -1;
  CertificatePainter cp(p, device);
  const QString issued = dateText(issueDate != 0 ? issueDate : today());
  const double bottom = cp.pageHeight() - kFooterH;
  int pages = 1;
  cp.header(heading);
  double y = kHeaderH;
  for (const CertificateRow &r : rows) {
    if (y + kDetailH > bottom + 1e-6 && y > kHeaderH) {
      if (!device.newPage()) {
        p.end();
        return -1;
      }
      ++pages;
      cp.header(heading);
      y = kHeaderH;
    }
    cp.detail(y, r, issued);
    y += kDetailH;
  }
  return p.end() ? pages : -1;
}

bool WriteCertificatePdf(const QString &path, const std::vector<CertificateRow> &rows, const QString &heading,
                         TDate issueDate, QString *error) {
  int pages = -1;
  {
    QPdfWriter pdf(path);
    pdf.setResolution(600);
    pdf.setCreator(QStringLiteral("QuorinZV"));
    pdf.setTitle(kCertificateTitle.trimmed());
    SetCertificatePageLayout(pdf);
    pages = PaintCertificates(pdf, rows, heading, issueDate);
  }
  if (pages < 0 || !QFileInfo(path).isFile()) {
    if (error) *error = QStringLiteral("Файлът „%1“ не може да бъде записан.").arg(path);
    return false;
  }
  return true;
}

}  // namespace zv
