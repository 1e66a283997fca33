// zv-admin lbd, lbd-names and the demo's population file, run as a clerk's
// administrator runs them.
#include <gtest/gtest.h>

#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include "Dataset.h"
#include "Fb.h"
#include "PopulationFile.h"
#include "TempRegister.h"

namespace {

struct AdminRun {
  int status = -1;
  QString out, err;
};

AdminRun admin(const QStringList &args, const QString &population) {
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("ZV_PERSONINFO_DATA"), population);
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(ZV_ADMIN), args);
  EXPECT_TRUE(p.waitForFinished(120000));
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

TEST(AdminLbd, PrintsTheCheckWindowsBoxes) {
  PopulationFile pop;
  Person maria = named(QStringLiteral("7501020018"), QStringLiteral("Мария"), QString(), QString());
  maria.insert({{QStringLiteral("PAddrPopulatedPlace"), QStringLiteral("Долинец")},
                {QStringLiteral("PAddrStreet"), QStringLiteral("Рила")},
                {QStringLiteral("PAddrNumber"), QStringLiteral("5")},
                {QStringLiteral("PAddrFloor"), QStringLiteral("3")},
                {QStringLiteral("PAddrDate"), QStringLiteral("20050201")},
                {QStringLiteral("IdDocNumber"), QStringLiteral("640123456")},
                {QStringLiteral("IdDocDate"), QStringLiteral("20190304")},
                {QStringLiteral("IdDocRDVR"), QStringLiteral("Долинец")}});
  pop.write({maria});

  AdminRun r = admin({QStringLiteral("lbd"), QStringLiteral("7501020018")}, pop.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, QStringLiteral("Name\tМария  \n"
                                  "EGN\t7501020018\n"
                                  "Address1\tДолинец Рила 5 ет.3\n"
                                  "AddrReg1\t01.02.2005\n"
                                  "Address2\t  \n"
                                  "AddrReg2\t\n"
                                  "IDInfo\t№640123456 от 04.03.2019,издаден от  РДВР-Долинец \n"));

  r = admin({QStringLiteral("lbd"), QStringLiteral("1111111111")}, pop.path);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, QStringLiteral("Лице с това ЕГН не фигурира в Локална База Данни\n"));

  r = admin({QStringLiteral("lbd"), QStringLiteral("7501020018")}, pop.dir.filePath(QStringLiteral("none.tsv")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, QStringLiteral("НЯМА ВРЪЗКА С ЛБД!\n"));

  EXPECT_EQ(admin({QStringLiteral("lbd")}, pop.path).status, 2);

  // A data line with a field too many or too few would shift every later
  // column: the whole file is refused, and the first bad line named.
  for (const QByteArray &bad : {QByteArray("EGN\tFirstName\tLastName\n7501020018\tМария\tИванова\n"
                                           "7501020019\tИван\n7501020020\tПетър\tПетров\n"),
                                QByteArray("EGN\tFirstName\r\n7501020018\tМария\r\n\r\n7501020019\tИван\tИванов\r\n")}) {
    pop.writeRaw(bad);
    r = admin({QStringLiteral("lbd"), QStringLiteral("7501020018")}, pop.path);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out, QStringLiteral("НЯМА ВРЪЗКА С ЛБД!\n"));
    EXPECT_TRUE(r.err.contains(QRegularExpression(QStringLiteral(": line [34] has [23] fields, the first line names [23]\n$"))))
        << r.err.toStdString();
  }
  // Blank lines and a header-wide line read as before.
  pop.writeRaw("EGN\tFirstName\n\n7501020018\tМария\n");
  EXPECT_EQ(admin({QStringLiteral("lbd"), QStringLiteral("7501020018")}, pop.path).status, 0);
}

TEST(AdminLbd, NamesThatDifferInTableOrder) {
  TempRegister reg;
  PopulationFile pop;
  {
    fb::Database db;
    db.databaseName = reg.path;
    db.connect();
    fb::Transaction tr(db);
    tr.start();
    for (const auto &[name, egn] : QList<std::pair<QString, QString>>{
             {QStringLiteral("Иван Петров Иванов"), QStringLiteral("7501020018")},
             {QStringLiteral("иван петров иванов"), QStringLiteral("7502030027")},
             {QStringLiteral("Гергана"), QStringLiteral("7503040036")},
             {QStringLiteral("Петър Петров"), QStringLiteral("7502030027")}})
      fb::execute(db, tr, QStringLiteral("insert into RGS_PERSON (NAME, EGN, PERSON_TYPE) values (?, ?, 0)"),
                  {name, egn});
    tr.commit();
  }
  const QStringList args{QStringLiteral("lbd-names"), QStringLiteral("--database"), reg.path};
  pop.write({named(QStringLiteral("7501020018"), QStringLiteral("Иван"), QStringLiteral("Петров"),
                   QStringLiteral("Иванов")),
             named(QStringLiteral("7502030027"), QStringLiteral("Иван"), QStringLiteral("Петров"),
                   QStringLiteral("Иванов")),
             named(QStringLiteral("7503040036"), QStringLiteral("Гергана"), QString(), QStringLiteral("Ек"))});
  AdminRun r = admin(args, pop.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, QStringLiteral("1\t7502030027\tиван петров иванов\tИван Петров Иванов\n"
                                  "2\t7503040036\tГергана\tГергана  Ек\n"
                                  "3\t7502030027\tПетър Петров\tИван Петров Иванов\n"));

  pop.write({named(QStringLiteral("7501020018"), QStringLiteral("Иван"), QStringLiteral("Петров"),
                   QStringLiteral("Иванов"))});
  r = admin(args, pop.path);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, QStringLiteral("Не са намерени никакви съвпадащи ЕГН-та с различаващи се имена от ЛБД\n"));

  r = admin(args, pop.dir.filePath(QStringLiteral("none.tsv")));
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, QStringLiteral("НЯМА ВРЪЗКА С ЛБД!\n"));
}

TEST(AdminLbd, DemoWritesAPopulationFileForItsPeople) {
  TempRegister reg;
  PopulationFile pop;
  const AdminRun demo = admin({QStringLiteral("demo"), QStringLiteral("--database"), reg.path, QStringLiteral("--cards"),
                          QStringLiteral("150"), QStringLiteral("--seed"), QStringLiteral("4")},
                         pop.path);
  ASSERT_EQ(demo.status, 0) << demo.out.toStdString();
  const QRegularExpression line(QStringLiteral("members (\\d+).*\\npopulation register (.+), persons (\\d+), "
                                               "names differing (\\d+)\\n$"));
  const QRegularExpressionMatch m = line.match(demo.out);
  ASSERT_TRUE(m.hasMatch()) << demo.out.toStdString();
  EXPECT_EQ(m.captured(2), pop.path);
  const int members = m.captured(1).toInt(), persons = m.captured(3).toInt(), differing = m.captured(4).toInt();
  EXPECT_LT(persons, members) << "some members are missing";
  EXPECT_GT(persons, members * 9 / 10);
  EXPECT_GT(differing, 0);
  EXPECT_LT(differing, persons / 10);

  // names and identity documents: the owner's only
  EXPECT_EQ(QFileInfo(pop.path).permissions() & ~(QFileDevice::ReadUser | QFileDevice::WriteUser),
            QFileDevice::ReadOwner | QFileDevice::WriteOwner);
  QFile f(pop.path);
  ASSERT_TRUE(f.open(QIODevice::ReadOnly));
  const QStringList lines = QString::fromUtf8(f.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
  ASSERT_EQ(lines.size(), persons + 1);
  const QStringList header = lines.first().split(QLatin1Char('\t'));
  EXPECT_EQ(header, QStringList{QStringLiteral("EGN")} + TPersonInfo::Keys());
  const qsizetype idAt = header.indexOf(QStringLiteral("IdDocNumber"));
  int withoutCard = 0;
  for (const QString &l : lines.mid(1)) {
    const QStringList cells = l.split(QLatin1Char('\t'));
    ASSERT_EQ(cells.size(), header.size()) << l.toStdString();
    if (cells[idAt].isEmpty()) ++withoutCard;
  }
  EXPECT_GT(withoutCard, 0);
  EXPECT_LT(withoutCard, persons / 2);

  // The comparison lists exactly the names the demo made differ.
  const AdminRun names = admin({QStringLiteral("lbd-names"), QStringLiteral("--database"), reg.path}, pop.path);
  EXPECT_EQ(names.status, 0);
  EXPECT_EQ(names.out.count(QLatin1Char('\n')), differing) << names.out.toStdString();
}

}  // namespace
