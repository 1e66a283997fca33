#include "ExportWriter.h"

#include <QSaveFile>
#include <QStringDecoder>
#include <array>

#include "ExportFormats.h"

namespace zv {

const QString kNoColumnsChosen = QStringLiteral("Няма избрани колони за извеждане") + QStringLiteral(" !");

namespace {

// Character -> Windows-1251 byte, built once from the code page itself.
struct Cp1251Table {
  std::array<std::int16_t, 0x10000> code{};
  Cp1251Table() {
    code.fill(-1);
    for (int b = 0; b < 0x80; ++b) code[static_cast<size_t>(b)] = static_cast<std::int16_t>(b);
    QStringDecoder dec("windows-1251");
    for (int b = 0x80; b < 0x100; ++b) {
      const char byte = static_cast<char>(b);
      const QString s = dec.decode(QByteArrayView(&byte, 1));
      if (s.size() == 1 && s[0] != QChar::ReplacementCharacter) code[s[0].unicode()] = static_cast<std::int16_t>(b);
    }
  }
};

const Cp1251Table &cp1251() {
  static const Cp1251Table table;
  return table;
}

}  // namespace

int Cp1251Code(char16_t c) { return cp1251().code[c]; }

// --------------------------------------------------------------- helpers

QString FileDialogFilter(const QString &pairs) {
  const QStringList parts = pairs.split(QLatin1Char('|'));
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2)
    out << parts[i] + QStringLiteral(" (") + parts[i + 1] + QLatin1Char(')');
  return out.join(QStringLiteral(";;"));
}

QString ExtensionSuffix(const QString &extension) {
  const qsizetype dot = extension.lastIndexOf(QLatin1Char('.'));
  return dot < 0 ? extension : extension.mid(dot + 1);
}

QStringList MemoLines(const QString &text) {
  if (text.isEmpty()) return {};
  QString t = text;
  t.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
  t.replace(QLatin1Char('\r'), QLatin1Char('\n'));
  QStringList lines = t.split(QLatin1Char('\n'));
  if (lines.size() > 1 && lines.last().isEmpty()) lines.removeLast();
  return lines;
}

QString JoinCells(const QStringList &cells, const QString &delimiter) {
  QString line;
  for (const QString &c : cells) line += c + delimiter;
  line.chop(cells.isEmpty() ? 0 : delimiter.size());
  return line;
}

QString NextColumnLetter(const QString &letters) {
  const QString s = letters.toUpper();
  if (s.isEmpty()) return QStringLiteral("A");
  const QChar last = s.back();
  if (last != QLatin1Char('Z')) return s.left(s.size() - 1) + QChar(last.unicode() + 1);
  if (s.size() == 1) return QStringLiteral("AA");
  return QString(QChar(s.front().unicode() + 1)) + QLatin1Char('A');
}

// --------------------------------------------------------------- text

namespace {

// The header line and one line per row, every line ended by CR LF, in
// Windows-1251. Values go out as they are: no quoting, no escaping.
class TextWriter : public ExportWriter {
 public:
  QString filter() const override {
    return QStringLiteral("Текстов файл") + QStringLiteral("|*.txt|") + QStringLiteral("Всички") +
           QStringLiteral("|*.*");
  }
  QString extension() const override { return QStringLiteral("*.txt"); }

  bool write(const QList<ExportColumn> &columns, const ExportRows &rows, const ExportLayout &layout, QIODevice &out,
             const ExportProgress &progress) override {
    if (columns.isEmpty()) return fail(kNoColumnsChosen);
    QStringList cells;
    for (const ExportColumn &c : columns) cells << c.caption;
    QByteArray buf;
    buf.reserve(1 << 20);
    if (!line(JoinCells(cells, layout.delimiter), buf)) return false;
    const int n = rows.count();
    for (int r = 0; r < n; ++r) {
      rows.cells(r, cells);
      if (!line(JoinCells(cells, layout.delimiter), buf)) return false;
      if (buf.size() >= (1 << 20) && !flush(buf, out)) return false;
      if (progress) progress(r + 1, n);
    }
    return flush(buf, out);
  }

 private:
  bool line(const QString &text, QByteArray &buf) {
    const Cp1251Table &t = cp1251();
    const qsizetype at = buf.size();
    buf.resize(at + text.size() + 2);
    char *out = buf.data() + at;
    for (const QChar ch : text) {
      const int b = t.code[ch.unicode()];
      if (b < 0)
        return fail(QStringLiteral("Текстът „%1“ съдържа знак, който няма място в кодовата таблица Windows-1251.")
                        .arg(text.left(80)));
      *out++ = static_cast<char>(b);
    }
    *out++ = '\r';
    *out = '\n';
    return true;
  }
  bool flush(QByteArray &buf, QIODevice &out) {
    if (!buf.isEmpty() && out.write(buf) != buf.size()) return fail(out.errorString());
    buf.clear();
    return true;
  }
};

}  // namespace

std::unique_ptr<ExportWriter> MakeExportWriter(ExportType type) {
  switch (type) {
    case ExportType::Word: return MakeRtfWriter();
    case ExportType::Excel: return MakeXlsWriter();
    case ExportType::Text: break;
  }
  return std::make_unique<TextWriter>();
}

bool WriteExportFile(ExportWriter &writer, const QString &path, const QList<ExportColumn> &columns,
                     const ExportRows &rows, const ExportLayout &layout, const ExportProgress &progress) {
  QSaveFile file(path);
  const auto cannot = [&] {
    writer.setErrorText(QStringLiteral("Файлът „%1“ не може да бъде записан: %2").arg(path, file.errorString()));
  };
  if (!file.open(QIODevice::WriteOnly)) {
    cannot();
    return false;
  }
  if (!writer.write(columns, rows, layout, file, progress)) {
    file.cancelWriting();
    return false;
  }
  if (!file.commit()) {
    cannot();
    return false;
  }
  return true;
}

}  // namespace zv
