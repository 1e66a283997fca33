// The three export writers, each read back by a reader we did not write.
#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QJsonArray>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTemporaryDir>

#include "ExportColumns.h"
#include "ExportWriter.h"
#include "Readers.h"

using namespace zv;

namespace {

QByteArray cp1251(const QString &s) {
  QStringEncoder enc("windows-1251");
  return enc.encode(s);
}

QList<ExportColumn> captions(const QStringList &names, int rightAt = -1) {
  QList<ExportColumn> out;
  for (int i = 0; i < names.size(); ++i) out << ExportColumn{names[i], i == rightAt};
  return out;
}

const QList<QStringList> kRows = {{QStringLiteral("1"), QStringLiteral("Иван Петров"), QStringLiteral("2,5")},
                                  {QStringLiteral("2"), QString(), QStringLiteral("10.25")},
                                  {QStringLiteral("3"), QStringLiteral("Мария Д'Арк"), QString()}};
const QStringList kCaptions = {QStringLiteral("  №"), QStringLiteral("Име"), QStringLiteral("Доход")};

QString write(ExportType type, const QString &path, const QList<ExportColumn> &cols, const QList<QStringList> &rows,
              const ExportLayout &layout) {
  auto w = MakeExportWriter(type);
  const RowList list(rows);
  EXPECT_TRUE(WriteExportFile(*w, path, cols, list, layout)) << w->errorText().toStdString();
  return path;
}

QStringList texts(const QJsonArray &row) {
  QStringList out;
  for (const auto &v : row) out << v.toString();
  return out;
}

}  // namespace

TEST(TextExport, LinesAreWrittenAsTheyAreInWindows1251) {
  struct Case {
    QString delimiter;
    QList<QStringList> rows;
    QString expected;
  };
  const QList<Case> cases = {
      {QStringLiteral("|"), kRows,
       QStringLiteral("  №|Име|Доход\r\n1|Иван Петров|2,5\r\n2||10.25\r\n3|Мария Д'Арк|\r\n")},
      {QString(), kRows, QStringLiteral("  №ИмеДоход\r\n1Иван Петров2,5\r\n210.25\r\n3Мария Д'Арк\r\n")},
      // a delimiter of several characters is cut off whole
      {QStringLiteral(" ; "), kRows,
       QStringLiteral("  № ; Име ; Доход\r\n1 ; Иван Петров ; 2,5\r\n2 ;  ; 10.25\r\n3 ; Мария Д'Арк ; \r\n")},
      // an empty list gives the header line alone
      {QStringLiteral("|"), {}, QStringLiteral("  №|Име|Доход\r\n")},
      // no quoting: a value with the delimiter or a line break shifts or splits its line
      {QStringLiteral("|"), {{QStringLiteral("a|b"), QStringLiteral("x\ny"), QStringLiteral("\"q\"")}},
       QStringLiteral("  №|Име|Доход\r\na|b|x\ny|\"q\"\r\n")},
  };
  QTemporaryDir dir;
  for (const Case &c : cases) {
    ExportLayout layout;
    layout.delimiter = c.delimiter;
    layout.title = QStringLiteral("не се записва");
    const QString path = write(ExportType::Text, dir.filePath(QStringLiteral("list.txt")), captions(kCaptions), c.rows,
                               layout);
    EXPECT_EQ(readers::fileBytes(path), cp1251(c.expected)) << c.delimiter.toStdString();
  }
}

TEST(TextExport, RefusesWhatItCannotWriteAndKeepsTheEarlierFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("list.txt"));
  QFile earlier(path);
  ASSERT_TRUE(earlier.open(QIODevice::WriteOnly));
  earlier.write("earlier");
  earlier.close();

  auto w = MakeExportWriter(ExportType::Text);
  const RowList rows(kRows);
  ExportLayout layout;
  EXPECT_FALSE(WriteExportFile(*w, path, {}, rows, layout));
  EXPECT_EQ(w->errorText(), QStringLiteral("Няма избрани колони за извеждане !"));
  // a character Windows-1251 has no code for is refused, never written as "?"
  layout.delimiter = QStringLiteral("→");
  EXPECT_FALSE(WriteExportFile(*w, path, captions(kCaptions), rows, layout));
  EXPECT_TRUE(w->errorText().contains(QStringLiteral("Windows-1251")));
  EXPECT_EQ(readers::fileBytes(path), QByteArray("earlier"));
  // a folder that is not there
  EXPECT_FALSE(WriteExportFile(*w, dir.filePath(QStringLiteral("no/such/list.txt")), captions(kCaptions), rows,
                               ExportLayout{}));
  EXPECT_FALSE(w->errorText().isEmpty());
}

TEST(ExportHelpers, FiltersMemoLinesAndColumnLetters) {
  EXPECT_EQ(MakeExportWriter(ExportType::Word)->filter(), QStringLiteral("Документи(MSWord)|*.doc|Всички|*.*"));
  EXPECT_EQ(MakeExportWriter(ExportType::Excel)->filter(), QStringLiteral("Таблица(MSExcel)|*.xls|Всички|*.*"));
  EXPECT_EQ(MakeExportWriter(ExportType::Text)->filter(), QStringLiteral("Текстов файл|*.txt|Всички|*.*"));
  EXPECT_EQ(MakeExportWriter(ExportType::Excel)->extension(), QStringLiteral("*.xls"));
  EXPECT_EQ(FileDialogFilter(QStringLiteral("Текстов файл|*.txt|Всички|*.*")),
            QStringLiteral("Текстов файл (*.txt);;Всички (*.*)"));

  const QList<std::pair<QString, QStringList>> memos = {{QString(), {}},
                                                        {QStringLiteral("a"), {"a"}},
                                                        {QStringLiteral("a\n"), {"a"}},
                                                        {QStringLiteral("a\r\n\r\nb"), {"a", "", "b"}},
                                                        {QStringLiteral("\n"), {""}}};
  for (const auto &[text, lines] : memos) EXPECT_EQ(MemoLines(text), lines) << text.toStdString();

  const QList<std::pair<QString, QString>> letters = {{"A", "B"},   {"Y", "Z"},   {"Z", "AA"}, {"AB", "AC"},
                                                      {"AZ", "BA"}, {"az", "BA"}, {"IU", "IV"}, {"c", "D"}};
  for (const auto &[from, to] : letters) EXPECT_EQ(NextColumnLetter(from), to) << from.toStdString();
  QString col = QStringLiteral("A");
  for (int i = 1; i < 256; ++i) col = NextColumnLetter(col);
  EXPECT_EQ(col, QStringLiteral("IV"));
}

TEST(ColumnList, TicksAndDragAndDrop) {
  const auto list = [](const QString &order) {
    QList<ColumnEntry> out;
    for (const QChar c : order) out << ColumnEntry{QString(c), QString(c), true};
    return out;
  };
  const auto order = [](const QList<ColumnEntry> &l) {
    QString s;
    for (const auto &e : l) s += e.caption;
    return s;
  };
  struct Case {
    int from, on;
    QString expected;
  };
  // the index under the drop point is used after the entry is taken out;
  // below the last entry (-1) puts it at the top
  for (const Case &c : QList<Case>{{0, 2, "BCAD"}, {3, 0, "DABC"}, {0, 3, "BCDA"}, {2, -1, "CABD"}, {1, 2, "ACBD"}}) {
    QList<ColumnEntry> l = list(QStringLiteral("ABCD"));
    l[c.from].ticked = false;
    MoveEntry(l, c.from, c.on);
    EXPECT_EQ(order(l), c.expected) << c.from << "->" << c.on;
    // the entry keeps its tick and its field
    const auto moved = std::find_if(l.begin(), l.end(), [](const ColumnEntry &e) { return !e.ticked; });
    EXPECT_EQ(moved->field, QString(QChar(u'A' + c.from)));
  }
  QList<ColumnEntry> l = list(QStringLiteral("ABC"));
  l[1].ticked = false;
  InvertTicks(l);
  EXPECT_EQ(ChosenColumns(l).size(), 1);
  EXPECT_EQ(ChosenColumns(l)[0].caption, QStringLiteral("B"));
  TickAll(l);
  EXPECT_EQ(ChosenFields(l), QStringList({"A", "B", "C"}));
  TickNone(l);
  EXPECT_TRUE(ChosenColumns(l).isEmpty());
}

TEST(ExcelExport, LayoutAsXlrdAndXls2csvReadIt) {
  QTemporaryDir dir;
  ExportLayout layout;
  layout.title = QStringLiteral("Списък\nна картотеката\nкъм днес");
  layout.footer = QStringLiteral("Проверил:\nподпис");
  layout.fontSize = 14;
  const QString path =
      write(ExportType::Excel, dir.filePath(QStringLiteral("list.xls")), captions(kCaptions, 2), kRows, layout);

  const QJsonObject book = readers::readXls(path);
  const QJsonArray sheets = book.value("sheets").toArray();
  ASSERT_EQ(sheets.size(), 1);
  const QJsonObject s = sheets[0].toObject();
  const QJsonArray rows = s.value("rows").toArray();
  // title in rows 1-3, header in row 5, data from row 6, one empty row, footer
  ASSERT_EQ(rows.size(), 3 + 1 + 1 + 3 + 1 + 1);
  EXPECT_EQ(texts(rows[0].toArray()), QStringList({"Списък", "", ""}));
  EXPECT_EQ(texts(rows[2].toArray()), QStringList({"към днес", "", ""}));
  EXPECT_EQ(texts(rows[3].toArray()), QStringList({"", "", ""}));
  EXPECT_EQ(texts(rows[4].toArray()), kCaptions);
  EXPECT_EQ(texts(rows[5].toArray()), kRows[0]);
  EXPECT_EQ(texts(rows[6].toArray()), kRows[1]);
  EXPECT_EQ(texts(rows[7].toArray()), kRows[2]);
  EXPECT_EQ(texts(rows[8].toArray()), QStringList({"", "", ""}));
  EXPECT_EQ(texts(rows[9].toArray()), QStringList({"Проверил:\nподпис", "", ""}));
  EXPECT_EQ(s.value("merged").toArray(),
            QJsonDocument::fromJson("[[0,1,0,3],[1,2,0,3],[2,3,0,3],[9,10,0,3]]").array());

  const QJsonArray fmt = s.value("fmt").toArray();
  const auto cell = [&](int r, int c) { return fmt[r].toArray()[c].toObject(); };
  for (int c = 0; c < 3; ++c) {
    EXPECT_TRUE(cell(0, c).value("bold").toBool());   // title
    EXPECT_TRUE(cell(4, c).value("bold").toBool());   // header
    EXPECT_EQ(cell(4, c).value("align").toInt(), 2);  // centred
    EXPECT_EQ(cell(4, c).value("format").toString(), QStringLiteral("@"));
    EXPECT_FALSE(cell(5, c).value("bold").toBool());
    EXPECT_EQ(cell(5, c).value("format").toString(), QStringLiteral("@"));
    EXPECT_EQ(cell(5, c).value("align").toInt(), c == 2 ? 3 : 1);  // right for the floating column
    for (int r : {0, 4, 5, 9}) {
      EXPECT_EQ(cell(r, c).value("height").toInt(), 14 * 20);
      EXPECT_EQ(cell(r, c).value("vert").toInt(), 0);    // top
      EXPECT_EQ(cell(r, c).value("border").toInt(), 1);  // thin
    }
  }
  // widths follow the contents: the name column is the widest
  const QJsonArray widths = s.value("widths").toArray();
  EXPECT_GT(widths[1].toInt(), widths[0].toInt());
  EXPECT_GE(widths[1].toInt(), 11 * 256);

  const readers::Run csv = readers::run(QStringLiteral("xls2csv"), {QStringLiteral("-d"), QStringLiteral("utf-8"), path});
  EXPECT_EQ(csv.status, 0);
  const QString text = QString::fromUtf8(csv.out);
  EXPECT_TRUE(text.contains(QStringLiteral("\"  №\",\"Име\",\"Доход\""))) << text.toStdString();
  EXPECT_TRUE(text.contains(QStringLiteral("\"3\",\"Мария Д'Арк\"\n"))) << text.toStdString();
}

TEST(ExcelExport, HeaderRowFollowsTheTitleLines) {
  QTemporaryDir dir;
  struct Case {
    QString title;
    QList<QStringList> rows;
    int headerRow;  // 0-based
  };
  for (const Case &c : QList<Case>{{QString(), kRows, 1}, {QStringLiteral("един ред"), {}, 2}}) {
    ExportLayout layout;
    layout.title = c.title;
    const QString path =
        write(ExportType::Excel, dir.filePath(QStringLiteral("t.xls")), captions(kCaptions), c.rows, layout);
    const QJsonArray rows =
        readers::readXls(path).value("sheets").toArray()[0].toObject().value("rows").toArray();
    ASSERT_EQ(rows.size(), c.headerRow + 1 + c.rows.size());
    EXPECT_EQ(texts(rows[c.headerRow].toArray()), kCaptions);
    if (!c.rows.isEmpty()) {
      EXPECT_EQ(texts(rows[c.headerRow + 1].toArray()), c.rows[0]);
    }
  }
}

TEST(ExcelExport, TwentySevenColumnsReachAA) {
  QTemporaryDir dir;
  QStringList names;
  QStringList values;
  for (int i = 1; i <= 27; ++i) {
    names << QStringLiteral("Колона %1").arg(i);
    values << QStringLiteral("с%1").arg(i);
  }
  const QString path =
      write(ExportType::Excel, dir.filePath(QStringLiteral("wide.xls")), captions(names), {values}, ExportLayout{});
  const QJsonObject s = readers::readXls(path).value("sheets").toArray()[0].toObject();
  const QJsonArray rows = s.value("rows").toArray();
  ASSERT_EQ(rows.size(), 3);
  EXPECT_EQ(texts(rows[1].toArray()), names);
  EXPECT_EQ(rows[2].toArray()[26].toString(), QStringLiteral("с27"));  // column AA
}

TEST(ExcelExport, SharedStringsContinuePastTheRecordLimit) {
  QTemporaryDir dir;
  QList<QStringList> rows;
  for (int i = 0; i < 3000; ++i) rows << QStringList{QStringLiteral("Стойност номер %1 от списъка").arg(i)};
  // long texts that must be split over several records, in both encodings
  rows << QStringList{QString(9000, QChar(u'ж')) + QStringLiteral("край")};
  rows << QStringList{QString(9001, QLatin1Char('x')) + QStringLiteral("end")};
  rows << QStringList{QStringLiteral("Стойност номер 7 от списъка")};  // shared with row 7
  const QString path =
      write(ExportType::Excel, dir.filePath(QStringLiteral("sst.xls")), captions({"Текст"}), rows, ExportLayout{});
  const QJsonArray got = readers::readXls(path).value("sheets").toArray()[0].toObject().value("rows").toArray();
  ASSERT_EQ(got.size(), 2 + rows.size());
  for (int i = 0; i < rows.size(); ++i) ASSERT_EQ(got[2 + i].toArray()[0].toString(), rows[i][0]) << i;

  const readers::Run csv = readers::run(QStringLiteral("xls2csv"), {QStringLiteral("-d"), QStringLiteral("utf-8"), path});
  EXPECT_EQ(csv.status, 0);
  const QString text = QString::fromUtf8(csv.out);
  EXPECT_TRUE(text.contains(QStringLiteral("\"Стойност номер 2999 от списъка\"")));
  EXPECT_TRUE(text.contains(QString(9000, QChar(u'ж')) + QStringLiteral("край")));
}

TEST(ExcelExport, ALongListGoesOnOverFurtherSheets) {
  QTemporaryDir dir;
  QList<QStringList> rows;
  for (int i = 1; i <= 70000; ++i) rows << QStringList{QString::number(i)};
  ExportLayout layout;
  layout.footer = QStringLiteral("край");
  const QString path =
      write(ExportType::Excel, dir.filePath(QStringLiteral("long.xls")), captions({"№"}), rows, layout);
  const QJsonArray sheets = readers::readXls(path).value("sheets").toArray();
  ASSERT_EQ(sheets.size(), 2);
  const QJsonArray first = sheets[0].toObject().value("rows").toArray();
  const QJsonArray second = sheets[1].toObject().value("rows").toArray();
  ASSERT_EQ(first.size(), 65536);
  EXPECT_EQ(first[1].toArray()[0].toString(), QStringLiteral("№"));
  EXPECT_EQ(first[65535].toArray()[0].toString(), QStringLiteral("65534"));
  EXPECT_EQ(sheets[1].toObject().value("name").toString(), QStringLiteral("Лист2"));
  EXPECT_EQ(second[0].toArray()[0].toString(), QStringLiteral("№"));
  EXPECT_EQ(second[1].toArray()[0].toString(), QStringLiteral("65535"));
  ASSERT_EQ(second.size(), 1 + (70000 - 65534) + 2);
  EXPECT_EQ(second[second.size() - 3].toArray()[0].toString(), QStringLiteral("70000"));
  EXPECT_EQ(second[second.size() - 1].toArray()[0].toString(), QStringLiteral("край"));
}

TEST(ExportWriters, WriteToAnyDeviceAndRefuseNoColumns) {
  for (ExportType type : {ExportType::Word, ExportType::Excel, ExportType::Text}) {
    QBuffer buf;
    buf.open(QIODevice::ReadWrite);
    auto w = MakeExportWriter(type);
    const RowList rows(kRows);
    EXPECT_TRUE(w->write(captions(kCaptions), rows, ExportLayout{}, buf)) << w->errorText().toStdString();
    EXPECT_GT(buf.size(), 20);
    QBuffer none;
    none.open(QIODevice::ReadWrite);
    EXPECT_FALSE(w->write({}, rows, ExportLayout{}, none));
    EXPECT_EQ(w->errorText(), kNoColumnsChosen);
  }
  // the compound file starts with its signature
  QBuffer xls;
  xls.open(QIODevice::ReadWrite);
  const RowList rows(kRows);
  ASSERT_TRUE(MakeExportWriter(ExportType::Excel)->write(captions(kCaptions), rows, ExportLayout{}, xls));
  EXPECT_TRUE(xls.data().startsWith(QByteArray::fromHex("d0cf11e0a1b11ae1")));
}

TEST(WordExport, OfficeSuiteReadsTitleTableAndFooter) {
  QTemporaryDir dir;
  ExportLayout landscape;
  landscape.title = QStringLiteral("Списък на картотеката - 15.06.2024\nвтори ред");
  landscape.footer = QStringLiteral("Проверил: {подпис}");
  QList<QStringList> rows = kRows;
  rows << QStringList{QStringLiteral("4"), QStringLiteral("Ω и € \\ край"), QStringLiteral("7")};
  const QString doc = write(ExportType::Word, dir.filePath(QStringLiteral("list.doc")), captions(kCaptions, 2), rows,
                            landscape);
  ExportLayout portrait;
  portrait.landscape = false;
  portrait.fontSize = 16;
  const QString tall =
      write(ExportType::Word, dir.filePath(QStringLiteral("tall.doc")), captions(kCaptions), {}, portrait);
  // what the document declares: Windows-1251 text with a Cyrillic font
  const QByteArray rtf = readers::fileBytes(doc);
  EXPECT_TRUE(rtf.startsWith("{\\rtf1\\ansi\\ansicpg1251"));
  EXPECT_TRUE(rtf.contains("\\fcharset204"));

  const QString out = dir.filePath(QStringLiteral("out"));
  QDir().mkpath(out);
  ASSERT_TRUE(readers::officeConvert({doc, tall}, QStringLiteral("txt:Text (encoded):UTF8"), out));
  QString text = QString::fromUtf8(readers::fileBytes(out + QStringLiteral("/list.txt")));
  text.remove(QChar(0xFEFF));
  QStringList lines = text.split(QRegularExpression(QStringLiteral("\r?\n")));
  for (QString &l : lines) l = l.trimmed().remove(QChar(0x2006));
  // title, three empty lines, captions and values one cell to a line, footer
  const QStringList expected = {QStringLiteral("Списък на картотеката - 15.06.2024"),
                                QStringLiteral("втори ред"),
                                QString(), QString(), QString(),
                                QStringLiteral("№"), QStringLiteral("Име"), QStringLiteral("Доход"),
                                QStringLiteral("1"), QStringLiteral("Иван Петров"), QStringLiteral("2,5"),
                                QStringLiteral("2"), QString(), QStringLiteral("10.25"),
                                QStringLiteral("3"), QStringLiteral("Мария Д'Арк"), QString(),
                                QStringLiteral("4"), QStringLiteral("Ω и € \\ край"), QStringLiteral("7"),
                                QStringLiteral("Проверил: {подпис}")};
  EXPECT_EQ(lines.mid(0, expected.size()), expected) << text.toStdString();

  ASSERT_TRUE(readers::officeConvert({doc, tall}, QStringLiteral("pdf"), out));
  const auto pageSize = [](const QString &pdf) {
    const QString info = QString::fromUtf8(readers::run(QStringLiteral("pdfinfo"), {pdf}).out);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
    return std::pair<double, double>{m.captured(1).toDouble(), m.captured(2).toDouble()};
  };
  const auto [w1, h1] = pageSize(out + QStringLiteral("/list.pdf"));
  EXPECT_GT(w1, h1);  // landscape
  const auto [w2, h2] = pageSize(out + QStringLiteral("/tall.pdf"));
  EXPECT_LT(w2, h2);
  // the chosen size is the size of the text
  const QString fonts = QString::fromUtf8(readers::run(QStringLiteral("pdftotext"),
                                                       {QStringLiteral("-bbox"), out + QStringLiteral("/tall.pdf"),
                                                        QStringLiteral("-")})
                                              .out);
  const QRegularExpressionMatch word =
      QRegularExpression(QStringLiteral("yMin=\"([\\d.]+)\" xMax=\"[\\d.]+\" yMax=\"([\\d.]+)\">Име<")).match(fonts);
  ASSERT_TRUE(word.hasMatch()) << fonts.toStdString();
  EXPECT_NEAR(word.captured(2).toDouble() - word.captured(1).toDouble(), 16 * 1.15, 3.0);
}

TEST(ExcelExport, OfficeSuiteOpensTheWorkbookInTheOrientationChosen) {
  QTemporaryDir dir;
  ExportLayout layout;
  layout.title = QStringLiteral("Заглавие");
  const QString xls =
      write(ExportType::Excel, dir.filePath(QStringLiteral("book.xls")), captions(kCaptions), kRows, layout);
  layout.landscape = false;
  const QString tall =
      write(ExportType::Excel, dir.filePath(QStringLiteral("tall.xls")), captions(kCaptions), kRows, layout);
  const QString out = dir.filePath(QStringLiteral("out"));
  QDir().mkpath(out);
  ASSERT_TRUE(readers::officeConvert({xls}, QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), out));
  const QString csv = QString::fromUtf8(readers::fileBytes(out + QStringLiteral("/book.csv")));
  EXPECT_TRUE(csv.startsWith(QStringLiteral("Заглавие,,\n,,\n  №,Име,Доход\n1,Иван Петров,\"2,5\"\n")))
      << csv.toStdString();
  ASSERT_TRUE(readers::officeConvert({xls, tall}, QStringLiteral("pdf"), out));
  const auto wide = [](const QString &pdf) {
    const QString info = QString::fromUtf8(readers::run(QStringLiteral("pdfinfo"), {pdf}).out);
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
    return m.captured(1).toDouble() > m.captured(2).toDouble();
  };
  EXPECT_TRUE(wide(out + QStringLiteral("/book.pdf")));
  EXPECT_FALSE(wide(out + QStringLiteral("/tall.pdf")));
}
