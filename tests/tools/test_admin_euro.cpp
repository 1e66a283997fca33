// zv-admin and the one-time conversion of incomes to euro: `zv-admin euro`
// reports what it converted, every command that opens a register converts
// first, and the demo register is in euro.
#include <gtest/gtest.h>

#include <QProcess>
#include <QTemporaryDir>

#include "Fb.h"
#include "TempRegister.h"

namespace {

struct AdminRun {
  int code;
  QString out, err;
};

AdminRun admin(const QStringList &args) {
  QProcess p;
  p.start(QStringLiteral(ZV_ADMIN), args);
  EXPECT_TRUE(p.waitForFinished(120000));
  return {p.exitCode(), QString::fromUtf8(p.readAllStandardOutput()), QString::fromUtf8(p.readAllStandardError())};
}

// Statements run and committed on a connection of their own.
void run(const QString &path, const QStringList &sqls) {
  fb::Database db;
  db.databaseName = path;
  db.connect();
  fb::Transaction tr(db);
  for (const QString &sql : sqls) {
    tr.ensure();
    fb::execute(db, tr, sql);
  }
  tr.commit();
  db.disconnect();
}

// One column of committed rows, doubles in full.
QStringList column(const QString &path, const QString &sql) {
  fb::Database db;
  db.databaseName = path;
  db.connect();
  fb::Transaction tr(db);
  tr.ensure();
  fb::Statement q(db, tr);
  q.prepare(sql);
  q.execute();
  QStringList out;
  while (q.fetch()) {
    const QVariant v = q.value(0);
    out << (!v.isValid() ? QStringLiteral("NULL")
            : v.typeId() == QMetaType::Double ? QString::number(v.toDouble(), 'g', 17)
                                              : v.toString().trimmed());
  }
  q.closeCursor();
  tr.commit();
  db.disconnect();
  return out;
}

// A register as the previous version left it: incomes in leva, no mark.
void makeOld(const QString &path) {
  run(path, {QStringLiteral("delete from REGISTER_STEPS"),
             QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS, INCOME) "
                            "values (1, '01.02.2003', 'адрес', 1, 9, 'Default', 1, 1955.83)"),
             QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS, INCOME) "
                            "values (2, '01.02.2003', 'адрес', 1, 9, 'Default', 1, 100)"),
             QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS) "
                            "values (3, '01.02.2003', 'адрес', 1, 9, 'Default', 1)")});
}

const QString kIncomes = QStringLiteral("select INCOME from RGS_CARD order by REG_NUM");
const QStringList kEuro{QStringLiteral("1000"), QStringLiteral("51.130000000000003"), QStringLiteral("NULL")};

TEST(AdminEuro, ConvertsOnceAndSaysHowMany) {
  TempRegister reg;
  makeOld(reg.path);
  const AdminRun first = admin({QStringLiteral("euro"), QStringLiteral("--database"), reg.path});
  EXPECT_EQ(first.code, 0) << first.err.toStdString();
  EXPECT_EQ(first.out, QStringLiteral("Превалутирани доходи: 2\n"));
  EXPECT_EQ(column(reg.path, kIncomes), kEuro);
  const AdminRun again = admin({QStringLiteral("euro"), QStringLiteral("--database"), reg.path});
  EXPECT_EQ(again.code, 0) << again.err.toStdString();
  EXPECT_EQ(again.out, QStringLiteral("Превалутирани доходи: 0\n"));
  EXPECT_EQ(column(reg.path, kIncomes), kEuro);
  EXPECT_EQ(column(reg.path, QStringLiteral("select T_TEXT from INF_LOG")),
            QStringList{QStringLiteral("Доходите са превалутирани от лева в евро: 2 картона (1 евро = 1,95583 лв.)")});
}

TEST(AdminEuro, BadArgumentsAndFailures) {
  QTemporaryDir dir;
  for (const QStringList &args : {QStringList{QStringLiteral("euro")},
                                  QStringList{QStringLiteral("euro"), QStringLiteral("--database")},
                                  QStringList{QStringLiteral("euro"), QStringLiteral("--db"), QStringLiteral("x")},
                                  QStringList{QStringLiteral("euro"), QStringLiteral("--database"), QStringLiteral("x"),
                                              QStringLiteral("extra")}}) {
    const AdminRun r = admin(args);
    EXPECT_EQ(r.code, 2) << args.join(QLatin1Char(' ')).toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("usage: zv-admin euro --database PATH"))) << r.err.toStdString();
    EXPECT_TRUE(r.out.isEmpty());
  }
  const AdminRun missing = admin({QStringLiteral("euro"), QStringLiteral("--database"), dir.filePath(QStringLiteral("no.fdb"))});
  EXPECT_NE(missing.code, 0);
  EXPECT_TRUE(missing.out.isEmpty());
  EXPECT_TRUE(missing.err.startsWith(QStringLiteral("zv-admin euro: "))) << missing.err.toStdString();

  // A card held by another workstation: nothing converted, the error told.
  TempRegister reg;
  makeOld(reg.path);
  fb::Database other;
  other.databaseName = reg.path;
  other.connect();
  fb::Transaction tr(other);
  tr.ensure();
  fb::execute(other, tr, QStringLiteral("update RGS_CARD set NOTES = 'пише се' where REG_NUM = 1"));
  const AdminRun locked = admin({QStringLiteral("euro"), QStringLiteral("--database"), reg.path});
  EXPECT_EQ(locked.code, 1);
  EXPECT_TRUE(locked.out.isEmpty()) << locked.out.toStdString();
  EXPECT_TRUE(locked.err.contains(QStringLiteral("Доходите не са превалутирани"))) << locked.err.toStdString();
  tr.rollback();
  other.disconnect();
  EXPECT_EQ(column(reg.path, kIncomes).value(1), QStringLiteral("100"));
  EXPECT_TRUE(column(reg.path, QStringLiteral("select STEP from REGISTER_STEPS")).isEmpty());
}

TEST(AdminEuro, ExportOfAnOldRegisterConvertsFirst) {
  TempRegister reg;
  makeOld(reg.path);
  QTemporaryDir dir;
  const AdminRun r = admin({QStringLiteral("export"), QStringLiteral("--database"), reg.path, QStringLiteral("--type"),
                            QStringLiteral("txt"), QStringLiteral("--out"), dir.filePath(QStringLiteral("list.txt"))});
  EXPECT_EQ(r.code, 0) << r.err.toStdString();
  EXPECT_EQ(column(reg.path, kIncomes), kEuro);
  const AdminRun euro = admin({QStringLiteral("euro"), QStringLiteral("--database"), reg.path});
  EXPECT_EQ(euro.out, QStringLiteral("Превалутирани доходи: 0\n"));
}

TEST(AdminEuro, DemoRegisterIsInEuro) {
  TempRegister reg;
  QTemporaryDir dir;
  QProcess p;
  QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
  env.insert(QStringLiteral("ZV_PERSONINFO_DATA"), dir.filePath(QStringLiteral("personinfo.tsv")));
  p.setProcessEnvironment(env);
  p.start(QStringLiteral(ZV_ADMIN), {QStringLiteral("demo"), QStringLiteral("--database"), reg.path,
                                     QStringLiteral("--cards"), QStringLiteral("50")});
  ASSERT_TRUE(p.waitForFinished(120000));
  ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  EXPECT_GE(column(reg.path, QStringLiteral("select min(INCOME) from RGS_CARD")).value(0).toDouble(), 600);
  EXPECT_LE(column(reg.path, QStringLiteral("select max(INCOME) from RGS_CARD")).value(0).toDouble(), 18000);
  EXPECT_EQ(column(reg.path, QStringLiteral("select STEP from REGISTER_STEPS")), QStringList{QStringLiteral("EURO_INCOMES")});
  EXPECT_TRUE(column(reg.path, QStringLiteral("select T_TEXT from INF_LOG")).isEmpty()) << "nothing to convert";
}

}  // namespace
