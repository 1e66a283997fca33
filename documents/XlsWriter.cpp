// The Excel 97-2003 workbook: BIFF8 records in the "Workbook" stream of an
// OLE2 compound file (the compound file is libgsf's). One worksheet reads:
// the title lines in rows 1 to R0, each merged across the table and bold;
// the captions in row R0 + 2, centred and bold; the values from row R0 + 3,
// one row per list row; after one empty row the footer, merged across the
// table. Every cell is text (number format "@"), columns of floating-point
// fields are aligned right and the others left, every cell of the sheet has
// thin borders and sits at the top of its row, the columns are as wide as
// their contents and the page is set up as chosen.
//
// A worksheet of this format holds 65,536 rows. A longer list goes on over
// further worksheets, each starting with the caption row, so that no row is
// lost.
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-utils.h>

#include <QHash>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <vector>

#include "ExportFormats.h"

namespace zv {
namespace {

constexpr int kMaxRecord = 8224;  // data bytes of one record
constexpr int kSheetRows = 65536;
constexpr int kSheetColumns = 256;
constexpr int kMaxCellText = 32767;
constexpr int kDefaultPt = 10;
constexpr quint32 kEmpty = 0xFFFFFFFFu;

// Record types.
enum : quint16 {
  rBOF = 0x0809, rEOF = 0x000A, rINTERFACEHDR = 0x00E1, rMMS = 0x00C1, rINTERFACEEND = 0x00E2,
  rCODEPAGE = 0x0042, rDSF = 0x0161, rTABID = 0x013D, rWINDOWPROTECT = 0x0019, rPROTECT = 0x0012,
  rPASSWORD = 0x0013, rWINDOW1 = 0x003D, rBACKUP = 0x0040, rHIDEOBJ = 0x008D, rDATEMODE = 0x0022,
  rPRECISION = 0x000E, rBOOKBOOL = 0x00DA, rFONT = 0x0031, rXF = 0x00E0, rSTYLE = 0x0293,
  rBOUNDSHEET = 0x0085, rSST = 0x00FC, rCONTINUE = 0x003C, rEXTSST = 0x00FF, rDEFAULTROWHEIGHT = 0x0225,
  rSETUP = 0x00A1, rDEFCOLWIDTH = 0x0055, rCOLINFO = 0x007D, rDIMENSIONS = 0x0200, rROW = 0x0208,
  rLABELSST = 0x00FD, rBLANK = 0x0201, rMULBLANK = 0x00BE, rWINDOW2 = 0x023E, rMERGEDCELLS = 0x00E5,
};

// Built-in number formats.
constexpr int kFmtGeneral = 0, kFmtText = 49;  // 49 is "@"
// Horizontal and vertical alignment codes.
constexpr int kAlignGeneral = 0, kAlignLeft = 1, kAlignCentre = 2, kAlignRight = 3, kAlignTop = 0;
// Fonts 0 to 3 are the normal font (index 4 is never used), 5 is bold.
constexpr int kFontNormal = 0, kFontBold = 5;
// Cell formats after the 16 built-in ones.
enum : int { xfHeader = 16, xfLeft, xfRight, xfTitle, xfFooter, xfOther };

struct Bytes {
  QByteArray b;
  Bytes &u8(int v) {
    b.append(static_cast<char>(v & 0xFF));
    return *this;
  }
  Bytes &u16(int v) { return u8(v).u8(v >> 8); }
  Bytes &u32(quint32 v) { return u16(static_cast<int>(v & 0xFFFF)).u16(static_cast<int>(v >> 16)); }
  Bytes &f64(double d) {
    quint64 bits;
    std::memcpy(&bits, &d, sizeof bits);
    return u32(static_cast<quint32>(bits)).u32(static_cast<quint32>(bits >> 32));
  }
  // A string with a one-byte length, as sheet and font names are stored.
  Bytes &shortText(const QString &s) {
    const bool wide = std::any_of(s.begin(), s.end(), [](QChar c) { return c.unicode() > 0xFF; });
    u8(static_cast<int>(s.size())).u8(wide ? 1 : 0);
    for (const QChar c : s) wide ? u16(c.unicode()) : u8(c.unicode());
    return *this;
  }
};

// Where records go: counted only (to learn the size of a part before it is
// written), or written to the compound file's stream.
class Sink {
 public:
  explicit Sink(GsfOutput *out = nullptr) : out_(out) {}
  qint64 pos = 0;  // stream offset of the next record

  void record(quint16 type, const QByteArray &data) {
    pos += 4 + data.size();
    if (!out_) return;
    Bytes h;
    h.u16(type).u16(static_cast<int>(data.size()));
    buf_.append(h.b);
    buf_.append(data);
    if (buf_.size() >= (1 << 20)) flush();
  }
  void record(quint16 type, const Bytes &data) { record(type, data.b); }
  // A text cell: the most frequent record, written without building it.
  void labelSst(int row, int col, int xf, quint32 text) {
    pos += 14;
    if (!out_) return;
    const unsigned char r[14] = {0xFD, 0x00, 10, 0, static_cast<unsigned char>(row), static_cast<unsigned char>(row >> 8),
                                 static_cast<unsigned char>(col), static_cast<unsigned char>(col >> 8),
                                 static_cast<unsigned char>(xf), static_cast<unsigned char>(xf >> 8),
                                 static_cast<unsigned char>(text), static_cast<unsigned char>(text >> 8),
                                 static_cast<unsigned char>(text >> 16), static_cast<unsigned char>(text >> 24)};
    buf_.append(reinterpret_cast<const char *>(r), 14);
    if (buf_.size() >= (1 << 20)) flush();
  }
  bool flush() {
    if (out_ && !buf_.isEmpty()) {
      ok_ = ok_ && gsf_output_write(out_, static_cast<size_t>(buf_.size()),
                                    reinterpret_cast<const guint8 *>(buf_.constData()));
      buf_.clear();
    }
    return ok_;
  }
  bool ok() const { return ok_; }

 private:
  GsfOutput *out_;
  QByteArray buf_;
  bool ok_ = true;
};

QByteArray fontRecord(int pt, bool bold) {
  Bytes f;
  // The weight tells bold; readers of older files look at the first flag.
  f.u16(pt * 20).u16(bold ? 1 : 0).u16(0x7FFF).u16(bold ? 700 : 400).u16(0).u8(0).u8(2).u8(204).u8(0);
  f.shortText(QStringLiteral("Arial"));
  return f.b;
}

QByteArray styleXf() {
  Bytes x;
  x.u16(0).u16(0).u16(0xFFF5).u8(0x20).u8(0).u8(0).u8(0).u32(0).u32(0).u16(0x20C0);
  return x.b;
}

QByteArray cellXf(int font, int format, int align, bool wrap, bool borders) {
  Bytes x;
  x.u16(font).u16(format).u16(0x0001);
  x.u8(align | (wrap ? 0x08 : 0) | (kAlignTop << 4)).u8(0).u8(0).u8(0xFC);
  if (borders) {
    // thin (1) on all four sides, automatic colour (64)
    x.u32(0x1111u | (64u << 16) | (64u << 23));
    x.u32(64u | (64u << 7));
  } else {
    x.u32(0).u32(0);
  }
  x.u16(0x20C0);
  return x.b;
}

QByteArray bof(int kind) {
  Bytes b;
  b.u16(0x0600).u16(kind).u16(0x0DBB).u16(0x07CC).u32(0).u32(6);
  return b.b;
}

// One worksheet's share of the list.
struct SheetPart {
  QString name;
  bool first = false;
  int firstRow = 0;    // index of its first list row
  int rowCount = 0;    // list rows on it
  int headerRow = 0;   // sheet row of the captions
  bool footer = false;
  int footerRow = 0;
  bool captions = true;
};

class XlsWriter : public ExportWriter {
 public:
  QString filter() const override {
    return QStringLiteral("Таблица") + QStringLiteral("(MSExcel)|*.xls|") + QStringLiteral("Всички") +
           QStringLiteral("|*.*");
  }
  QString extension() const override { return QStringLiteral("*.xls"); }

  bool write(const QList<ExportColumn> &columns, const ExportRows &rows, const ExportLayout &layout, QIODevice &out,
             const ExportProgress &progress) override;

 private:
  // The shared strings, each once, in order of first use.
  QHash<QString, quint32> index_;
  QStringList strings_;
  quint32 uses_ = 0;
  quint32 intern(QString s) {
    if (s.isEmpty()) return kEmpty;
    if (s.size() > kMaxCellText) s.truncate(kMaxCellText);
    ++uses_;
    const auto it = index_.constFind(s);
    if (it != index_.cend()) return it.value();
    const quint32 i = static_cast<quint32>(strings_.size());
    index_.insert(s, i);
    strings_ << s;
    return i;
  }

  int ncols_ = 0;
  std::vector<quint32> header_, title_, cells_;  // shared string numbers
  quint32 footer_ = kEmpty;
  int footerLines_ = 0;
  std::vector<int> widths_;  // in 1/256 of a character
  std::vector<bool> right_;
  std::vector<SheetPart> parts_;
  int pt_ = kDefaultPt;
  bool landscape_ = true;

  void planSheets(int listRows, bool footer);
  void writeGlobals(Sink &s, const std::vector<qint64> &sheetOffsets);
  void writeSst(Sink &s);
  void writeSheet(Sink &s, const SheetPart &p);
  void wholeRow(Sink &s, int row, quint32 text, int xf);
};

void XlsWriter::planSheets(int listRows, bool footer) {
  parts_.clear();
  const int titleRows = static_cast<int>(title_.size());
  SheetPart p;
  p.first = true;
  p.headerRow = titleRows + 1;
  int next = 0;
  for (int sheet = 1;; ++sheet) {
    p.name = QStringLiteral("Лист%1").arg(sheet);
    p.firstRow = next;
    p.rowCount = std::min(listRows - next, kSheetRows - (p.headerRow + 1));
    next += p.rowCount;
    if (next >= listRows) {
      const int after = p.headerRow + p.rowCount + 2;  // one empty row, then the footer
      if (footer && after < kSheetRows) {
        p.footer = true;
        p.footerRow = after;
      }
      parts_.push_back(p);
      if (footer && !parts_.back().footer) {
        // No room left under the list: the footer has a sheet of its own.
        SheetPart f;
        f.name = QStringLiteral("Лист%1").arg(sheet + 1);
        f.firstRow = listRows;
        f.captions = false;
        f.footer = true;
        f.footerRow = 1;
        parts_.push_back(f);
      }
      return;
    }
    parts_.push_back(p);
    p = SheetPart{};
    p.headerRow = 0;
  }
}

bool XlsWriter::write(const QList<ExportColumn> &columns, const ExportRows &rows, const ExportLayout &layout,
                      QIODevice &out, const ExportProgress &progress) {
  if (columns.isEmpty()) return fail(kNoColumnsChosen);
  if (columns.size() > kSheetColumns)
    return fail(QStringLiteral("Работният лист побира най-много %1 колони.").arg(kSheetColumns));
  const QStringList titleLines = MemoLines(layout.title);
  if (titleLines.size() > kSheetRows - 3) return fail(QStringLiteral("Заглавието има твърде много редове."));
  ncols_ = static_cast<int>(columns.size());
  pt_ = layout.fontSize > 0 ? layout.fontSize : kDefaultPt;
  landscape_ = layout.landscape;
  index_.clear();
  strings_.clear();
  uses_ = 0;
  header_.clear();
  title_.clear();
  cells_.clear();
  right_.clear();

  // The contents, with the widest text of every column.
  std::vector<int> chars(static_cast<size_t>(ncols_), 0);
  const auto measure = [&](int c, const QString &s, double factor) {
    qsizetype n = s.size();
    while (n > 0 && s[n - 1] == QLatin1Char(' ')) --n;
    chars[static_cast<size_t>(c)] = std::max(chars[static_cast<size_t>(c)], static_cast<int>(std::ceil(n * factor)));
  };
  for (const QString &line : titleLines) title_.push_back(intern(line));
  for (int c = 0; c < ncols_; ++c) {
    header_.push_back(intern(columns[c].caption));
    right_.push_back(columns[c].alignRight);
    measure(c, columns[c].caption, 1.15);  // bold
  }
  const int n = rows.count();
  cells_.reserve(static_cast<size_t>(n) * static_cast<size_t>(ncols_));
  QStringList values;
  for (int r = 0; r < n; ++r) {
    rows.cells(r, values);
    for (int c = 0; c < ncols_; ++c) {
      const QString v = c < values.size() ? values[c] : QString();
      cells_.push_back(intern(v));
      measure(c, v, 1.0);
    }
    if (progress) progress(r + 1, n);
  }
  footer_ = layout.footer.isEmpty() ? kEmpty : intern(layout.footer);
  footerLines_ = static_cast<int>(std::max<qsizetype>(1, MemoLines(layout.footer).size()));
  widths_.clear();
  for (const int w : chars) widths_.push_back(std::clamp(w + 2, 3, 255) * 256);

  planSheets(n, footer_ != kEmpty);

  // Sizes first: the workbook part names the offset of every worksheet.
  std::vector<qint64> offsets(parts_.size(), 0);
  Sink counter;
  writeGlobals(counter, offsets);
  qint64 at = counter.pos;
  for (size_t i = 0; i < parts_.size(); ++i) {
    offsets[i] = at;
    Sink sheet;
    writeSheet(sheet, parts_[i]);
    at += sheet.pos;
  }

  // The compound file goes to the device through a stdio stream of its own.
  cookie_io_functions_t io{};
  io.write = [](void *c, const char *buf, size_t size) -> ssize_t {
    const qint64 w = static_cast<QIODevice *>(c)->write(buf, static_cast<qint64>(size));
    return w < 0 ? -1 : static_cast<ssize_t>(w);
  };
  io.read = [](void *c, char *buf, size_t size) -> ssize_t {
    const qint64 r = static_cast<QIODevice *>(c)->read(buf, static_cast<qint64>(size));
    return r < 0 ? -1 : static_cast<ssize_t>(r);
  };
  io.seek = [](void *c, off64_t *offset, int whence) -> int {
    auto *d = static_cast<QIODevice *>(c);
    qint64 target = *offset;
    if (whence == SEEK_CUR) target += d->pos();
    if (whence == SEEK_END) target += d->size();
    if (target < 0 || !d->seek(target)) return -1;
    *offset = target;
    return 0;
  };
  io.close = [](void *) -> int { return 0; };
  FILE *file = fopencookie(&out, "w", io);
  if (!file) return fail(QStringLiteral("Файлът не може да бъде отворен за запис."));

  static const bool ready = (gsf_init(), true);
  (void)ready;
  GsfOutput *sink = gsf_output_stdio_new_FILE("workbook.xls", file, TRUE);
  GsfOutfile *ole = sink ? gsf_outfile_msole_new(sink) : nullptr;
  GsfOutput *stream = ole ? gsf_outfile_new_child(ole, "Workbook", FALSE) : nullptr;
  bool ok = stream != nullptr;
  if (ok) {
    Sink s(stream);
    writeGlobals(s, offsets);
    for (const SheetPart &p : parts_) writeSheet(s, p);
    ok = s.flush();
    ok = gsf_output_close(stream) && ok;
  }
  if (stream) g_object_unref(stream);
  // Closing the compound file closes its sink as well.
  if (ole) {
    ok = gsf_output_close(GSF_OUTPUT(ole)) && ok;
    g_object_unref(ole);
  }
  if (sink) {
    if (!gsf_output_is_closed(sink)) ok = gsf_output_close(sink) && ok;
    g_object_unref(sink);
  }
  ok = fclose(file) == 0 && ok;
  index_.clear();
  strings_.clear();
  cells_ = {};
  if (!ok) return fail(out.errorString().isEmpty() ? QStringLiteral("Файлът не може да бъде записан.")
                                                    : out.errorString());
  return true;
}

void XlsWriter::writeGlobals(Sink &s, const std::vector<qint64> &sheetOffsets) {
  s.record(rBOF, bof(0x0005));
  s.record(rINTERFACEHDR, Bytes().u16(0x04B0));
  s.record(rMMS, Bytes().u16(0));
  s.record(rINTERFACEEND, QByteArray());
  s.record(rCODEPAGE, Bytes().u16(0x04B0));
  s.record(rDSF, Bytes().u16(0));
  Bytes tabs;
  for (size_t i = 0; i < parts_.size(); ++i) tabs.u16(static_cast<int>(i) + 1);
  s.record(rTABID, tabs);
  s.record(rWINDOWPROTECT, Bytes().u16(0));
  s.record(rPROTECT, Bytes().u16(0));
  s.record(rPASSWORD, Bytes().u16(0));
  s.record(rWINDOW1, Bytes().u16(0x0168).u16(0x001E).u16(0x3A5C).u16(0x2328).u16(0x0038).u16(0).u16(0).u16(1).u16(
                         0x0258));
  s.record(rBACKUP, Bytes().u16(0));
  s.record(rHIDEOBJ, Bytes().u16(0));
  s.record(rDATEMODE, Bytes().u16(0));
  s.record(rPRECISION, Bytes().u16(1));
  s.record(rBOOKBOOL, Bytes().u16(0));
  for (int i = 0; i < 4; ++i) s.record(rFONT, fontRecord(pt_, false));
  s.record(rFONT, fontRecord(pt_, true));
  for (int i = 0; i < 15; ++i) s.record(rXF, styleXf());
  s.record(rXF, cellXf(kFontNormal, kFmtGeneral, kAlignGeneral, false, false));  // 15, the default
  const int firstAlign = !right_.empty() && right_[0] ? kAlignRight : kAlignLeft;
  s.record(rXF, cellXf(kFontBold, kFmtText, kAlignCentre, false, true));    // header
  s.record(rXF, cellXf(kFontNormal, kFmtText, kAlignLeft, false, true));    // values, left
  s.record(rXF, cellXf(kFontNormal, kFmtText, kAlignRight, false, true));   // values, right
  s.record(rXF, cellXf(kFontBold, kFmtText, firstAlign, false, true));      // title
  s.record(rXF, cellXf(kFontNormal, kFmtText, firstAlign, true, true));     // footer
  s.record(rXF, cellXf(kFontNormal, kFmtGeneral, kAlignGeneral, false, true));  // the rest of the sheet
  s.record(rSTYLE, Bytes().u16(0x8000).u8(0).u8(0xFF));
  for (size_t i = 0; i < parts_.size(); ++i) {
    Bytes b;
    b.u32(static_cast<quint32>(sheetOffsets[i])).u8(0).u8(0).shortText(parts_[i].name);
    s.record(rBOUNDSHEET, b);
  }
  writeSst(s);
  s.record(rEOF, QByteArray());
}

void XlsWriter::writeSst(Sink &s) {
  const quint32 unique = static_cast<quint32>(strings_.size());
  const quint32 bucket = std::max<quint32>(8, (unique + 1026) / 1027);
  Bytes ext;
  ext.u16(static_cast<int>(bucket));
  Bytes cur;
  cur.b.reserve(kMaxRecord + 16);
  cur.u32(uses_).u32(unique);
  quint16 type = rSST;
  const auto nextRecord = [&] {
    s.record(type, cur);
    cur.b.clear();
    type = rCONTINUE;
  };
  for (quint32 i = 0; i < unique; ++i) {
    const QString &str = strings_[static_cast<qsizetype>(i)];
    const bool wide = std::any_of(str.begin(), str.end(), [](QChar c) { return c.unicode() > 0xFF; });
    const int unit = wide ? 2 : 1;
    // The length and flags of a string never part; its characters may, a
    // continuation then starting with the flags again.
    if (cur.b.size() + 3 + (str.isEmpty() ? 0 : unit) > kMaxRecord) nextRecord();
    if (i % bucket == 0) {
      const qint64 inRecord = 4 + cur.b.size();
      ext.u32(static_cast<quint32>(s.pos + inRecord)).u16(static_cast<int>(inRecord)).u16(0);
    }
    cur.u16(static_cast<int>(str.size())).u8(wide ? 1 : 0);
    qsizetype done = 0;
    while (done < str.size()) {
      qsizetype room = (kMaxRecord - cur.b.size()) / unit;
      if (room <= 0) {
        nextRecord();
        cur.u8(wide ? 1 : 0);
        continue;
      }
      const qsizetype take = std::min(room, str.size() - done);
      const qsizetype at = cur.b.size();
      cur.b.resize(at + take * unit);
      char *p = cur.b.data() + at;
      for (qsizetype k = done; k < done + take; ++k) {
        const char16_t c = str[k].unicode();
        *p++ = static_cast<char>(c & 0xFF);
        if (wide) *p++ = static_cast<char>(c >> 8);
      }
      done += take;
      if (done < str.size()) {
        nextRecord();
        cur.u8(wide ? 1 : 0);
      }
    }
  }
  nextRecord();
  s.record(rEXTSST, ext);
}

// A cell holding text across the whole table: its text in the first cell,
// the others blank in the same format, merged afterwards.
void XlsWriter::wholeRow(Sink &s, int row, quint32 text, int xf) {
  if (text == kEmpty) {
    s.record(rBLANK, Bytes().u16(row).u16(0).u16(xf));
  } else {
    s.record(rLABELSST, Bytes().u16(row).u16(0).u16(xf).u32(text));
  }
  if (ncols_ > 1) {
    Bytes b;
    b.u16(row).u16(1);
    for (int c = 1; c < ncols_; ++c) b.u16(xf);
    b.u16(ncols_ - 1);
    s.record(rMULBLANK, b);
  }
}

void XlsWriter::writeSheet(Sink &s, const SheetPart &p) {
  s.record(rBOF, bof(0x0010));
  const int rowHeight = static_cast<int>(std::lround(pt_ * 25.5));  // twips; 255 for 10 points
  s.record(rDEFAULTROWHEIGHT, Bytes().u16(0).u16(rowHeight));
  // Letter-independent A4 set-up, in the orientation chosen.
  s.record(rSETUP, Bytes().u16(9).u16(100).u16(1).u16(1).u16(1).u16(landscape_ ? 0x0000 : 0x0002).u16(600).u16(600).f64(
                       0.5).f64(0.5).u16(1));
  s.record(rDEFCOLWIDTH, Bytes().u16(8));
  for (int c = 0; c < ncols_; ++c)
    s.record(rCOLINFO, Bytes().u16(c).u16(c).u16(widths_[static_cast<size_t>(c)]).u16(
                           right_[static_cast<size_t>(c)] ? xfRight : xfLeft).u16(0).u16(0));
  if (ncols_ < kSheetColumns)
    s.record(rCOLINFO, Bytes().u16(ncols_).u16(kSheetColumns - 1).u16(0x0924).u16(xfOther).u16(0).u16(0));

  int lastRow = p.captions ? p.headerRow + p.rowCount : 0;
  if (p.footer) lastRow = p.footerRow;
  s.record(rDIMENSIONS, Bytes().u32(0).u32(static_cast<quint32>(lastRow + 1)).u16(0).u16(ncols_).u16(0));

  std::vector<int> merged;
  if (p.first)
    for (size_t i = 0; i < title_.size(); ++i) {
      wholeRow(s, static_cast<int>(i), title_[i], xfTitle);
      if (ncols_ > 1) merged.push_back(static_cast<int>(i));
    }
  if (p.captions) {
    for (int c = 0; c < ncols_; ++c) {
      const quint32 h = header_[static_cast<size_t>(c)];
      if (h == kEmpty)
        s.record(rBLANK, Bytes().u16(p.headerRow).u16(c).u16(xfHeader));
      else
        s.record(rLABELSST, Bytes().u16(p.headerRow).u16(c).u16(xfHeader).u32(h));
    }
    for (int r = 0; r < p.rowCount; ++r) {
      const int row = p.headerRow + 1 + r;
      const quint32 *cell = cells_.data() + static_cast<size_t>(p.firstRow + r) * static_cast<size_t>(ncols_);
      for (int c = 0; c < ncols_; ++c)
        if (cell[c] != kEmpty)
          s.labelSst(row, c, right_[static_cast<size_t>(c)] ? xfRight : xfLeft, cell[c]);
    }
  }
  if (p.footer) {
    // A footer of several lines gets a row high enough for all of them.
    const int height = static_cast<int>(std::min<long>(0x7FFF, std::lround(pt_ * 25.5) * footerLines_));
    s.record(rROW, Bytes().u16(p.footerRow).u16(0).u16(ncols_).u16(height).u16(0).u16(0).u32(0x00000140u | (15u << 16)));
    wholeRow(s, p.footerRow, footer_, xfFooter);
    if (ncols_ > 1) merged.push_back(p.footerRow);
  }

  s.record(rWINDOW2, Bytes().u16(p.first ? 0x06B6 : 0x00B6).u16(0).u16(0).u32(64).u16(0).u16(0).u32(0));
  for (size_t at = 0; at < merged.size(); at += 1026) {
    const size_t count = std::min<size_t>(1026, merged.size() - at);
    Bytes m;
    m.u16(static_cast<int>(count));
    for (size_t k = at; k < at + count; ++k) m.u16(merged[k]).u16(merged[k]).u16(0).u16(ncols_ - 1);
    s.record(rMERGEDCELLS, m);
  }
  s.record(rEOF, QByteArray());
}

}  // namespace

std::unique_ptr<ExportWriter> MakeXlsWriter() { return std::make_unique<XlsWriter>(); }

}  // namespace zv
