#include "RankingReport.h"

#include <QFile>
#include <map>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFontMetricsF>
#include <QPageLayout>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

#include "IniFile.h"

namespace zv {

bool ReadRankingTexts(const QString &path, RankingReportTexts &texts) {
  const QFileInfo fi(path);
  if (fi.exists()) {
    QFile f(path);
    if (!fi.isFile() || !f.open(QIODevice::ReadOnly)) return false;
  }
  const IniFile ini(path);
  texts.title = ini.readString(QStringLiteral("User"), QStringLiteral("pageheader"), kDefaultPageHeader);
  texts.foot = ini.readString(QStringLiteral("User"), QStringLiteral("pagefooter"), kDefaultPageFooter);
  return true;
}

void SetRankingPageLayout(QPagedPaintDevice &device, const QPageSize &paper) {
  device.setPageLayout(QPageLayout(paper, QPageLayout::Landscape, QMarginsF(10, 10, 10, 10), QPageLayout::Millimeter));
}

QString ReportFontFamily() {
  static const QString family = QFontDatabase::hasFamily(QStringLiteral("Arial")) ? QStringLiteral("Arial")
                                                                                   : QStringLiteral("Liberation Sans");
  return family;
}

namespace {

// Band heights and positions in millimetres from the top left of the
// printable area.
constexpr double kHeaderH = 10.6, kHeadingsH = 11.4, kDetailH = 5.0, kSummaryH = 10.6, kFootH = 11.9;
constexpr double kTitleEnd = 193.4, kDateX = 199.0, kPageWordX = 250.6, kPageNoX = 256.1;
constexpr double kHeadingTop = 2.1, kHeadingRule = 8.5, kDetailTop = 0.7, kSummaryTop = 4.2, kFootTop = 4.2,
                 kFootX = 10.6, kTitleTop = 1.0;
constexpr double kSummaryWordsX = 19.1, kSummaryCountX = 42.3, kSummaryFamiliesX = 50.8;
constexpr double kBodyPt = 9, kTitlePt = 15, kSmallestPt = 5;
// A value stops this short of the next column.
constexpr double kGap = 0.8;

struct Heading {
  const char16_t *text;
  double x;
};
constexpr Heading kHeadings[] = {{u"№", 0.0},        {u"Р.Ном", 8.5},   {u"Име на титуляра", 21.2},
                                 {u"Група", 99.5},   {u"Адрес", 110.1}, {u"Бр.деца", 170.9},
                                 {u"Точки", 185.7},  {u"Дата на рег.", 201.9}, {u"Група от:", 233.6}};

// How a value that is too wide for its column is made to fit: numbers and
// dates are set smaller (a cut number would be a wrong one), texts are cut
// after the last whole word that fits, with an ellipsis.
enum class Fit { Shrink, Cut };

struct DetailColumn {
  double x;
  Fit fit;
  QString RankingRow::*field;  // null for the place
};
const DetailColumn kDetails[] = {
    {0.0, Fit::Shrink, nullptr},           {8.5, Fit::Shrink, &RankingRow::regNum},
    {21.2, Fit::Cut, &RankingRow::name},   {103.7, Fit::Shrink, &RankingRow::group},
    {110.1, Fit::Cut, &RankingRow::address}, {175.7, Fit::Shrink, &RankingRow::kids},
    {186.3, Fit::Shrink, &RankingRow::points}, {200.6, Fit::Shrink, &RankingRow::regDate},
    {232.3, Fit::Shrink, &RankingRow::groupDate}};
constexpr int kDetailCount = sizeof kDetails / sizeof kDetails[0];

class ReportPainter {
 public:
  ReportPainter(QPainter &p, QPagedPaintDevice &dev)
      : p_(p), dev_(dev), ux_(dev.logicalDpiX() / 25.4), uy_(dev.logicalDpiY() / 25.4), family_(ReportFontFamily()) {}

  double pageWidth() const { return dev_.width() / ux_; }
  double pageHeight() const { return dev_.height() / uy_; }

  // Fonts and their metrics by size, made once: a long ranking sets tens of
  // thousands of values in a handful of sizes.
  struct Sized {
    QFont font;
    QFontMetricsF metrics;
  };
  const Sized &sized(double pt) const {
    const int key = static_cast<int>(pt * 2 + 0.5);
    auto it = fonts_.find(key);
    if (it == fonts_.end()) {
      QFont f(family_);
      f.setPointSizeF(key / 2.0);
      it = fonts_.emplace(key, Sized{f, QFontMetricsF(f, &dev_)}).first;
    }
    return it->second;
  }
  QFont font(double pt) const { return sized(pt).font; }
  double width(const QFont &f, const QString &s) const {
    return sized(f.pointSizeF()).metrics.horizontalAdvance(s) / ux_;
  }
  double ascent(const QFont &f) const { return sized(f.pointSizeF()).metrics.ascent() / uy_; }

  // Text whose top is at (x, top) in millimetres.
  void text(double x, double top, const QString &s, const QFont &f) {
    if (s.isEmpty()) return;
    p_.setFont(f);
    p_.drawText(QPointF(x * ux_, (top + ascent(f)) * uy_), s);
  }

  // Text set at (x, top) and made to fit in width millimetres.
  void fitted(double x, double top, double width, const QString &s, double pt, Fit fit) {
    QFont f = font(pt);
    if (fit == Fit::Shrink)
      while (this->width(f, s) > width && f.pointSizeF() > kSmallestPt) f = font(f.pointSizeF() - 0.5);
    text(x, top, cut(s, f, width), f);
  }

  // The longest start of s that fits: whole words where one fits at all.
  QString cut(const QString &s, const QFont &f, double width) const {
    if (this->width(f, s) <= width) return s;
    const QString dots = QStringLiteral("…");
    for (qsizetype at = s.lastIndexOf(QLatin1Char(' ')); at > 0; at = s.lastIndexOf(QLatin1Char(' '), at - 1)) {
      const QString head = s.left(at).trimmed() + dots;
      if (head.size() > 1 && this->width(f, head) <= width) return head;
    }
    return sized(f.pointSizeF()).metrics.elidedText(s, Qt::ElideRight, width * ux_);
  }

  void rule(double y, double x0, double x1) {
    QPen pen(Qt::black);
    pen.setWidthF(0.25 * uy_);
    p_.setPen(pen);
    p_.drawLine(QPointF(x0 * ux_, y * uy_), QPointF(x1 * ux_, y * uy_));
  }

 private:
  QPainter &p_;
  QPagedPaintDevice &dev_;
  double ux_, uy_;
  QString family_;
  mutable std::map<int, Sized> fonts_;
};

}  // namespace

int PaintRankingReport(QPagedPaintDevice &device, const std::vector<RankingRow> &rows,
                       const RankingReportTexts &texts) {
  QPainter p;
  if (!p.begin(&device)) return -1;
  ReportPainter r(p, device);
  const double pageW = r.pageWidth();
  const double footTop = r.pageHeight() - kFootH;
  const QFont body = r.font(kBodyPt);
  const QString date = dateText(texts.printDate != 0 ? texts.printDate : today());

  int page = 0, rowsOnPage = 0;
  double y = 0;
  bool ok = true;
  const auto startPage = [&] {
    if (page > 0 && !device.newPage()) ok = false;
    ++page;
    rowsOnPage = 0;
    // Page header: the title ends where the date begins after a gap.
    QFont title = r.font(kTitlePt);
    while (r.width(title, texts.title) > kTitleEnd && title.pointSizeF() > kBodyPt)
      title = r.font(title.pointSizeF() - 0.5);
    const QString shownTitle = r.cut(texts.title, title, kTitleEnd);
    r.text(kTitleEnd - r.width(title, shownTitle), kTitleTop, shownTitle, title);
    r.text(kDateX, kTitleTop, date, r.font(kTitlePt));
    // The page number shares the title's baseline.
    const double numTop = kTitleTop + r.ascent(r.font(kTitlePt)) - r.ascent(body);
    r.text(kPageWordX, numTop, QStringLiteral("стр."), body);
    r.text(kPageNoX, numTop, QString::number(page), body);
    // Column headings.
    const double top = kHeaderH;
    for (size_t i = 0; i < std::size(kHeadings); ++i) {
      const double end = i + 1 < std::size(kHeadings) ? kHeadings[i + 1].x : pageW;
      r.fitted(kHeadings[i].x, top + kHeadingTop, end - kHeadings[i].x - kGap, QString::fromUtf16(kHeadings[i].text),
               kBodyPt, Fit::Shrink);
    }
    r.rule(top + kHeadingRule, 0, pageW);
    // Page footer.
    r.rule(footTop, 0, pageW);
    r.fitted(kFootX, footTop + kFootTop, pageW - kFootX, texts.foot, kBodyPt, Fit::Cut);
    y = kHeaderH + kHeadingsH;
  };

  startPage();
  for (const RankingRow &row : rows) {
    if (rowsOnPage > 0 && y + kDetailH > footTop + 1e-6) startPage();
    for (int c = 0; c < kDetailCount; ++c) {
      const DetailColumn &col = kDetails[c];
      const double end = c + 1 < kDetailCount ? kDetails[c + 1].x : pageW;
      const QString value = col.field ? row.*col.field : QString::number(row.place);
      r.fitted(col.x, y + kDetailTop, end - col.x - kGap, value, kBodyPt, col.fit);
    }
    y += kDetailH;
    ++rowsOnPage;
  }
  if (rowsOnPage > 0 && y + kSummaryH > footTop + 1e-6) startPage();
  // "Класирани са 57 семейства": a long count pushes the last word along.
  const QString count = QString::number(rows.size());
  r.text(kSummaryWordsX, y + kSummaryTop, QStringLiteral("Класирани са "), body);
  r.text(kSummaryCountX, y + kSummaryTop, count, body);
  const double familiesX =
      std::max(kSummaryFamiliesX, kSummaryCountX + r.width(body, count) + r.width(body, QStringLiteral(" ")));
  r.text(familiesX, y + kSummaryTop, QStringLiteral("семейства"), body);
  if (!p.end()) ok = false;
  return ok ? page : -1;
}

bool WriteRankingPdf(const QString &path, const std::vector<RankingRow> &rows, const RankingReportTexts &texts,
                     QString *error) {
  bool ok = false;
  {
    QPdfWriter writer(path);
    writer.setCreator(QStringLiteral("QuorinZV"));
    writer.setTitle(texts.title);
    SetRankingPageLayout(writer);
    ok = PaintRankingReport(writer, rows, texts) > 0;
  }
  if (!ok && error) *error = QStringLiteral("Файлът '%1' не може да бъде записан.").arg(path);
  return ok;
}

}  // namespace zv
