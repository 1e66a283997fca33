// The Word document: rich text under the .doc name, which Word and the free
// office suites open as a Word document. It reads: the centred title lines,
// three empty lines, a table centred on the page whose first row holds the
// captions and whose further rows hold the values (columns of
// floating-point fields aligned right), then the centred footer.
#include <algorithm>
#include <vector>

#include "ExportFormats.h"

namespace zv {
namespace {

// A4, 2 cm margins; widths in twips.
constexpr int kPaperShort = 11906, kPaperLong = 16838, kMargin = 1134;
constexpr int kDefaultPt = 12;
constexpr int kCellGap = 108;  // half the space between the texts of two cells

void appendNumber(QByteArray &out, long long n) { out.append(QByteArray::number(n)); }

// Text as rich text: Windows-1251 bytes as \'hh escapes, anything outside
// the code page as a \uN escape, the special characters escaped.
void appendText(QByteArray &out, const QString &text) {
  static const char hex[] = "0123456789abcdef";
  for (const QChar ch : text) {
    const char16_t c = ch.unicode();
    if (c == u'\\' || c == u'{' || c == u'}') {
      out.append('\\');
      out.append(static_cast<char>(c));
    } else if (c == u'\t') {
      out.append("\\tab ");
    } else if (c == u'\n') {
      out.append("\\line ");
    } else if (c < 0x20) {
      // other control characters have no place in a document
    } else if (c < 0x80) {
      out.append(static_cast<char>(c));
    } else if (const int b = Cp1251Code(c); b >= 0) {
      out.append("\\'");
      out.append(hex[b >> 4]);
      out.append(hex[b & 15]);
    } else {
      out.append("\\u");
      appendNumber(out, static_cast<std::int16_t>(c));
      out.append('?');
    }
  }
}

// How much room a column's texts ask for: the longest text (trailing blanks
// do not show) and the longest word, in characters.
struct Extent {
  int text = 0;
  int word = 0;
  void measure(const QString &s) {
    int last = 0, run = 0;
    for (qsizetype i = 0; i < s.size(); ++i) {
      if (s[i] == QLatin1Char(' ')) {
        run = 0;
      } else {
        last = static_cast<int>(i) + 1;
        word = std::max(word, ++run);
      }
    }
    text = std::max(text, last);
  }
};

// Column widths fitted to the contents; when the table would be wider than
// the text area the columns give up room down to their longest word.
std::vector<int> fitWidths(const std::vector<Extent> &ext, int pt, int textWidth) {
  const int perChar = pt * 12;  // a letter of these texts, about 0.6 em at most
  const int pad = 2 * kCellGap + 120;
  std::vector<int> natural, least;
  long long sumNatural = 0, sumLeast = 0;
  for (const Extent &e : ext) {
    const int n = std::max(e.text, 2) * perChar + pad;
    const int l = std::min(n, std::max(e.word, 3) * perChar + pad);
    natural.push_back(n);
    least.push_back(l);
    sumNatural += n;
    sumLeast += l;
  }
  if (sumNatural <= textWidth) return natural;
  if (sumLeast >= textWidth) return least;
  const double share = static_cast<double>(textWidth - sumLeast) / static_cast<double>(sumNatural - sumLeast);
  std::vector<int> out;
  for (size_t i = 0; i < ext.size(); ++i)
    out.push_back(least[i] + static_cast<int>((natural[i] - least[i]) * share));
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
    for (qsizetype c = 0; c < columns.size(); ++c) ext[static_cast<size_t>(c)].measure(columns[c].caption);
    QStringList cells;
    for (int r = 0; r < n; ++r) {
      rows.cells(r, cells);
      for (qsizetype c = 0; c < columns.size() && c < cells.size(); ++c) ext[static_cast<size_t>(c)].measure(cells[c]);
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
    buf.append("\\margl1134\\margr1134\\margt1134\\margb1134");
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
    QByteArray rowDef = "\\trowd\\trqc\\trgaph108\\trleft0";
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
