// Code lists of NOM and their window, the action history with its window,
// and the executor stamp, on a fresh embedded register.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QPushButton>
#include <QScrollBar>
#include <QTableView>
#include <QTest>

#include "DataModule.h"
#include "Dialogs.h"
#include "History.h"
#include "LogForm.h"
#include "NomForm.h"
#include "Session.h"
#include "TempRegister.h"

namespace {

QString padded(const QString &s) { return s.leftJustified(50); }

class RegisterTest : public ::testing::Test {
 protected:
  TempRegister reg;
  TDataModule1 dm;
  void SetUp() override {
    dm.connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
    Dialogs::setScripted(true);
    Dialogs::clearShown();
  }
  void TearDown() override {
    zv::setNow(std::nullopt);
    if (dm.Database.connected()) {
      dm.Transaction.rollback();
      dm.Database.disconnect();
    }
  }
  void exec(const QString &sql, const std::vector<QVariant> &p = {}) { fb::execute(dm.Database, dm.Transaction, sql, p); }
  // Changes NOM behind the table object, then reopens it as the program would.
  void setNom(const QString &column, int n, const QVariant &value) {
    exec(QStringLiteral("update NOM set %1 = ? where N = ?").arg(column), {value, n});
    dm.Nom.open();
  }
  QVariant scalar(const QString &sql) {
    zv::Query q(dm.Database, dm.Transaction);
    q.SQL = QStringList{sql};
    q.open();
    return q.isEmpty() ? QVariant() : q.value(0, 0);
  }
};

// ------------------------------------------------------------- code lists

using NomLists = RegisterTest;

TEST_F(NomLists, TextOfGivesStoredTextOrFalse) {
  setNom(QStringLiteral("GROUP2"), 8, QStringLiteral("   "));
  setNom(QStringLiteral("GROUP1"), 4, QVariant());
  struct Case {
    const char *column;
    int n;
    QString expected;
  } cases[] = {
      {"STATUS", 1, padded(QStringLiteral("Вписан в картотеката"))},
      {"Status", 1, padded(QStringLiteral("Вписан в картотеката"))},  // column names in any case
      {"GROUP2", 9, QStringLiteral("false")},                          // row 9 of GROUP2 stays empty
      {"GROUP2", 8, QString(50, QLatin1Char(' '))},                    // blanks are a text
      {"GROUP1", 4, QStringLiteral("false")},                          // NULL in an existing row
      {"GROUP1", 42, QStringLiteral("false")},                         // no such row
  };
  for (const Case &c : cases)
    EXPECT_EQ(zv::NomTextOf(QString::fromLatin1(c.column), c.n), c.expected) << c.column << " " << c.n;
}

// The certificate and the place line print a group as its code plus one, the
// ranking printout the first character of its text: a new register's texts
// make the two agree. A family without any feature has a subgroup to choose,
// and the codes that count for the points keep their meaning.
TEST_F(NomLists, DefaultListsAgreeWithThePrintedNumbersAndThePoints) {
  const QList<zv::NomEntry> groups = zv::NomEntries(QStringLiteral("GROUP1"));
  ASSERT_EQ(groups.size(), 6);
  for (const zv::NomEntry &e : groups)
    EXPECT_TRUE(e.text.startsWith(QString::number(e.n + 1) + QStringLiteral(" - "))) << e.text.toStdString();
  EXPECT_EQ(zv::NomTextOf(QStringLiteral("GROUP1"), 2), padded(QStringLiteral("3 - Живеещи в пренаселени жилища")));
  EXPECT_EQ(zv::NomTextOf(QStringLiteral("GROUP2"), 3), padded(QStringLiteral("Член с увреждане")));
  EXPECT_EQ(zv::NomTextOf(QStringLiteral("GROUP2"), 5), padded(QStringLiteral("Тежки жилищни условия")));
  EXPECT_EQ(zv::NomTextOf(QStringLiteral("GROUP2"), 6), padded(QStringLiteral("Без особености")));
  EXPECT_EQ(zv::NomTextOf(QStringLiteral("GROUP2"), 9), QStringLiteral("false"));
}

TEST_F(NomLists, OfferedListSkipsAGapRow) {
  setNom(QStringLiteral("GROUP1"), 2, QVariant());
  const QList<zv::NomEntry> entries = zv::NomEntries(QStringLiteral("GROUP1"));
  QList<int> codes;
  for (const zv::NomEntry &e : entries) codes << e.n;
  EXPECT_EQ(codes, (QList<int>{0, 1, 3, 4, 5}));
  ASSERT_EQ(entries.size(), 5);
  EXPECT_EQ(entries[2].text, padded(QStringLiteral("4 - Живеещи под наем в частни жилища")));

  QComboBox box;
  box.addItem(QStringLiteral("от предишно пълнене"));
  zv::FillNomList(&box, QStringLiteral("GROUP1"));
  ASSERT_EQ(box.count(), 5);
  EXPECT_EQ(box.itemText(2), entries[2].text);
  EXPECT_EQ(box.itemData(2).toInt(), 3);
  EXPECT_EQ(box.currentIndex(), -1);
}

TEST_F(NomLists, CodeOfIsHighestExactMatch) {
  setNom(QStringLiteral("STATUS"), 2, QStringLiteral("Дубъл"));
  setNom(QStringLiteral("STATUS"), 5, QStringLiteral("Дубъл"));
  setNom(QStringLiteral("GROUP2"), 8, QStringLiteral("  "));
  EXPECT_EQ(zv::NomCodeOf(QStringLiteral("STATUS"), padded(QStringLiteral("Дубъл"))), 5);
  EXPECT_EQ(zv::NomCodeOf(QStringLiteral("status"), padded(QStringLiteral("Дубъл"))), 5);
  // trailing blanks count
  EXPECT_EQ(zv::NomCodeOf(QStringLiteral("STATUS"), QStringLiteral("Дубъл")), -1);
  EXPECT_EQ(zv::NomCodeOf(QStringLiteral("STATUS"), padded(QStringLiteral("Няма такова"))), -1);
  // a blank text matches blanks, never a NULL
  EXPECT_EQ(zv::NomCodeOf(QStringLiteral("GROUP2"), QString(50, QLatin1Char(' '))), 8);
  EXPECT_EQ(zv::NomCodeOf(QStringLiteral("GROUP2"), QString()), -1);
}

// ------------------------------------------------------ nomenclature window

using NomWindow = RegisterTest;

QStringList shownTitles(const TNomForm &f) {
  QStringList out;
  for (int c = 0; c < f.NomGrid->model()->columnCount(); ++c)
    if (!f.NomGrid->isColumnHidden(c)) out << f.NomGrid->model()->headerData(c, Qt::Horizontal).toString();
  return out;
}

TEST_F(NomWindow, PagesOneListAtATimeAndStartsAtGroupOnEveryOpening) {
  TNomForm f;
  f.show();
  EXPECT_EQ(f.windowTitle(), QStringLiteral("Номенклатури"));
  EXPECT_EQ(shownTitles(f), (QStringList{QStringLiteral("Номер"), QStringLiteral("Група")}));
  QStringList all;
  for (int c = 0; c < f.NomGrid->model()->columnCount(); ++c)
    all << f.NomGrid->model()->headerData(c, Qt::Horizontal).toString();
  EXPECT_EQ(all, (QStringList{"Номер", "Група", "Особености", "Състояние", "Социална Група", "Данни за жилището",
                              "Основание за обитаване", "Картотекиран за "}));

  f.bPrev->click();  // already on the first list
  EXPECT_EQ(f.currentList(), 1);
  for (int i = 0; i < 8; ++i) f.bNext->click();  // one more than there are
  EXPECT_EQ(f.currentList(), 7);
  EXPECT_EQ(shownTitles(f), (QStringList{QStringLiteral("Номер"), QStringLiteral("Картотекиран за ")}));
  f.bPrev->click();
  f.bPrev->click();
  EXPECT_EQ(shownTitles(f), (QStringList{QStringLiteral("Номер"), QStringLiteral("Данни за жилището")}));

  f.close();
  f.show();
  EXPECT_EQ(f.currentList(), 1);
  EXPECT_EQ(shownTitles(f), (QStringList{QStringLiteral("Номер"), QStringLiteral("Група")}));

  // a viewer: the rows of NOM, nothing editable
  const QAbstractItemModel *m = f.NomGrid->model();
  ASSERT_EQ(m->rowCount(), 10);
  EXPECT_EQ(m->index(3, 0).data().toInt(), 3);
  EXPECT_EQ(m->index(3, 3).data().toString(), padded(QStringLiteral("Отказано вписване")));
  EXPECT_FALSE(m->index(9, 2).data().isValid());  // NULL shows empty
  EXPECT_FALSE(m->flags(m->index(0, 1)) & Qt::ItemIsEditable);
}

TEST_F(NomWindow, CtrlDeleteDeletesTheRowAfterConfirmation) {
  TNomForm f;
  f.show();
  const auto rowsInDb = [&] { return scalar(QStringLiteral("select count(*) from NOM")).toInt(); };
  f.NomGrid->setCurrentIndex(f.NomGrid->model()->index(7, 1));

  // Only an administrator deletes; everyone else is refused before the
  // question (0: no level set).
  for (const int level : {2, 3, 6, 0}) {
    SCOPED_TRACE(level);
    f.setAccessLevel(level);
    Dialogs::clearShown();
    QTest::keyClick(f.NomGrid, Qt::Key_Delete, Qt::ControlModifier);
    ASSERT_EQ(Dialogs::shown().size(), 1);
    EXPECT_EQ(Dialogs::shown()[0].kind, QStringLiteral("message"));
    EXPECT_EQ(Dialogs::shown()[0].text, QStringLiteral("Потребителят не разполага с достатъчно права"));
    EXPECT_EQ(Dialogs::shown()[0].caption, QStringLiteral("Грешка"));
    EXPECT_EQ(rowsInDb(), 10);
  }
  Dialogs::clearShown();
  f.setAccessLevel(1);

  QTest::keyClick(f.NomGrid, Qt::Key_Delete);  // Delete alone does nothing
  EXPECT_TRUE(Dialogs::shown().isEmpty());

  Dialogs::queueAnswer(false);
  QTest::keyClick(f.NomGrid, Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(Dialogs::shown().size(), 1);
  EXPECT_EQ(Dialogs::shown()[0].kind, QStringLiteral("ask"));
  EXPECT_EQ(rowsInDb(), 10);
  EXPECT_EQ(f.NomGrid->model()->rowCount(), 10);

  Dialogs::queueAnswer(true);
  QTest::keyClick(f.NomGrid, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(rowsInDb(), 9);
  EXPECT_EQ(f.NomGrid->model()->rowCount(), 9);
  EXPECT_EQ(f.NomGrid->model()->index(7, 0).data().toInt(), 8);
  EXPECT_EQ(zv::NomTextOf(QStringLiteral("GROUP1"), 7), QStringLiteral("false"));

  // the delete waits in the shared transaction
  dm.Transaction.rollback();
  EXPECT_EQ(rowsInDb(), 10);
}

// ----------------------------------------------------------------- history

class History : public RegisterTest {
 protected:
  void SetUp() override {
    RegisterTest::SetUp();
    zv::session().CurrentUserName = QStringLiteral("Иван О'Нийл");
    zv::session().CurrentUserId = QStringLiteral("1");
    zv::setNow(QDateTime(QDate(2024, 3, 5), QTime(14, 7, 9)));
  }
  void TearDown() override {
    zv::session() = zv::Session{};
    RegisterTest::TearDown();
  }
};

TEST_F(History, RowCarriesCollapsedMessageUserAndBothTimes) {
  const QString message = QStringLiteral("Променено  име     от 'А'\r\nКартон номер :7\r\n");
  zv::LogAction(42, QStringLiteral("RGS_PERSON"), message);
  EXPECT_EQ(dm.tq.SQL.join(QLatin1Char('\n')),
            QStringLiteral("insert into inf_log(U_NAME,USER_ID,TYPE_T,T_ID,T_TEXT,C_DATE,S_DATE)values('Иван "
                           "О''Нийл',1,'RGS_PERSON',42,'Променено име от ''А''\r\nКартон номер :7\r\n','05.03.2024 "
                           "14:07:09',current_timestamp)"));
  zv::Query q(dm.Database, dm.Transaction);
  q.SQL = QStringList{QStringLiteral("select * from INF_LOG")};
  q.open();
  ASSERT_EQ(q.recordCount(), 1);
  EXPECT_EQ(q.fieldByName(QStringLiteral("U_NAME")).asString(), QStringLiteral("Иван О'Нийл"));
  EXPECT_EQ(q.fieldByName(QStringLiteral("USER_ID")).asInteger(), 1);
  EXPECT_EQ(q.fieldByName(QStringLiteral("TYPE_T")).asString(), QStringLiteral("RGS_PERSON"));
  EXPECT_EQ(q.fieldByName(QStringLiteral("T_ID")).asInteger(), 42);
  EXPECT_EQ(q.fieldByName(QStringLiteral("T_TEXT")).asString(),
            QStringLiteral("Променено име от 'А'\r\nКартон номер :7\r\n"));
  EXPECT_EQ(q.fieldByName(QStringLiteral("C_DATE")).asString(), QStringLiteral("05.03.2024 14:07:09"));
  EXPECT_FALSE(q.fieldByName(QStringLiteral("S_DATE")).isNull());
  q.close();

  // the row waits in the shared transaction; a text with no Windows-1251
  // form is refused and reaches the caller
  EXPECT_THROW(zv::LogAction(1, QStringLiteral("SYSTEM"), QStringLiteral("☺")), fb::Error);
  dm.Transaction.rollback();
  EXPECT_EQ(scalar(QStringLiteral("select count(*) from INF_LOG")).toInt(), 0);
}

TEST_F(History, NoteStamp) {
  const QString stamp = QStringLiteral(
      "{ Изпълнител: Иван О'Нийл\r\n  Дата и час: 05.03.2024 14:07:09\r\n  Тип: Потребителско\r\n"
      "  Съобщение: 'Обадил се по телефона' }");
  const QString kind = QStringLiteral("Потребителско");
  const QString older = QStringLiteral("стара бележка\r\nвтори ред");
  struct Case {
    QString notes, message, expected;
  } cases[] = {
      {QString(), QStringLiteral("Обадил се по телефона"), stamp},
      {older, QStringLiteral("Обадил се по телефона"), stamp + QStringLiteral("\r\n") + older},
      {older, QString(), older},
      {QString(), QString(), QString()},
  };
  for (const Case &c : cases)
    EXPECT_EQ(zv::AddNoteStamp(c.notes, c.message, kind), c.expected) << c.notes.toStdString() << "|"
                                                                      << c.message.toStdString();
  EXPECT_EQ(zv::ExecutorStamp(QStringLiteral("Промяна на състояние от А на Б"), QStringLiteral("Системно"))
                .split(QStringLiteral("\r\n")),
            (QStringList{QStringLiteral("{ Изпълнител: Иван О'Нийл"), QStringLiteral("  Дата и час: 05.03.2024 14:07:09"),
                         QStringLiteral("  Тип: Системно"),
                         QStringLiteral("  Съобщение: 'Промяна на състояние от А на Б' }")}));
}

// ---------------------------------------------------------- history window

using HistoryWindow = History;

TEST_F(HistoryWindow, ShowsMessagesCutAndTheWholeOneOnDoubleClick) {
  QString longText;
  for (int i = 0; longText.size() < 400; ++i) longText += QStringLiteral("Ред%1 ").arg(i, 3, 10, QLatin1Char('0'));
  longText.truncate(400);
  zv::LogAction(1, QStringLiteral("SYSTEM"), QStringLiteral("Влизане на потребител с име Иван О'Нийл"));
  zv::LogAction(7, QStringLiteral("RGS_CARD"), longText);

  QStringList opened;
  TLogF f(nullptr, [&](QWidget *owner, const QString &text) {
    EXPECT_EQ(owner, &f);
    opened << text;
  });
  f.show();
  EXPECT_EQ(f.windowTitle(), QStringLiteral("История на действията"));
  const QAbstractItemModel *m = f.DBGrid1->model();
  QStringList titles;
  for (int c = 0; c < m->columnCount(); ++c) titles << m->headerData(c, Qt::Horizontal).toString();
  EXPECT_EQ(titles, (QStringList{"Потребител", "Извършено действие", "Час/Дата на клиента", "Час/Дата на Сървъра"}));
  ASSERT_EQ(m->rowCount(), 2);
  EXPECT_EQ(m->index(0, 0).data().toString(), QStringLiteral("Иван О'Нийл"));
  EXPECT_EQ(m->index(0, 2).data().toString(), QStringLiteral("05.03.2024 14:07:09"));
  EXPECT_FALSE(m->index(0, 3).data().toString().isEmpty());
  EXPECT_EQ(m->index(1, 1).data().toString(), longText.left(150));
  EXPECT_FALSE(m->flags(m->index(1, 1)) & Qt::ItemIsEditable);

  const auto doubleClick = [&](int row, int column) {
    const QRect r = f.DBGrid1->visualRect(m->index(row, column));
    // a double click arrives after the press of its first click
    QTest::mouseClick(f.DBGrid1->viewport(), Qt::LeftButton, {}, r.center());
    QTest::mouseDClick(f.DBGrid1->viewport(), Qt::LeftButton, {}, r.center());
  };
  doubleClick(1, 0);  // other columns ignore it
  EXPECT_TRUE(opened.isEmpty());
  doubleClick(1, 1);
  EXPECT_EQ(opened, QStringList{longText});
}

TEST_F(HistoryWindow, RowsAreReadPageByPageInLogIdOrder) {
  for (int i = 1; i <= 7; ++i) zv::LogAction(i, QStringLiteral("SYSTEM"), QStringLiteral("ред %1").arg(i));
  zv::LogModel m(dm.Database, dm.Transaction, 3);
  m.open();
  EXPECT_EQ(m.rowCount(), 3);
  QList<int> sizes;
  while (m.canFetchMore(QModelIndex())) {
    m.fetchMore(QModelIndex());
    sizes << m.rowCount();
  }
  EXPECT_EQ(sizes, (QList<int>{6, 7}));
  for (int r = 0; r < 7; ++r) {
    EXPECT_EQ(m.fullText(r), QStringLiteral("ред %1").arg(r + 1));
    if (r > 0) {
      EXPECT_GT(m.logId(r), m.logId(r - 1));
    }
  }

  // the window opens with the first page; scrolling to the end reads on
  for (int i = 8; i <= 300; ++i) zv::LogAction(i, QStringLiteral("SYSTEM"), QStringLiteral("ред %1").arg(i));
  TLogF f;
  EXPECT_EQ(f.DBGrid1->model()->rowCount(), 250);
  f.show();
  for (int i = 0; i < 5 && f.DBGrid1->model()->rowCount() < 300; ++i) {
    f.DBGrid1->scrollToBottom();
    QApplication::processEvents();
  }
  EXPECT_EQ(f.DBGrid1->model()->rowCount(), 300);
  EXPECT_EQ(f.model()->fullText(299), QStringLiteral("ред 300"));
}

}  // namespace
