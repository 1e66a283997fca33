// zv-admin export and zv-admin certificate, run as the administrator runs
// them, their files read back.
#include <gtest/gtest.h>

#include <QDate>
#include <QDir>
#include <QJsonArray>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QStringEncoder>

#include "AddCard.h"
#include "Readers.h"
#include "TempRegister.h"

namespace {

// zv-admin as the administrator runs it. In the sanitizer build its leak
// check is left off: with some argument texts the leak checker's own thread
// crashes while it walks the threads' dynamic TLS at exit (glibc 2.36, the
// compiler's runtime), failing the run for nothing the program did. The
// writers and the certificate are leak-checked in process by the other tests.
readers::Run admin(const QStringList &args) {
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  if (env.contains(QStringLiteral("ASAN_OPTIONS")))
    env.insert(QStringLiteral("ASAN_OPTIONS"), env.value(QStringLiteral("ASAN_OPTIONS")) + QStringLiteral(":detect_leaks=0"));
  return readers::run(QStringLiteral(ZV_ADMIN), args, 120000, QByteArray(), env);
}

QByteArray cp1251(const QString &s) {
  QStringEncoder enc("windows-1251");
  return enc.encode(s);
}

class AdminTest : public ::testing::Test {
 protected:
  TempRegister reg;
  QTemporaryDir dir;
  void SetUp() override {
    addCard(reg.path, 12, QStringLiteral("Иван Петров"), QStringLiteral("ул. Шипка 5"), QStringLiteral("15.06.2024 10:30:00"));
    addCard(reg.path, 7, QStringLiteral("Мария Стоянова"), QStringLiteral("ул. Гурко 1"), QString(), 2, 1,
            {QStringLiteral("Дете")});
  }
  QString out(const QString &name) const { return dir.filePath(name); }
  readers::Run exportList(const QString &type, const QString &file, const QStringList &more = {}) {
    return admin(QStringList{QStringLiteral("export"), QStringLiteral("--database"), reg.path, QStringLiteral("--type"),
                             type, QStringLiteral("--out"), file} +
                 more);
  }
};


}  // namespace

TEST_F(AdminTest, TextExportHasTheGridsColumnsAndTexts) {
  const QString file = out(QStringLiteral("list.txt"));
  const readers::Run r = exportList(QStringLiteral("txt"), file);
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  EXPECT_TRUE(r.out.isEmpty());
  const QString header = QStringLiteral(
      "Рег.номер|Рег.дата|Име|ЕГН|Адрес|Адр.Рег.Дата|Статус|Група|от дата|Подгрупа|Деца до 18г|"
      "Данни за последно класиране|Процент на инвалидност|Валидно до|Експертно решение на ТЕЛК|номер на заявление|"
      "Номер на последно подадена декларация|дата на последно подадена декларация|номер на протокол");
  // holders in registration-number order; texts and lookups without the
  // blanks that pad their columns, dates with their time when one is stored
  const auto row = [](const QString &regNum, const QString &name, const QString &address, const QString &groupDate) {
    return QStringList{regNum, QStringLiteral("01.02.2003"), name, QStringLiteral("0101010007"),
                       address, QString(), QStringLiteral("Вписан в картотеката"),
                       QStringLiteral("2 - Живеещи в негодни за обитаване помещения"), groupDate,
                       QStringLiteral("Самотен родител"), QStringLiteral("2"), QString(), QString(),
                       QString(), QString(), QString(), QString(), QString(), QString()}
        .join(QLatin1Char('|'));
  };
  const QString expected = header + QStringLiteral("\r\n") +
                           row(QStringLiteral("7"), QStringLiteral("Мария Стоянова"), QStringLiteral("ул. Гурко 1"), QString()) +
                           QStringLiteral("\r\n") +
                           row(QStringLiteral("12"), QStringLiteral("Иван Петров"), QStringLiteral("ул. Шипка 5"),
                               QStringLiteral("15.06.2024 10:30:00")) +
                           QStringLiteral("\r\n");
  EXPECT_EQ(readers::fileBytes(file), cp1251(expected));

  // chosen captions in the order given, the number column included; no delimiter
  const readers::Run c = exportList(QStringLiteral("txt"), file,
                                    {QStringLiteral("--columns"), QStringLiteral("Рег.номер,  №,ЕГН"),
                                     QStringLiteral("--delimiter"), QString()});
  ASSERT_EQ(c.status, 0) << c.err.toStdString();
  EXPECT_EQ(readers::fileBytes(file), cp1251(QStringLiteral("Рег.номер  №ЕГН\r\n710101010007\r\n1220101010007\r\n")));
}

TEST_F(AdminTest, SearchCriteriaNarrowTheList) {
  const QString file = out(QStringLiteral("found.txt"));
  struct Case {
    QStringList criteria;
    QString expected;  // the rows' numbers and names
  };
  const QList<Case> cases = {
      {{QStringLiteral("--regnum"), QStringLiteral("12")}, QStringLiteral("12Иван Петров")},
      // a name search lists every member whose name matches, holder or not
      {{QStringLiteral("--name"), QStringLiteral("Дете")}, QStringLiteral("7Дете")},
      {{QStringLiteral("--regdate"), QStringLiteral("01.01.2003"), QStringLiteral("31.12.2003"),
        QStringLiteral("--group"), QStringLiteral("2 - Живеещи в негодни за обитаване помещения")},
       QStringLiteral("7Мария Стоянова|12Иван Петров")},
      {{QStringLiteral("--regdate"), QStringLiteral("01.01.2010"), QStringLiteral("31.12.2010")}, QString()},
  };
  for (const Case &c : cases) {
    const readers::Run r = exportList(QStringLiteral("txt"), file,
                                      QStringList{QStringLiteral("--columns"), QStringLiteral("Рег.номер,Име"),
                                                  QStringLiteral("--delimiter"), QString()} +
                                          c.criteria);
    ASSERT_EQ(r.status, 0) << r.err.toStdString();
    QStringDecoder dec("windows-1251");
    const QString text = dec.decode(readers::fileBytes(file));
    QStringList lines = text.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    ASSERT_FALSE(lines.isEmpty());
    EXPECT_EQ(lines.takeFirst(), QStringLiteral("Рег.номерИме"));
    for (QString &l : lines) l = l.trimmed();
    EXPECT_EQ(lines.join(QLatin1Char('|')), c.expected) << c.criteria.join(' ').toStdString();
  }
  EXPECT_EQ(exportList(QStringLiteral("txt"), file, {QStringLiteral("--regdate"), QStringLiteral("вчера"),
                                                     QStringLiteral("днес")})
                .status,
            2);
  EXPECT_EQ(exportList(QStringLiteral("txt"), file, {QStringLiteral("--regnum"), QStringLiteral("7"),
                                                     QStringLiteral("--name"), QStringLiteral("Мария")})
                .status,
            2);
}

TEST_F(AdminTest, BadArgumentsAndNoColumns) {
  const QString file = out(QStringLiteral("x.txt"));
  struct Case {
    QStringList args;
    int status;
  };
  const QList<Case> cases = {
      {{QStringLiteral("--columns"), QStringLiteral("Име,Няма такава")}, 2},
      {{QStringLiteral("--columns"), QStringLiteral("Име,Име")}, 2},
      {{QStringLiteral("--font-size"), QStringLiteral("7")}, 2},
      {{QStringLiteral("--bogus"), QStringLiteral("1")}, 2},
      {{QStringLiteral("--columns"), QString()}, 1},  // nothing ticked
  };
  for (const Case &c : cases) {
    const readers::Run r = exportList(QStringLiteral("txt"), file, c.args);
    EXPECT_EQ(r.status, c.status) << c.args.join(' ').toStdString();
    EXPECT_FALSE(QFile::exists(file));
  }
  EXPECT_TRUE(QString::fromUtf8(exportList(QStringLiteral("xls"), file, {QStringLiteral("--columns"), QString()}).err)
                  .contains(QStringLiteral("Няма избрани колони за извеждане !")));
  EXPECT_EQ(exportList(QStringLiteral("pdf"), file).status, 2);
}

TEST_F(AdminTest, WorkbookTitleAndLayout) {
  const QString file = out(QStringLiteral("list.xls"));
  ASSERT_EQ(exportList(QStringLiteral("xls"), file, {QStringLiteral("--font-size"), QStringLiteral("9")}).status, 0);
  QJsonArray rows = readers::readXls(file).value("sheets").toArray()[0].toObject().value("rows").toArray();
  ASSERT_EQ(rows.size(), 1 + 1 + 1 + 2);
  EXPECT_EQ(rows[0].toArray()[0].toString(),
            QStringLiteral("Списък на картотеката - ") + QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy")));
  EXPECT_EQ(rows[2].toArray().size(), 19);
  EXPECT_EQ(rows[3].toArray()[0].toString(), QStringLiteral("7"));

  struct Case {
    QString title;
    int headerRow;
  };
  for (const Case &c : QList<Case>{{QString(), 1}, {QStringLiteral("едно\nдве\nтри"), 4}}) {
    ASSERT_EQ(exportList(QStringLiteral("xls"), file,
                         {QStringLiteral("--title"), c.title, QStringLiteral("--footer"), QStringLiteral("Край"),
                          QStringLiteral("--columns"), QStringLiteral("Име")})
                  .status,
              0);
    rows = readers::readXls(file).value("sheets").toArray()[0].toObject().value("rows").toArray();
    ASSERT_EQ(rows.size(), c.headerRow + 1 + 2 + 2);
    EXPECT_EQ(rows[c.headerRow].toArray()[0].toString(), QStringLiteral("Име"));
    EXPECT_EQ(rows[c.headerRow + 1].toArray()[0].toString().trimmed(), QStringLiteral("Мария Стоянова"));
    EXPECT_EQ(rows.last().toArray()[0].toString(), QStringLiteral("Край"));
  }
}

TEST_F(AdminTest, DocumentInTheOrientationChosen) {
  const QString wide = out(QStringLiteral("wide.doc"));
  const QString tall = out(QStringLiteral("tall.doc"));
  ASSERT_EQ(exportList(QStringLiteral("doc"), wide, {QStringLiteral("--portrait"), QStringLiteral("--landscape")}).status,
            0);
  ASSERT_EQ(exportList(QStringLiteral("doc"), tall, {QStringLiteral("--portrait"), QStringLiteral("--title"),
                                                     QStringLiteral("Справка"), QStringLiteral("--columns"),
                                                     QStringLiteral("Рег.номер,Име,Адрес")})
                .status,
            0);
  const QString pdfs = out(QStringLiteral("pdf"));
  QDir().mkpath(pdfs);
  ASSERT_TRUE(readers::officeConvert({wide, tall}, QStringLiteral("pdf"), pdfs));
  const auto landscape = [](const QString &pdf) {
    const QString info = QString::fromUtf8(readers::run(QStringLiteral("pdfinfo"), {pdf}).out);
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+) x ([\\d.]+)")).match(info);
    return m.captured(1).toDouble() > m.captured(2).toDouble();
  };
  EXPECT_TRUE(landscape(pdfs + QStringLiteral("/wide.pdf")));
  EXPECT_FALSE(landscape(pdfs + QStringLiteral("/tall.pdf")));
  const QString text = readers::pdfText(pdfs + QStringLiteral("/tall.pdf"));
  EXPECT_TRUE(text.contains(QStringLiteral("Справка")));
  EXPECT_GE(text.indexOf(QStringLiteral("Мария Стоянова")), 0) << text.toStdString();
  EXPECT_LT(text.indexOf(QStringLiteral("Мария Стоянова")), text.indexOf(QStringLiteral("Иван Петров")));
  // all nineteen columns keep to the landscape page
  const QString wideText = readers::pdfText(pdfs + QStringLiteral("/wide.pdf"));
  for (const QString &w : {QStringLiteral("Рег."), QStringLiteral("проток"), QStringLiteral("0101010007"),
                           QStringLiteral("01.02.2003"), QStringLiteral("15.06.2024")})
    EXPECT_TRUE(wideText.contains(w)) << w.toStdString() << "\n" << wideText.toStdString();
}

TEST_F(AdminTest, CertificateOfOneCard) {
  const QString pdf = out(QStringLiteral("c.pdf"));
  readers::Run r = admin({QStringLiteral("certificate"), QStringLiteral("--database"), reg.path, QStringLiteral("--regnum"),
                          QStringLiteral("7"), QStringLiteral("--pdf"), pdf});
  ASSERT_EQ(r.status, 0) << r.err.toStdString();
  const QString text = readers::pdfText(pdf);
  EXPECT_TRUE(text.contains(QStringLiteral("ОБЩИНА ДОЛИНЕЦ")));
  EXPECT_TRUE(text.contains(QStringLiteral("Мария Стоянова")));
  EXPECT_FALSE(text.contains(QStringLiteral("Дете")));  // the holder's row only
  EXPECT_EQ(text.count(QStringLiteral("Гл.Специалист:")), 1);
  EXPECT_TRUE(text.contains(QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"))));

  const QString none = out(QStringLiteral("none.pdf"));
  r = admin({QStringLiteral("certificate"), QStringLiteral("--database"), reg.path, QStringLiteral("--regnum"),
             QStringLiteral("99"), QStringLiteral("--pdf"), none});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(QString::fromUtf8(r.err), QStringLiteral("Не същетсвува запис с този регистрационен номер\n"));
  EXPECT_FALSE(QFile::exists(none));
  EXPECT_EQ(admin({QStringLiteral("certificate"), QStringLiteral("--database"), reg.path, QStringLiteral("--regnum"),
                   QStringLiteral("седем"), QStringLiteral("--pdf"), none})
                .status,
            2);
}
