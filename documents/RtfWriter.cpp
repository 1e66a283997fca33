// The Word document: rich text under the .doc name, which Word and the free
// office suites open as a Word document. It reads: the centred title lines,
// three empty lines, a table centred on the page whose first row holds the
// captions and whose further rows hold the values (columns of
// floating-point fields aligned right), then the centred footer.
#include <algorithm>
#include <cstring>
#include <vector>

#include "ExportFormats.h"

namespace zv {
namespace {

// A4, 1 cm margins; widths in twips.
constexpr int kPaperShort = 11906, kPaperLong = 16838, kMargin = 567;
// The size of the text when none is chosen: small enough for a list of
// many columns to keep its words whole across a landscape page.
constexpr int kDefaultPt = 9;
constexpr int kCellGap = 40;  // half the space between the texts of two cells, 0.7 mm

void appendNumber(QByteArray &out, long long n) { out.append(QByteArray::number(n)); }

// Text as rich text: Windows-1251 bytes as \'hh escapes, anything outside
// the code page as a \uN escape, the special characters escaped.
void appendText(QByteArray &out, const QString &text) {
  static const char hex[] = "0123456789abcdef";
  // At most 9 bytes a character ("\u-32768?"); the rest is given back.
  const qsizetype start = out.size();
  out.resize(start + text.size() * 9);
  char *p = out.data() + start;
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (c == u'\\' || c == u'{' || c == u'}') {
      *p++ = '\\';
      *p++ = static_cast<char>(c);
    } else if (c == u'\t') {
      std::memcpy(p, "\\tab ", 5);
      p += 5;
    } else if (c == u'\n') {
      std::memcpy(p, "\\line ", 6);
      p += 6;
    } else if (c < 0x20) {
      // other control characters have no place in a document
    } else if (c < 0x80) {
      *p++ = static_cast<char>(c);
    } else if (const int b = Cp1251Code(c); b >= 0) {
      *p++ = '\\';
      *p++ = '\'';
      *p++ = hex[b >> 4];
      *p++ = hex[b & 15];
    } else {
      const QByteArray n = "\\u" + QByteArray::number(static_cast<std::int16_t>(c)) + '?';
      std::memcpy(p, n.constData(), static_cast<size_t>(n.size()));
      p += n.size();
    }
  }
  out.resize(p - out.constData());
}

// The width of a character in thousandths of an em, near enough for the
// document's serif font: what keeps a date or a personal number from being
// broken over two lines inside its cell.
int advance(char16_t c) {
  if (c >= u'0' && c <= u'9') return 500;
  if (c == u' ' || c == u'.' || c == u',' || c == u':' || c == u';' || c == u'\'' || c == u'!' || c == u'|')
    return 260;
  if (c == u'-' || c == u'(' || c == u')' || c == u'/' || c == u'"') return 340;
  if (c == u'ш' || c == u'щ' || c == u'ж' || c == u'м' || c == u'ю' || c == u'ы' || c == u'ф' || c == u'm' ||
      c == u'w' || c == u'№')
    return 740;
  if (QChar::isUpper(c)) return c == u'Ш' || c == u'Щ' || c == u'Ж' || c == u'Ю' || c == u'M' || c == u'W' ? 950 : 730;
  return 500;
}

// How much room a column's texts ask for, in thousandths of an em: the
// longest text (trailing blanks do not show) and the longest word, of the
// values and of the caption apart.
struct Extent {
  int text = 0;
  int word = 0;         // of the values
  int captionWord = 0;  // of the caption
  static void measure(const QString &s, int &text, int &word) {
    int upTo = 0, run = 0, width = 0;
    for (const QChar ch : s) {
      const int w = advance(ch.unicode());
      width += w;
      if (ch == QLatin1Char(' ')) {
        run = 0;
      } else {
        upTo = width;
        word = std::max(word, run += w);
      }
    }
    text = std::max(text, upTo);
  }
  void value(const QString &s) { measure(s, text, word); }
  void caption(const QString &s) { measure(s, text, captionWord); }
};

// Column widths fitted to the contents. When the table would be wider than
// the text area the columns give up room: first down to their longest word,
// then the captions' long words break before the values' do, and at last
// the widest columns narrow, so that the table stays on the page.
std::vector<int> fitWidths(const std::vector<Extent> &ext, int pt, int textWidth) {
  const int pad = 2 * kCellGap + 20;
  const auto width = [&](int em) { return std::max(em, 500) * pt * 20 / 1000 + pad; };
  std::vector<int> natural, whole, least;
  long long sumNatural = 0, sumWhole = 0, sumLeast = 0;
  for (const Extent &e : ext) {
    natural.push_back(width(e.text));
    whole.push_back(std::min(natural.back(), width(std::max(e.word, e.captionWord))));
    least.push_back(std::min(natural.back(), width(std::max(e.word, std::min(e.captionWord, 2000)))));
    sumNatural += natural.back();
    sumWhole += whole.back();
    sumLeast += least.back();
  }
  // Each column gets its floor and a share of the room left, in proportion
  // to what it lacks of its natural width.
  const auto spread = [&](const std::vector<int> &floor, long long sumFloor) {
    const double share = static_cast<double>(textWidth - sumFloor) / static_cast<double>(sumNatural - sumFloor);
    std::vector<int> out;
    for (size_t i = 0; i < ext.size(); ++i) out.push_back(floor[i] + static_cast<int>((natural[i] - floor[i]) * share));
    return out;
  };
  if (sumNatural <= textWidth) return natural;
  if (sumWhole <= textWidth) return spread(whole, sumWhole);
  if (sumLeast <= textWidth) return spread(least, sumLeast);
  // Still too wide: the widest columns (long words of running text) give up
  // room first, down to one width for all of them, so that short numbers
  // and dates keep their lines whole as long as any room is left.
  const int floor = width(500);
  long long low = floor, high = *std::max_element(least.begin(), least.end());
  const auto total = [&](long long cap) {
    long long sum = 0;
    for (const int l : least) sum += std::max<long long>(floor, std::min<long long>(l, cap));
    return sum;
  };
  while (low < high) {
    const long long mid = (low + high + 1) / 2;
    if (total(mid) <= textWidth)
      low = mid;
    else
      high = mid - 1;
  }
  std::vector<int> out;
  for (const int l : least) out.push_back(static_cast<int>(std::max<long long>(floor, std::min<long long>(l, low))));
  return out;
}

class RtfWriter : public ExportWriter {
 public:
  QString filter() const override {
    return QStringLiteral("Документи") + QStringLiteral("(MSWord)|*.doc|") + QStringLiteral("Всички") +
           QStringLiteral("|*.*");
  }
  QString extension() const override { return QStringLiteral("*.doc"); }

  bool write(const QList<ExportColumn> &columns, const ExportRows &rows, const ExportLayout &layout, QIODevice &out,
             const ExportProgress &progress) override {
    if (columns.isEmpty()) return fail(kNoColumnsChosen);
    const int n = rows.count();
    const int steps = 2 * n;

    // First pass: the room each column needs.
    std::vector<Extent> ext(static_cast<size_t>(columns.size()));
    for (qsizetype c = 0; c < columns.size(); ++c) ext[static_cast<size_t>(c)].caption(columns[c].caption);
    QStringList cells;
    for (int r = 0; r < n; ++r) {
      rows.cells(r, cells);
      for (qsizetype c = 0; c < columns.size() && c < cells.size(); ++c) ext[static_cast<size_t>(c)].value(cells[c]);
      if (progress) progress(r + 1, steps);
    }

    const int pt = layout.fontSize > 0 ? layout.fontSize : kDefaultPt;
    const int paperW = layout.landscape ? kPaperLong : kPaperShort;
    const int paperH = layout.landscape ? kPaperShort : kPaperLong;
    const std::vector<int> widths = fitWidths(ext, pt, paperW - 2 * kMargin);

    QByteArray buf;
    buf.reserve(1 << 20);
    buf.append("{\\rtf1\\ansi\\ansicpg1251\\uc1\\deff0\\deflang1026\n"
               "{\\fonttbl{\\f0\\froman\\fcharset204\\fprq2 Times New Roman;}}\n");
    buf.append("\\paperw");
    appendNumber(buf, paperW);
    buf.append("\\paperh");
    appendNumber(buf, paperH);
    buf.append("\\margl567\\margr567\\margt567\\margb567");
    if (layout.landscape) buf.append("\\landscape");
    buf.append("\n\\sectd");
    if (layout.landscape) buf.append("\\lndscpsxn");
    buf.append("\\pgwsxn");
    appendNumber(buf, paperW);
    buf.append("\\pghsxn");
    appendNumber(buf, paperH);
    buf.append("\n\\plain\\f0\\fs");
    appendNumber(buf, 2 * pt);
    buf.append('\n');

    // The title, then three empty lines.
    for (const QString &line : MemoLines(layout.title)) {
      buf.append("\\pard\\qc ");
      appendText(buf, line);
      buf.append("\\par\n");
    }
    buf.append("\\pard\\qc\\par\n\\pard\\qc\\par\n\\pard\\qc\\par\n");

    // The row definition: centred, thin borders on every cell. The caption
    // row repeats on every page; the first value row has a definition of its
    // own, which the rows after it keep (row properties last until the next
    // definition), so a long list is not written with one per row.
    QByteArray rowDef = "\\trowd\\trqc\\trgaph40\\trleft0";
    long long x = 0;
    QByteArray cellDefs;
    for (const int w : widths) {
      x += w;
      cellDefs.append("\\clbrdrt\\brdrs\\brdrw10\\clbrdrl\\brdrs\\brdrw10\\clbrdrb\\brdrs\\brdrw10"
                      "\\clbrdrr\\brdrs\\brdrw10\\cellx");
      appendNumber(cellDefs, x);
    }
    enum class Def { Header, First, Kept };
    const auto appendRow = [&](const QStringList &values, Def def) {
      if (def != Def::Kept) {
        buf.append(rowDef);
        if (def == Def::Header) buf.append("\\trhdr");
        buf.append(cellDefs);
        buf.append('\n');
      }
      buf.append("\\pard\\intbl");
      bool right = false;
      for (qsizetype c = 0; c < columns.size(); ++c) {
        if (c == 0 || columns[c].alignRight != right) {
          right = columns[c].alignRight;
          buf.append(right ? "\\qr" : "\\ql");
        }
        buf.append(' ');
        if (c < values.size()) appendText(buf, values[c]);
        buf.append("\\cell");
      }
      buf.append("\\row\n");
    };

    QStringList captions;
    for (const ExportColumn &c : columns) captions << c.caption;
    appendRow(captions, Def::Header);
    for (int r = 0; r < n; ++r) {
      rows.cells(r, cells);
      appendRow(cells, r == 0 ? Def::First : Def::Kept);
      if (buf.size() >= (1 << 20) && !flush(buf, out)) return false;
      if (progress) progress(n + r + 1, steps);
    }

    // The footer, centred, in the paragraph after the table; without one
    // that paragraph stays empty.
    const QStringList footer = MemoLines(layout.footer);
    if (footer.isEmpty()) buf.append("\\pard\\ql\\par\n");
    for (const QString &line : footer) {
      buf.append("\\pard\\qc ");
      appendText(buf, line);
      buf.append("\\par\n");
    }
    buf.append("}\n");
    return flush(buf, out);
  }

 private:
  bool flush(QByteArray &buf, QIODevice &out) {
    if (!buf.isEmpty() && out.write(buf) != buf.size()) return fail(out.errorString());
    buf.clear();
    return true;
  }
};

}  // namespace

std::unique_ptr<ExportWriter> MakeRtfWriter() { return std::make_unique<RtfWriter>(); }

}  // namespace zv
