// The official certificate: its printed text read back from a PDF, and the
// command of the main window that narrows the list, prints and restores it.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QRegularExpression>

#include "Certificate.h"
#include "ListFixture.h"
#include "Modal.h"
#include "Readers.h"
#include "SearchPanel.h"
#include "SlBel.h"

using namespace zv;

namespace {

const QString kLongName = QStringLiteral("Александра Христова Константинова-Попиванова Веселинова");
const QString kLongAddress = QStringLiteral("гр. Долинец, ж.к. Възраждане, бл. 12, вх. Б, ет. 7, ап. 42");
// As long as the columns hold: too long for one line even in smaller type.
const QString kLongestName = QStringLiteral(
    "Мария-Магдалена Александрова Константинова-Попиванова Хаджистоянова-Веселинова Христозова-Ангелова");
const QString kLongestAddress = QStringLiteral(
    "гр. Долинец, ж.к. Възраждане-Север, ул. \"Свети Кирил и Методий\" № 128, бл. 12, вх. Б, ет. 7, ап. 42");

// The fixed words of one certificate, in reading order.
const QStringList kFixedWords = {
    QStringLiteral("Служба \"Жилищно настаняване\" при ОбНС \"Долинец\" дава настоящата служебна"),
    QStringLiteral("бележка на"), QStringLiteral("живущ(а) на адрес"),
    QStringLiteral("в уверение на това, че същият със"), QStringLiteral("семейството си е картотекиран под номер"),
    QStringLiteral("от"), QStringLiteral("в група"), QStringLiteral(", съгласно"),
    QStringLiteral("наредбата за разпределение и продажба на жилища. Настоящата служебна бележка"),
    QStringLiteral("се издава, за да послужи пред"), QStringLiteral("Гл.Специалист:____________________")};

// The PDF's text with runs of blanks made one.
QString flat(const QString &pdf) {
  QString t = readers::pdfText(pdf);
  t.replace(QRegularExpression(QStringLiteral("[ \\t]+")), QStringLiteral(" "));
  return t;
}

class CertificateTest : public ListFixture {
 protected:
  void fillRegister() override {
    addCard(reg.path, 101, QStringLiteral("Иван Петров Иванов"), QStringLiteral("ул. Шипка 5"),
            QStringLiteral("15.06.2024 10:30:00"), 3);
    addCard(reg.path, 102, kLongName, kLongAddress, QStringLiteral("01.02.2003 00:00:00"), 2, 1,
            {QStringLiteral("Дете Първо"), QStringLiteral("Дете Второ")});
    addCard(reg.path, 103, QStringLiteral("Мария Стоянова"), QStringLiteral("ул. Гурко 1"));
    addCard(reg.path, 104, kLongestName, kLongestAddress, QStringLiteral("01.02.2003 00:00:00"), 4, 3);
  }
  // The text of a certificate of one card's holders, as a PDF reads back.
  QString certificateOf(int regNum) {
    dm->setMainLines(CardHoldersFilter(regNum), QStringLiteral(" order by Reg_Num"));
    const QString pdf = profile.filePath(QStringLiteral("c%1.pdf").arg(regNum));
    EXPECT_TRUE(WriteCertificatePdf(pdf, CertificateRows(*dm), CertificateHeading(*dm), today()));
    return flat(pdf);
  }
};

}  // namespace

TEST_F(CertificateTest, PrintedTextHoldsTheFixedLinesAndTheWholeValues) {
  start();
  const QString t = certificateOf(102);
  // A4, portrait
  EXPECT_TRUE(QString::fromUtf8(readers::run(QStringLiteral("pdfinfo"), {profile.filePath(QStringLiteral("c102.pdf"))}).out)
                  .contains(QStringLiteral("595 x 842 pts (A4)")));
  EXPECT_TRUE(t.contains(QStringLiteral("ОБЩИНА ДОЛИНЕЦ"))) << t.toStdString();  // NOM row 0
  EXPECT_TRUE(t.contains(QStringLiteral("СЛУЖЕБНА БЕЛЕЖКА")));
  qsizetype at = 0;
  for (const QString &w : kFixedWords) {
    const qsizetype found = t.indexOf(w, at);
    EXPECT_GE(found, at) << "missing or out of order: " << w.toStdString() << "\n" << t.toStdString();
    if (found >= 0) at = found + w.size();
  }
  // a name and an address longer than their gaps: whole, in smaller type
  EXPECT_TRUE(t.contains(QStringLiteral("бележка на ") + kLongName + QStringLiteral(" живущ(а) на адрес")))
      << t.toStdString();
  EXPECT_TRUE(t.contains(kLongAddress + QStringLiteral(" в уверение"))) << t.toStdString();
  // number, group date (its first 13 characters) and the group's number, in line 4
  EXPECT_TRUE(t.contains(QStringLiteral("под номер 102 от 01.02.2003 в група 2 , съгласно"))) << t.toStdString();
  EXPECT_TRUE(t.contains(QStringLiteral("15.06.2024 Гл.Специалист:")));  // date of issue

  EXPECT_TRUE(certificateOf(101).contains(QStringLiteral("под номер 101 от 15.06.2024 10 в група 3 , съгласно")));

  // Too long even for smaller type: the rest on the next lines, every word
  // whole and in its place in the running text, the later lines moved down.
  QString longest = certificateOf(104);
  longest.replace(QLatin1Char('\n'), QLatin1Char(' '));
  longest = longest.simplified();
  EXPECT_TRUE(longest.contains(QStringLiteral("бележка на ") + kLongestName + QStringLiteral(" живущ(а) на адрес ") +
                               kLongestAddress + QStringLiteral(" в уверение на това")))
      << longest.toStdString();
  EXPECT_TRUE(longest.contains(QStringLiteral("под номер 104 от 01.02.2003 в група 4 , съгласно")));
  EXPECT_TRUE(longest.contains(QStringLiteral("се издава, за да послужи пред 15.06.2024 Гл.Специалист:")));
}

TEST_F(CertificateTest, OneCertificatePerRowAndAPageEvenWithoutRows) {
  start();
  // without the holder filter the card's three members give three certificates
  dm->setMainLines(NarrowToCard(QString(), 102), QStringLiteral(" order by NAME"));
  ASSERT_EQ(dm->MainQuery.recordCount(), 3);
  std::vector<CertificateRow> rows = CertificateRows(*dm);
  const QString pdf = profile.filePath(QStringLiteral("c.pdf"));
  ASSERT_TRUE(WriteCertificatePdf(pdf, rows, QStringLiteral("ШАПКА"), today()));
  QString t = flat(pdf);
  EXPECT_EQ(t.count(QStringLiteral("Гл.Специалист:")), 3);
  EXPECT_LT(t.indexOf(QStringLiteral("Дете Второ")), t.indexOf(QStringLiteral("Дете Първо")));  // in list order
  // four to a page, the header on every page
  rows.insert(rows.end(), rows.begin(), rows.end());
  ASSERT_TRUE(WriteCertificatePdf(pdf, rows, QStringLiteral("ШАПКА"), today()));
  t = flat(pdf);
  EXPECT_EQ(t.count(QStringLiteral("Гл.Специалист:")), 6);
  EXPECT_EQ(t.count(QStringLiteral("СЛУЖЕБНА БЕЛЕЖКА")), 2);
  EXPECT_EQ(t.count(QChar(u'\f')), 2);  // pages

  ASSERT_TRUE(WriteCertificatePdf(pdf, {}, QStringLiteral("ШАПКА"), today()));
  t = flat(pdf);
  EXPECT_TRUE(t.contains(QStringLiteral("ШАПКА")));
  EXPECT_TRUE(t.contains(QStringLiteral("СЛУЖЕБНА БЕЛЕЖКА")));
  EXPECT_FALSE(t.contains(QStringLiteral("Гл.Специалист:")));

  QString error;
  EXPECT_FALSE(WriteCertificatePdf(profile.filePath(QStringLiteral("no/such/c.pdf")), rows, QString(), today(), &error));
  EXPECT_FALSE(error.isEmpty());
}

TEST_F(CertificateTest, CommandPrintsTheCurrentCardAndRestoresTheList) {
  start();
  selectRegNum(102);
  const QString filter = dm->MainQuery.SQL.value(1);
  const QString pdf = profile.filePath(QStringLiteral("printed.pdf"));
  QPrinter &printer = SystemPrinter();
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  bool narrowed = false;
  bool detached = false;
  zvtest::onModal<QPrintDialog>([&](QPrintDialog *d) {
    narrowed = dm->MainQuery.SQL.value(1) == QStringLiteral("and P.PERSON_TYPE = 0 and REG_NUM = 102") &&
               dm->MainQuery.recordCount() == 1;
    detached = !grid()->updatesEnabled();
    d->accept();
  });
  form->findChild<QAction *>(QStringLiteral("mSlBel"))->trigger();  // F6
  EXPECT_TRUE(narrowed);
  EXPECT_TRUE(detached);
  EXPECT_TRUE(Dialogs::shown().isEmpty());
  const QString t = flat(pdf);
  EXPECT_TRUE(t.contains(kLongName)) << t.toStdString();
  EXPECT_EQ(t.count(QStringLiteral("Гл.Специалист:")), 1);
  // the same filter, all cards listed again, the same card current, the grid following
  EXPECT_EQ(dm->MainQuery.SQL.value(1), filter);
  EXPECT_EQ(dm->MainQuery.recordCount(), 4);
  EXPECT_EQ(currentRegNum(), 102);
  EXPECT_TRUE(grid()->updatesEnabled());
}

// After a name search the selected row is often a child's: the paper still
// names the card's holder.
TEST_F(CertificateTest, ACardFoundByAMembersNameCertifiesItsHolder) {
  start();
  TSearchPanel *panel = form->searchPanel();
  ASSERT_TRUE(panel);
  panel->CheckBox2->setChecked(true);
  panel->sName->setText(QStringLiteral("дете второ"));
  form->sbSearchClick();
  ASSERT_EQ(dm->MainQuery.recordCount(), 1);
  ASSERT_EQ(currentRegNum(), 102);
  const QString filter = dm->MainQuery.SQL.value(1);
  const QString pdf = profile.filePath(QStringLiteral("child.pdf"));
  QPrinter &printer = SystemPrinter();
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(pdf);
  zvtest::onModal<QPrintDialog>([](QPrintDialog *d) { d->accept(); });
  form->mSlBelClick();
  const QString t = flat(pdf);
  EXPECT_TRUE(t.contains(QStringLiteral("бележка на ") + kLongName)) << t.toStdString();
  EXPECT_FALSE(t.contains(QStringLiteral("Дете Второ")));
  EXPECT_EQ(dm->MainQuery.SQL.value(1), filter);
  EXPECT_EQ(dm->MainQuery.recordCount(), 1);
}

TEST_F(CertificateTest, CancelOrFailureLeavesTheListAsItWas) {
  start();
  selectRegNum(103);
  const QString filter = dm->MainQuery.SQL.value(1);
  QPrinter &printer = SystemPrinter();
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(profile.filePath(QStringLiteral("cancelled.pdf")));
  zvtest::onModal<QPrintDialog>([](QPrintDialog *d) { d->reject(); });
  form->mSlBelClick();
  EXPECT_FALSE(QFile::exists(profile.filePath(QStringLiteral("cancelled.pdf"))));
  EXPECT_EQ(dm->MainQuery.SQL.value(1), filter);
  EXPECT_EQ(currentRegNum(), 103);

  // a printer that refuses: the error is shown and the list comes back all the same
  printer.setOutputFileName(profile.filePath(QStringLiteral("no/such/folder/x.pdf")));
  zvtest::onModal<QPrintDialog>([&](QPrintDialog *d) {
    printer.setOutputFileName(profile.filePath(QStringLiteral("no/such/folder/x.pdf")));
    d->accept();
  });
  form->mSlBelClick();
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown()[0].icon, Dialogs::Icon::Error);
  EXPECT_EQ(dm->MainQuery.SQL.value(1), filter);
  EXPECT_EQ(dm->MainQuery.recordCount(), 4);
  EXPECT_EQ(currentRegNum(), 103);
  EXPECT_TRUE(grid()->updatesEnabled());
}
