// The printed ranking: its texts from the settings file, the report read
// back from PDF files by pdftotext, the preview and the list command on the
// main window, and zv-admin ranking.
#include <QAction>
#include <QDialog>
#include <QLabel>
#include <QDir>
#include <QPrinter>
#include <QRegularExpression>
#include <QStringEncoder>
#include <QTabBar>
#include <QTableView>

#include "IniFile.h"
#include "Modal.h"
#include "Points.h"
#include "Print.h"
#include "RankingFixture.h"
#include "RankingReport.h"
#include "Upgrade.h"

namespace {

using namespace rankingtest;

const QString kQuestion = QStringLiteral("Искате ли да запазите информацията за местата на класиране?");

zv::RankingRow row(int place, const QString &name = QString()) {
  zv::RankingRow r;
  r.place = place;
  r.regNum = QString::number(1000 + place);
  r.name = name.isEmpty() ? QStringLiteral("Семейство %1").arg(place) : name;
  r.group = QString::number(1 + place % 5);
  r.address = QStringLiteral("ул. \"Шипка\" № %1").arg(place);
  r.kids = QString::number(place % 4);
  r.points = QString::number(40 - place % 40);
  r.regDate = QStringLiteral("01.02.2003");
  r.groupDate = QStringLiteral("04.05.2006");
  return r;
}

zv::RankingReportTexts textsOn(const QDate &day) {
  zv::RankingReportTexts t;
  t.printDate = zv::fromQDate(day);
  return t;
}

// ------------------------------------------------------------ settings

TEST(RankingTexts, FromTheSettingsFile) {
  QTemporaryDir dir;
  const QString path = dir.filePath(QStringLiteral("zv.ini"));
  zv::RankingReportTexts t;
  t.title = QStringLiteral("предишно");
  ASSERT_TRUE(zv::ReadRankingTexts(path, t));  // no file: the defaults
  EXPECT_EQ(t.title, QStringLiteral("КЛАСИРАНЕ ЗА ЖИЛИЩНО НАСТАНЯВАНЕ НА ГР.ДОЛИНЕЦ ОТ"));
  EXPECT_EQ(t.foot, QStringLiteral("Проверил:_________"));

  QFile f(path);
  ASSERT_TRUE(f.open(QIODevice::WriteOnly));
  QStringEncoder enc("windows-1251");
  f.write(enc.encode(QStringLiteral("[User]\r\nlastuser=ivan\r\npageheader=КЛАСИРАНЕ НА ЖИЛИЩА ОТ\r\n")));
  f.close();
  ASSERT_TRUE(zv::ReadRankingTexts(path, t));
  EXPECT_EQ(t.title, QStringLiteral("КЛАСИРАНЕ НА ЖИЛИЩА ОТ"));
  EXPECT_EQ(t.foot, QStringLiteral("Проверил:_________"));

  // A folder in the file's place cannot be read: the texts stay.
  const QString folder = dir.filePath(QStringLiteral("other.ini"));
  ASSERT_TRUE(QDir().mkdir(folder));
  t.foot = QStringLiteral("предишен");
  EXPECT_FALSE(zv::ReadRankingTexts(folder, t));
  EXPECT_EQ(t.title, QStringLiteral("КЛАСИРАНЕ НА ЖИЛИЩА ОТ"));
  EXPECT_EQ(t.foot, QStringLiteral("предишен"));
}

// ------------------------------------------------------------ the report

TEST(RankingReport, ThreePagesReadBack) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
  std::vector<zv::RankingRow> rows;
  for (int p = 1; p <= 70; ++p) rows.push_back(row(p));
  ASSERT_TRUE(zv::WriteRankingPdf(pdf, rows, textsOn(QDate(2026, 6, 15))));
  const QStringList pages = pdfText(pdf).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
  ASSERT_EQ(pages.size(), 3);
  int details = 0;
  for (int i = 0; i < pages.size(); ++i) {
    const QString page = squeezed(pages[i]);
    EXPECT_TRUE(page.startsWith(QStringLiteral("КЛАСИРАНЕ ЗА ЖИЛИЩНО НАСТАНЯВАНЕ НА ГР.ДОЛИНЕЦ ОТ 15.06.2026 стр.") +
                                QString::number(i + 1) + QLatin1Char(' ')))
        << page.left(120).toStdString();
    EXPECT_TRUE(page.contains(
        QStringLiteral("№ Р.Ном Име на титуляра Група Адрес Бр.деца Точки Дата на рег. Група от:")));
    EXPECT_TRUE(page.endsWith(QStringLiteral("Проверил:_________"))) << i;
    for (const QString &line : pages[i].split(QLatin1Char('\n')))
      if (QRegularExpression(QStringLiteral("^\\d+ ")).match(squeezed(line)).hasMatch()) ++details;
  }
  EXPECT_EQ(details, 70);
  // Each family on one line, its values in column order.
  const QString all = squeezed(pages.join(QLatin1Char(' ')));
  for (const zv::RankingRow &r : {rows[0], rows[31], rows[32], rows[69]})
    EXPECT_TRUE(all.contains(QStringList{QString::number(r.place), r.regNum, r.name, r.group, r.address, r.kids,
                                         r.points, r.regDate, r.groupDate}
                                 .join(QLatin1Char(' '))))
        << r.place;
  EXPECT_TRUE(squeezed(pages[2]).contains(QStringLiteral("Класирани са 70 семейства")));
  EXPECT_FALSE(squeezed(pages[0] + pages[1]).contains(QStringLiteral("Класирани")));
}

TEST(RankingReport, EmptyRankingStillPrintsItsFrame) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
  zv::RankingReportTexts t = textsOn(QDate(2026, 1, 2));
  t.title = QStringLiteral("СПИСЪК ОТ");
  t.foot = QStringLiteral("Изготвил: Иванова");
  ASSERT_TRUE(zv::WriteRankingPdf(pdf, {}, t));
  const QStringList pages = pdfText(pdf).split(QLatin1Char('\f'), Qt::SkipEmptyParts);
  ASSERT_EQ(pages.size(), 1);
  EXPECT_EQ(squeezed(pages[0]),
            QStringLiteral("СПИСЪК ОТ 02.01.2026 стр.1 № Р.Ном Име на титуляра Група Адрес Бр.деца Точки Дата на рег. "
                           "Група от: Класирани са 0 семейства Изготвил: Иванова"));
  QString error;
  EXPECT_FALSE(zv::WriteRankingPdf(dir.filePath(QStringLiteral("no/such/folder/r.pdf")), {}, t, &error));
  EXPECT_TRUE(error.contains(QStringLiteral("не може да бъде записан"))) << error.toStdString();
}

// Words of a PDF with their boxes in points, as pdftotext -bbox gives them.
struct Word {
  double xMin, yMin, xMax;
  QString text;
};
std::vector<Word> pdfWords(const QString &path) {
  QProcess p;
  p.start(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), path, QStringLiteral("-")});
  EXPECT_TRUE(p.waitForFinished(30000));
  const QString html = QString::fromUtf8(p.readAllStandardOutput());
  static const QRegularExpression re(QStringLiteral(
      "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"[\\d.]+\">([^<]*)</word>"));
  std::vector<Word> out;
  for (auto it = re.globalMatch(html); it.hasNext();) {
    const auto m = it.next();
    out.push_back({m.captured(1).toDouble(), m.captured(2).toDouble(), m.captured(3).toDouble(), m.captured(4)});
  }
  return out;
}

TEST(RankingReport, OverlongValuesStayInTheirColumns) {
  QTemporaryDir dir;
  const QString pdf = dir.filePath(QStringLiteral("r.pdf"));
  zv::RankingRow r = row(123456, QStringLiteral("Александра Константинова Христодулова-Шишманова Поповичева Атанасова"));
  r.regNum = QStringLiteral("9876543");
  r.address = QStringLiteral("гр. Долинец, ж.к. Възраждане, бл. 201, вх. Б, ет. 14, ап. 112, до магазина");
  r.kids = QStringLiteral("12");
  r.points = QStringLiteral("1234");
  ASSERT_TRUE(zv::WriteRankingPdf(pdf, {r}, textsOn(QDate(2026, 6, 15))));
  const double pt = 72.0 / 25.4;
  const double margin = 10 * pt;
  const std::vector<double> starts = {0.0, 8.5, 21.2, 103.7, 110.1, 175.7, 186.3, 200.6, 232.3, 259.4};
  // The detail line lies between the column headings (22 mm) and 27 mm.
  std::vector<Word> line;
  for (const Word &w : pdfWords(pdf))
    if (w.yMin > margin + 22 * pt - 1 && w.yMin < margin + 27 * pt) line.push_back(w);
  ASSERT_FALSE(line.empty());
  std::vector<QStringList> columns(starts.size() - 1);
  for (const Word &w : line) {
    const double x = (w.xMin - margin) / pt;
    size_t col = 0;
    while (col + 1 < starts.size() && starts[col + 1] <= x + 0.2) ++col;
    EXPECT_LE((w.xMax - margin) / pt, starts[col + 1]) << w.text.toStdString() << " runs into the next column";
    columns[col] << w.text;
  }
  const auto shown = [&](size_t col) { return columns[col].join(QLatin1Char(' ')); };
  // Numbers are set smaller, never cut.
  EXPECT_EQ(shown(0), QStringLiteral("123456"));
  EXPECT_EQ(shown(1), QStringLiteral("9876543"));
  EXPECT_EQ(shown(5), QStringLiteral("12"));
  EXPECT_EQ(shown(6), QStringLiteral("1234"));
  EXPECT_EQ(shown(8), QStringLiteral("04.05.2006"));
  // Texts end after a whole word, with an ellipsis.
  for (const auto &[col, whole] : {std::pair{size_t(2), r.name}, std::pair{size_t(4), r.address}}) {
    QString part = shown(col);
    ASSERT_TRUE(part.endsWith(QStringLiteral("…"))) << part.toStdString();
    part.chop(1);
    EXPECT_TRUE(whole.startsWith(part + QLatin1Char(' '))) << part.toStdString();
    EXPECT_GT(part.size(), 15);
  }
}

// ------------------------------------------------------------ on the main window

class PrintTest : public RankingFixture {
 protected:
  std::function<bool(QPrinter &, QWidget *)> savedChoice;
  QString printedTo;
  void SetUp() override {
    RankingFixture::SetUp();
    savedChoice = TRankingPreview::choosePrinter;
    printedTo = profile.filePath(QStringLiteral("printer.pdf"));
    // The printer the user picks: a PDF file to read back.
    TRankingPreview::choosePrinter = [this](QPrinter &p, QWidget *) {
      p.setOutputFormat(QPrinter::PdfFormat);
      p.setOutputFileName(printedTo);
      return true;
    };
    startAs(QStringLiteral("USER3"));
    // 40 families in two groups: two pages.
    for (int i = 1; i <= 40; ++i) addCard(i, 1 + i % 2, 1, yearsAgo(i % 17, i));
    form->Refresh();
    rankNow();
    ASSERT_EQ(dm->MainQuery.recordCount(), 40);
    Dialogs::clearShown();
  }
  void TearDown() override {
    TRankingPreview::choosePrinter = savedChoice;
    RankingFixture::TearDown();
  }
  // Runs the list command with the preview handled by act.
  void listCommand(const std::function<void(TRankingPreview *)> &act) {
    zvtest::onModal<TRankingPreview>(act, QStringLiteral("RankingPreview"));
    form->tbSpravkaClick();
  }
  bool anyPlaceWritten() {
    for (int i = 1; i <= 40; ++i)
      if (!committedPlace(i).first.isEmpty()) return true;
    return false;
  }
};

TEST_F(PrintTest, PreviewClosedWithoutPrintingAsksAndWritesNothing) {
  int pages = 0, second = 0;
  QString label;
  listCommand([&](TRankingPreview *p) {
    pages = p->pageCount();
    p->aNext->trigger();
    second = p->currentPage();
    label = p->lbPage->text();
    p->aClose->trigger();
  });
  EXPECT_EQ(pages, 2);
  EXPECT_EQ(second, 2);
  EXPECT_EQ(label, QStringLiteral("Страница 2 от 2"));
  EXPECT_TRUE(Dialogs::shown().isEmpty());  // an unscripted question would fail the test
  EXPECT_FALSE(PrintForm().printed);
  EXPECT_FALSE(QFile::exists(printedTo));
  EXPECT_FALSE(anyPlaceWritten());
}

TEST_F(PrintTest, PrintedThenYesRecordsThePlacesThePrintoutShows) {
  Dialogs::queueAnswer(true);
  listCommand([](TRankingPreview *p) { p->aPrint->trigger(); });
  EXPECT_TRUE(PrintForm().printed);
  ASSERT_EQ(Dialogs::shown().size(), 2);
  EXPECT_EQ(Dialogs::shown().first().text, kQuestion);
  EXPECT_EQ(Dialogs::shown().first().caption, QStringLiteral("Запитване"));
  EXPECT_EQ(Dialogs::shown().first().icon, Dialogs::Icon::Question);
  // Said once they are committed.
  EXPECT_EQ(Dialogs::shown()[1].text, QStringLiteral("Местата са записани: 40"));
  EXPECT_EQ(Dialogs::shown()[1].icon, Dialogs::Icon::Information);
  // Every printed line's place is the place written on its card.
  const QString text = pdfText(printedTo);
  EXPECT_TRUE(squeezed(text).startsWith(QStringLiteral("КЛАСИРАНЕ ЗА ЖИЛИЩНО НАСТАНЯВАНЕ НА ГР.ДОЛИНЕЦ ОТ 15.06.2026")));
  // The group printed on the line is the one the place line states.
  int lines = 0;
  static const QRegularExpression detail(QStringLiteral("^(\\d+) (\\d+) Титуляр \\d+ (\\d) "));
  for (const QString &line : text.split(QLatin1Char('\n'))) {
    const auto m = detail.match(squeezed(line));
    if (!m.hasMatch()) continue;
    ++lines;
    const auto [classInfo, notes] = committedPlace(m.captured(2).toInt());
    EXPECT_TRUE(classInfo.startsWith(m.captured(1) + QStringLiteral("-о място от 15.06.2026 - Група ") +
                                     m.captured(3) + QStringLiteral(" от ")))
        << line.toStdString() << " / " << classInfo.toStdString();
    EXPECT_EQ(notes, classInfo);
  }
  EXPECT_EQ(lines, 40);
  // The list is back on the same ranking.
  EXPECT_EQ(dm->MainQuery.recordCount(), 40);
  EXPECT_EQ(form->tabs()->tabText(form->tabs()->currentIndex()), QStringLiteral("Класиране"));
}

TEST_F(PrintTest, CardHeldElsewhereRecordsNothingAndTheListStays) {
  dm->Transaction.commit();
  fb::Database other;
  other.databaseName = reg.path;
  other.connect();
  fb::Transaction tr(other);
  fb::execute(other, tr, QStringLiteral("update RGS_CARD set NOTES = 'отворен другаде' where REG_NUM = 7"));
  Dialogs::queueAnswer(true);
  listCommand([](TRankingPreview *p) { p->aPrint->trigger(); });
  ASSERT_EQ(Dialogs::shown().size(), 2);
  EXPECT_EQ(Dialogs::shown()[0].text, kQuestion);
  EXPECT_TRUE(Dialogs::shown()[1].text.startsWith(QStringLiteral(
      "Местата не са записани: картон с рег. номер 7 се променя на друго работно място. Опитайте отново.\n")))
      << Dialogs::shown()[1].text.toStdString();
  EXPECT_EQ(Dialogs::shown()[1].icon, Dialogs::Icon::Error);
  // The grid shows the ranking, not rows the list no longer has.
  ASSERT_TRUE(dm->MainQuery.active());
  EXPECT_EQ(form->grid()->model()->rowCount(), 40);
  EXPECT_FALSE(form->grid()->model()->index(0, 1).data().toString().isEmpty());
  form->Refresh();
  EXPECT_FALSE(anyPlaceWritten());
  tr.rollback();
  other.disconnect();
}

TEST_F(PrintTest, PrintedThenNoOrSavedAsPdfThenNoChangesNothing) {
  Dialogs::queueAnswer(false);
  listCommand([](TRankingPreview *p) { p->aPrint->trigger(); });
  EXPECT_TRUE(QFile::exists(printedTo));
  EXPECT_EQ(Dialogs::lastText(), kQuestion);

  // Saved as PDF from the preview, under a name without its extension.
  Dialogs::clearShown();
  Dialogs::queueAnswer(profile.filePath(QStringLiteral("класиране")));
  Dialogs::queueAnswer(false);
  listCommand([](TRankingPreview *p) { p->aPdf->trigger(); });
  ASSERT_EQ(Dialogs::shown().size(), 2);
  EXPECT_EQ(Dialogs::shown()[0].kind, QStringLiteral("saveFile"));
  EXPECT_EQ(Dialogs::shown()[1].text, kQuestion);
  EXPECT_TRUE(squeezed(pdfText(profile.filePath(QStringLiteral("класиране.pdf"))))
                  .contains(QStringLiteral("Класирани са 40 семейства")));
  EXPECT_FALSE(anyPlaceWritten());

  // Cancelling the file dialog leaves the preview open; closing it asks nothing.
  Dialogs::clearShown();
  Dialogs::queueAnswer(QVariant());
  listCommand([](TRankingPreview *p) {
    p->aPdf->trigger();
    p->reject();
  });
  EXPECT_EQ(Dialogs::shown().size(), 1);
  EXPECT_FALSE(PrintForm().printed);
}

// A4 landscape unless the print dialog chose another paper; then that one,
// still landscape, every row on it with the foot at its bottom.
TEST_F(PrintTest, PagesAreLaidOutOnTheChosenPaper) {
  Dialogs::queueAnswer(profile.filePath(QStringLiteral("a4.pdf")));
  Dialogs::queueAnswer(false);
  listCommand([](TRankingPreview *p) { p->aPdf->trigger(); });
  EXPECT_EQ(pdfPageSize(profile.filePath(QStringLiteral("a4.pdf"))), QStringLiteral("842 x 595 pts (A4)"));

  for (const auto &[paper, size] : {std::pair{QPageSize::A4, QStringLiteral("842 x 595 pts (A4)")},
                                    std::pair{QPageSize::Letter, QStringLiteral("792 x 612 pts (letter)")},
                                    std::pair{QPageSize::A3, QStringLiteral("1191 x 842 pts (A3)")}}) {
    const auto chosen = TRankingPreview::choosePrinter;
    TRankingPreview::choosePrinter = [&, paper = paper](QPrinter &p, QWidget *w) {
      p.setPageSize(QPageSize(paper));
      return chosen(p, w);
    };
    Dialogs::clearShown();
    Dialogs::queueAnswer(false);
    listCommand([](TRankingPreview *p) { p->aPrint->trigger(); });
    TRankingPreview::choosePrinter = chosen;
    EXPECT_EQ(pdfPageSize(printedTo), size);
    const QString text = squeezed(pdfText(printedTo));
    EXPECT_TRUE(text.contains(QStringLiteral("Класирани са 40 семейства"))) << size.toStdString();
    EXPECT_EQ(text.count(QStringLiteral("Проверил:_________")), paper == QPageSize::A3 ? 1 : 2) << size.toStdString();
  }
}

TEST_F(PrintTest, TitleFromTheSettingsFileOrTheLastOneWhenItCannotBeRead) {
  IniFile ini(SettingsFilePath());
  ASSERT_TRUE(ini.writeString(QStringLiteral("User"), QStringLiteral("pageheader"), QStringLiteral("КЛАСИРАНЕ ОТ")));
  ASSERT_TRUE(ini.writeString(QStringLiteral("User"), QStringLiteral("pagefooter"), QStringLiteral("Подпис:")));
  Dialogs::queueAnswer(false);
  listCommand([](TRankingPreview *p) { p->aPrint->trigger(); });
  QString page = squeezed(pdfText(printedTo));
  EXPECT_TRUE(page.startsWith(QStringLiteral("КЛАСИРАНЕ ОТ 15.06.2026 стр.1"))) << page.left(60).toStdString();
  EXPECT_TRUE(page.endsWith(QStringLiteral("Подпис:")));

  // The settings file turns into a folder: the message, then the same texts.
  ASSERT_TRUE(QFile::remove(SettingsFilePath()));
  ASSERT_TRUE(QDir().mkdir(SettingsFilePath()));
  Dialogs::clearShown();
  Dialogs::queueAnswer(false);
  listCommand([](TRankingPreview *p) { p->aPrint->trigger(); });
  ASSERT_EQ(Dialogs::shown().size(), 2);
  EXPECT_EQ(Dialogs::shown()[0].text, QStringLiteral("Файлът с настройки '") + SettingsFilePath() +
                                          QStringLiteral("' не може да бъде отворен или редактиран!"));
  page = squeezed(pdfText(printedTo));
  EXPECT_TRUE(page.startsWith(QStringLiteral("КЛАСИРАНЕ ОТ 15.06.2026"))) << page.left(60).toStdString();
}

TEST_F(PrintTest, OnAnyOtherTabTheCommandExportsInsteadOfPrinting) {
  form->tabs()->setCurrentIndex(0);
  QString title;
  zvtest::onModal<QDialog>(
      [&](QDialog *export_) {
        title = export_->windowTitle();
        export_->reject();
      },
      QStringLiteral("frmSaveRep"));
  form->tbSpravkaClick();
  EXPECT_EQ(title, QStringLiteral("Избор на колони за запис"));
  EXPECT_TRUE(Dialogs::shown().isEmpty());
  EXPECT_FALSE(QFile::exists(printedTo));
}

// ------------------------------------------------------------ zv-admin

class AdminRankingTest : public RankingFixture {
 protected:
  void SetUp() override {
    RankingFixture::SetUp();
    zv::setNow(std::nullopt);  // as the other process sees it
  }
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  int run(const QStringList &args, QString *out, QString *err = nullptr) {
    QProcess p;
    env.insert(QStringLiteral("USERPROFILE"), profile.path());
    env.remove(QStringLiteral("QT_QPA_PLATFORM"));  // the command sets it when it paints
    p.setProcessEnvironment(env);
    p.start(QStringLiteral(ZV_ADMIN), args);
    EXPECT_TRUE(p.waitForFinished(60000));
    if (out) *out = QString::fromUtf8(p.readAllStandardOutput());
    const QString e = QString::fromUtf8(p.readAllStandardError());
    if (err) *err = e;
    return p.exitCode();
  }
};

TEST_F(AdminRankingTest, PrintsTheRankingAndRecordsThePlaces) {
  connect();
  addCard(7, 1, 1, yearsAgo(3), 9, zv::fromQDate(QDate(2020, 2, 1)), QVariant(),
          QStringLiteral("Иван Петров  "));
  addCard(8, 2, 1, yearsAgo(9), 9, QVariant(), QVariant(), QStringLiteral("  Мария Иванова"));
  addCard(9, 0, 1, yearsAgo(9));
  // A group code without a text in NOM.
  exec(QStringLiteral("update RGS_CARD set GRUPA = 8, GROUP1 = 9 where REG_NUM = 8"));
  dm->disconnectCommitting();

  const QString db = reg.path, pdf = profile.filePath(QStringLiteral("класиране.pdf"));
  QString out, err;
  ASSERT_EQ(run({QStringLiteral("ranking"), QStringLiteral("--database"), db, QStringLiteral("--pdf"), pdf}, &out, &err),
            0)
      << err.toStdString();
  const QString today = zv::dateText(zv::today());
  const QStringList lines = out.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), 4) << out.toStdString();
  EXPECT_EQ(lines[0], QStringLiteral("order by GRUPA,POINTS DESC,REGDATE,KIDS DESC,ONLY_PARENT,N_INVALIDS DESC,"
                                     "YOUNG_FAMILY,HARD_LIFE,KIDS_AGE DESC"));
  // zv-admin runs on the real clock: points are the whole years since registration.
  const QString reg7 = zv::dateText(yearsAgo(3)), reg8 = zv::dateText(yearsAgo(9));
  const int y7 = zv::RegistrationYears(yearsAgo(3), zv::now()), y8 = zv::RegistrationYears(yearsAgo(9), zv::now());
  EXPECT_EQ(lines[1], QStringLiteral("1\t7\tИван Петров\t2\tул. \"Шипка\" № 7\t0\t%1\t%2\t01.02.2020").arg(y7).arg(reg7));
  EXPECT_EQ(lines[2], QStringLiteral("2\t8\t  Мария Иванова\t\tул. \"Шипка\" № 8\t0\t%1\t%2\t%2").arg(y8).arg(reg8));
  EXPECT_EQ(lines[3], QStringLiteral("Класирани са 2 семейства"));
  EXPECT_TRUE(err.contains(QStringLiteral("Попълване на данните: 0%"))) << err.toStdString();
  EXPECT_TRUE(squeezed(pdfText(pdf)).contains(QStringLiteral("Класирани са 2 семейства")));
  EXPECT_TRUE(squeezed(pdfText(pdf)).startsWith(QStringLiteral("КЛАСИРАНЕ ЗА ЖИЛИЩНО НАСТАНЯВАНЕ НА ГР.ДОЛИНЕЦ ОТ ") + today));
  EXPECT_EQ(committedPlace(7).first, QString());  // not without --write-places

  const QString listing = out;
  ASSERT_EQ(run({QStringLiteral("ranking"), QStringLiteral("--write-places"), QStringLiteral("--database"), db}, &out,
                &err),
            0);
  EXPECT_EQ(out, listing);  // the count goes to standard error only
  EXPECT_TRUE(err.endsWith(QStringLiteral("Местата са записани: 2\n"))) << err.toStdString();
  EXPECT_EQ(committedPlace(7).first,
            QStringLiteral("1-о място от %1 - Група 2 от 01.02.2020, Подгрупа: Няма").arg(today));
  EXPECT_EQ(committedPlace(8).first,
            QStringLiteral("2-о място от %1 - Група 9 от %2, Подгрупа: Няма").arg(today, reg8));

  // While a recording is under way elsewhere, a second one is refused and
  // writes nothing.
  {
    fb::Database other;
    other.databaseName = db;
    other.connect();
    fb::Transaction tr(other);
    zv::TakeRegisterLock(other, tr, zv::kPlacesRecording, QStringLiteral("Друг служител"));
    EXPECT_EQ(run({QStringLiteral("ranking"), QStringLiteral("--write-places"), QStringLiteral("--database"), db}, &out,
                  &err),
              1);
    EXPECT_TRUE(err.contains(zv::kPlacesBusyText)) << err.toStdString();
    EXPECT_FALSE(err.contains(QStringLiteral("Местата са записани")));
    tr.rollback();
    other.disconnect();
  }
  EXPECT_EQ(committedPlace(7).second.count(QStringLiteral("място от")), 1);
  EXPECT_EQ(committedPlace(8).second.count(QStringLiteral("място от")), 1);
}

TEST_F(AdminRankingTest, BadArgumentsAndFailures) {
  QString out, err;
  const QString usage = QStringLiteral("usage: zv-admin ranking --database PATH [--write-places] [--pdf FILE]\n");
  for (const QStringList &args : {QStringList{QStringLiteral("ranking")},
                                  QStringList{QStringLiteral("ranking"), QStringLiteral("--database")},
                                  QStringList{QStringLiteral("ranking"), QStringLiteral("--database"), reg.path,
                                              QStringLiteral("--places")},
                                  QStringList{QStringLiteral("ranking"), QStringLiteral("--database"), reg.path,
                                              QStringLiteral("extra")}}) {
    EXPECT_EQ(run(args, &out, &err), 2) << args.join(' ').toStdString();
    EXPECT_TRUE(err.endsWith(usage)) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
  }
  EXPECT_EQ(run({QStringLiteral("ranking"), QStringLiteral("--database"), profile.filePath(QStringLiteral("none.fdb"))},
                &out, &err),
            1);
  EXPECT_TRUE(err.startsWith(QStringLiteral("zv-admin ranking: "))) << err.toStdString();
  EXPECT_EQ(run({QStringLiteral("ranking"), QStringLiteral("--database"), reg.path, QStringLiteral("--pdf"),
                 profile.filePath(QStringLiteral("no/folder/r.pdf"))},
                &out, &err),
            1);
  EXPECT_TRUE(err.contains(QStringLiteral("не може да бъде записан"))) << err.toStdString();
}

}  // namespace
