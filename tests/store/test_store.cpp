// The Firebird layer and the data module on a fresh embedded register.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "DataModule.h"
#include "Install.h"
#include "TempRegister.h"

namespace {

class StoreTest : public ::testing::Test {
 protected:
  TempRegister reg;
  TDataModule1 dm;
  void SetUp() override { dm.connectTo(reg.path, QStringLiteral("SYSDBA"), QString()); }
  void TearDown() override {
    if (dm.Database.connected()) {
      dm.Transaction.rollback();
      dm.Database.disconnect();
    }
  }
  void exec(const QString &sql, const std::vector<QVariant> &p = {}) { fb::execute(dm.Database, dm.Transaction, sql, p); }
  // Inserts a card with the given number and returns its CARD_ID.
  int addCard(int regNum, const QString &address = QStringLiteral("ул. Тест 1")) {
    exec(QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, GRUPA, ADD_USER, STATUS) "
                        "values (?, '01.02.2003', ?, 2, 9, 1, 'Default', 1)"),
         {regNum, address});
    zv::Query q(dm.Database, dm.Transaction);
    q.SQL = QStringList{QStringLiteral("select max(CARD_ID) from RGS_CARD")};
    q.open();
    return q.fieldByName(QStringLiteral("MAX")).asInteger();
  }
  void addPerson(int cardId, const QString &name, int type, const QString &egn = QStringLiteral("0101010007")) {
    exec(QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE) values (?, ?, ?, ?)"),
         {cardId, name, egn, type});
  }
};

TEST_F(StoreTest, ValuesRoundTrip) {
  // CHAR comes back padded, NULL stays NULL, dates keep their time, text
  // blobs and Cyrillic cross the boundary as Windows-1251 unchanged.
  const QString notes = QStringLiteral("Бележка с кавичка ' и нов ред\r\nвтори ред ") + QString(40000, QChar(u'ж'));
  exec(QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, ADD_USER, STATUS, NOTES, "
                      "INCOME) values (7, ?, ?, 1, 9, 'Default', 1, ?, 1234.5)"),
       {QDateTime(QDate(2024, 2, 29), QTime(13, 45, 10), Qt::UTC), QStringLiteral("гр. Долинец"), notes});
  zv::Query q(dm.Database, dm.Transaction);
  q.SQL = QStringList{QStringLiteral("select ADRESS, ADD_USER, REGDATE, NOTES, INCOME, ADRESS_DATE, KIDS, CLASSINFO "
                                     "from RGS_CARD where REG_NUM = 7")};
  q.open();
  ASSERT_EQ(q.recordCount(), 1);
  EXPECT_EQ(q.fieldByName(QStringLiteral("ADRESS")).asString(), QStringLiteral("гр. Долинец").leftJustified(100));
  EXPECT_EQ(q.fieldByName(QStringLiteral("add_user")).asString(), QStringLiteral("Default").leftJustified(20));
  EXPECT_EQ(q.fieldByName(QStringLiteral("REGDATE")).asString(), QStringLiteral("29.02.2024 13:45:10"));
  EXPECT_EQ(q.fieldByName(QStringLiteral("NOTES")).asString(), notes);
  EXPECT_DOUBLE_EQ(q.fieldByName(QStringLiteral("INCOME")).asFloat(), 1234.5);
  for (const char *f : {"ADRESS_DATE", "KIDS", "CLASSINFO"}) {
    EXPECT_TRUE(q.fieldByName(QString::fromLatin1(f)).isNull()) << f;
    EXPECT_EQ(q.fieldByName(QString::fromLatin1(f)).asInteger(), 0) << f;
  }
  // CHAR compares with = ignoring the padding, but LIKE does not.
  q.SQL = QStringList{QStringLiteral("select count(*) from RGS_CARD where ADRESS = 'гр. Долинец'")};
  q.open();
  EXPECT_EQ(q.fieldByName(QStringLiteral("COUNT")).asInteger(), 1);
}

TEST_F(StoreTest, TextWithoutWindows1251FormIsRefusedBeforeWriting) {
  try {
    exec(QStringLiteral("insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE) values (1, ?, '0101010007', 0)"),
         {QStringLiteral("Иван 漢字")});
    FAIL() << "no error";
  } catch (const fb::EncodingError &e) {
    EXPECT_TRUE(e.text().contains(QStringLiteral("漢"))) << e.text().toStdString();
  }
  EXPECT_THROW(fb::toWin1251(QStringLiteral("€ ok, but ☺ not")), fb::EncodingError);
  EXPECT_NO_THROW(fb::toWin1251(QStringLiteral("Ђ€‚ѓ„…†‡№")));
  zv::Query q(dm.Database, dm.Transaction);
  q.SQL = QStringList{QStringLiteral("select count(*) from RGS_PERSON")};
  q.open();
  EXPECT_EQ(q.fieldByName(QStringLiteral("COUNT")).asInteger(), 0);
}

TEST_F(StoreTest, CommitRetainingKeepsTransactionAndRollbackUndoes) {
  addCard(1);
  dm.Transaction.commitRetaining();
  EXPECT_TRUE(dm.Transaction.active());
  addCard(2);
  dm.Transaction.rollback();
  EXPECT_FALSE(dm.Transaction.active());
  zv::Query q(dm.Database, dm.Transaction);
  q.SQL = QStringList{QStringLiteral("select REG_NUM from RGS_CARD order by REG_NUM")};
  q.open();
  ASSERT_EQ(q.recordCount(), 1);
  EXPECT_EQ(q.fieldByName(QStringLiteral("REG_NUM")).asInteger(), 1);
}

TEST_F(StoreTest, ServerErrorCarriesServerText) {
  addCard(5);
  try {
    addCard(5);
    FAIL() << "duplicate accepted";
  } catch (const fb::Error &e) {
    EXPECT_TRUE(e.text().contains(QStringLiteral("RGS_CARD_IDX1"))) << e.text().toStdString();
  }
}

TEST_F(StoreTest, RegisterQueryListsHolderRows) {
  const int a = addCard(30);
  addPerson(a, QStringLiteral("Първи Титуляр"), 0);
  addPerson(a, QStringLiteral("Дете Първо"), 3);
  const int b = addCard(10);  // two holders: listed twice
  addPerson(b, QStringLiteral("Холдер Едно"), 0);
  addPerson(b, QStringLiteral("Холдер Две"), 0);
  const int c = addCard(20);  // no holder: not listed
  addPerson(c, QStringLiteral("Само Дете"), 3);
  dm.setMainLines(QStringLiteral("and P.PERSON_TYPE = 0 "), QStringLiteral(" order by Reg_Num"));
  zv::Query &mq = dm.MainQuery;
  ASSERT_EQ(mq.recordCount(), 3);
  QList<int> nums;
  for (int r = 0; r < mq.recordCount(); ++r) {
    nums << mq.value(r, QStringLiteral("REG_NUM")).toInt();
    EXPECT_EQ(dm.displayText(r, QStringLiteral("CARD_ID")), QString::number(r + 1));
  }
  EXPECT_EQ(nums, (QList<int>{10, 10, 30}));
  // display fields resolve against NOM
  EXPECT_EQ(dm.displayText(0, QStringLiteral("Stat")), QStringLiteral("Вписан в картотеката").leftJustified(50));
  EXPECT_EQ(dm.displayText(0, QStringLiteral("grupa11")), QStringLiteral("2"));  // the group number, GROUP1
  EXPECT_EQ(dm.displayText(0, QStringLiteral("group_2")), QString());  // row 9 of GROUP2 is empty
  EXPECT_EQ(dm.displayText(0, QStringLiteral("REGDATE")), QStringLiteral("01.02.2003"));
  // the record filter hides rows without reopening
  mq.onFilterRecord = [](const zv::Query &q, const zv::Row &r) {
    return r[static_cast<size_t>(q.columnIndex(QStringLiteral("REG_NUM")))].toInt() > 10;
  };
  mq.setFiltered(true);
  EXPECT_EQ(mq.recordCount(), 1);
  mq.setFiltered(false);
  EXPECT_EQ(mq.recordCount(), 3);
}

TEST_F(StoreTest, TableObjectEditsAndInserts) {
  const int id = addCard(40);
  ASSERT_TRUE(dm.Cards.locate(QStringLiteral("CARD_ID"), id));
  dm.Cards.edit();
  dm.Cards.setField(QStringLiteral("ADRESS"), QStringLiteral("ул. О'Нийл 5"));
  dm.Cards.setField(QStringLiteral("KIDS"), QVariant());
  dm.Cards.post();
  ASSERT_TRUE(dm.Cards.locate(QStringLiteral("REG_NUM"), 40));
  EXPECT_EQ(dm.Cards.fieldByName(QStringLiteral("ADRESS")).asString().trimmed(), QStringLiteral("ул. О'Нийл 5"));
  EXPECT_FALSE(dm.Cards.locate(QStringLiteral("REG_NUM"), 41));
  // Nom is opened whole and edited through the same object
  ASSERT_TRUE(dm.Nom.locate(QStringLiteral("N"), 1));
  dm.Nom.edit();
  dm.Nom.setField(QStringLiteral("COUNTER"), 500);
  dm.Nom.post();
  dm.Nom.open();
  ASSERT_TRUE(dm.Nom.locate(QStringLiteral("N"), 1));
  EXPECT_EQ(dm.Nom.fieldByName(QStringLiteral("COUNTER")).asInteger(), 500);
}

TEST(Install, SchemaScriptSplitsAtTerminators) {
  const QStringList s = zv::schemaStatements();
  ASSERT_FALSE(s.isEmpty());
  int triggers = 0;
  for (const QString &st : s) {
    EXPECT_FALSE(st.endsWith(QLatin1Char('^'))) << st.toStdString();
    if (st.startsWith(QStringLiteral("create trigger"))) {
      ++triggers;
      EXPECT_TRUE(st.trimmed().endsWith(QStringLiteral("end"))) << st.toStdString();
    }
  }
  EXPECT_EQ(triggers, 4);
}

TEST(Install, RefusesToOverwriteAnExistingRegister) {
  TempRegister reg;
  zv::InstallOptions o;
  o.database = reg.path;
  o.adminPassword = QStringLiteral("x");
  EXPECT_THROW(zv::createRegister(o), fb::Error);
}

}  // namespace
