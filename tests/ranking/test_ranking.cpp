// The ranking: its line and notes rules, the criteria window, the ranking
// command on the main window, and the places written to the cards.
#include <QCheckBox>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTableView>
#include <QToolButton>

#include "Klas.h"
#include "Modal.h"
#include "Nomen.h"
#include "Points.h"
#include "Ranking.h"
#include "RankingFixture.h"
#include "Upgrade.h"
#include "WriteUnit.h"

namespace {

using namespace rankingtest;

const QString kBuiltInOrder = QStringLiteral(
    "order by GRUPA,POINTS DESC,REGDATE,KIDS DESC,ONLY_PARENT,N_INVALIDS DESC,YOUNG_FAMILY,HARD_LIFE,KIDS_AGE DESC");

// ------------------------------------------------------------ without a register

TEST(RankingText, LinesAndNotes) {
  const zv::TDate day = zv::fromQDate(QDate(2008, 3, 15));
  const zv::TDate since = zv::fromQDate(QDate(2004, 5, 5));
  EXPECT_EQ(zv::RankingLine(12, day, 2, since, zv::kNomNone),
            QStringLiteral("12-о място от 15.03.2008 - Група 2 от 05.05.2004, Подгрупа: Няма"));
  // A CHAR(50) text keeps one blank of its padding; inner runs collapse too.
  EXPECT_EQ(zv::RankingLine(1, day, 3, since, QStringLiteral("Самотен  родител").leftJustified(50)),
            QStringLiteral("1-о място от 15.03.2008 - Група 3 от 05.05.2004, Подгрупа: Самотен родител "));
  EXPECT_EQ(zv::RankingLine(3, day, 2, 0, zv::kNomNone),
            QStringLiteral("3-о място от 15.03.2008 - Група 2, Подгрупа: Няма"));

  const QString line = QStringLiteral("L");
  const struct {
    QString notes, want;
  } notes[] = {
      {QString(), QStringLiteral("L")},
      {QStringLiteral("бележка"), QStringLiteral("бележка\rL")},
      {QStringLiteral("бележка\r\n"), QStringLiteral("бележка\r\nL")},
      {QStringLiteral("бележка\t"), QStringLiteral("бележка\tL")},
      {QStringLiteral("бележка "), QStringLiteral("бележка \rL")},
  };
  for (const auto &c : notes) EXPECT_EQ(zv::NotesWithLine(c.notes, line), c.want) << c.notes.toStdString();

  EXPECT_EQ(zv::RankingOrderOf(zv::BuiltInCriteria()), kBuiltInOrder);
  EXPECT_EQ(zv::RankingOrderOf({}), QString());
}

// ------------------------------------------------------------ criteria window

class KlasFormTest : public RankingFixture {
 protected:
  void SetUp() override {
    RankingFixture::SetUp();
    connect();
  }
  QStringList texts(const TKlasForm &f) {
    QStringList out;
    for (const zv::Criterion &c : f.criteria()) out << c.text;
    return out;
  }
  // Selects row i (or nothing for -1), presses the arrow, returns the order.
  QStringList press(TKlasForm &f, int i, QToolButton *arrow) {
    if (i < 0)
      f.ClassList->clearSelection();
    else
      f.ClassList->setCurrentRow(i);
    arrow->click();
    return texts(f);
  }
};

TEST_F(KlasFormTest, NewRegisterOffersTheNineCriteriaWithTheGroupFixed) {
  TKlasForm f;
  EXPECT_EQ(f.windowTitle(), QStringLiteral("Класиране"));
  EXPECT_EQ(f.KlasInfo->toPlainText(),
            QStringLiteral("В класирането участват семейства, които притежават група и имат \n"
                           "състояние \"вписан в картотеката\".\n"
                           "То се сортира по следните критерии в следната последователност:"));
  EXPECT_TRUE(f.KlasInfo->isReadOnly());
  EXPECT_TRUE(f.cbRefreshInfo->isChecked());
  EXPECT_FALSE(f.cbRefreshInfo->isEnabled());
  EXPECT_EQ(f.cbRefreshInfo->text(), QStringLiteral("Опресняване на базата данни съгласно днешна дата"));
  EXPECT_EQ(f.bOK->text(), QStringLiteral("Класиране >>"));
  EXPECT_TRUE(f.bOK->isDefault());
  EXPECT_EQ(f.bCancel->text(), QStringLiteral("Отказ"));
  EXPECT_TRUE(f.sbUp->text().isEmpty());
  EXPECT_EQ(f.sbUp->arrowType(), Qt::UpArrow);
  EXPECT_EQ(f.sbDown->arrowType(), Qt::DownArrow);
  EXPECT_EQ(f.T, 9);
  EXPECT_EQ(f.F, 1);
  // The seeded rows are the built-in list, the group fixed.
  std::vector<zv::Criterion> want = zv::BuiltInCriteria();
  want[0].fixed = true;
  EXPECT_EQ(f.criteria(), want);
  EXPECT_EQ(f.RankingOrderText(), kBuiltInOrder);

  f.show();
  EXPECT_EQ(f.ClassList->currentRow(), 3);
  // The fixed group stays first; the others move within their part.
  const QStringList start = texts(f);
  EXPECT_EQ(press(f, 0, f.sbDown), start);
  EXPECT_EQ(press(f, 1, f.sbUp), start);
  QStringList moved = start;
  moved.swapItemsAt(1, 2);
  EXPECT_EQ(press(f, 1, f.sbDown), moved);
  EXPECT_EQ(f.ClassList->currentRow(), 2);
  EXPECT_EQ(f.RankingOrderText(), QStringLiteral("order by GRUPA,REGDATE,POINTS DESC,KIDS DESC,ONLY_PARENT,"
                                                 "N_INVALIDS DESC,YOUNG_FAMILY,HARD_LIFE,KIDS_AGE DESC"));
  f.close();
}

TEST_F(KlasFormTest, EmptyTableOffersTheBuiltInListThatDoesNotMove) {
  exec(QStringLiteral("delete from KLAS_NOM"));
  TKlasForm f;
  EXPECT_EQ(f.T, 0);
  EXPECT_EQ(f.F, 0);
  EXPECT_EQ(f.criteria(), zv::BuiltInCriteria());
  f.show();
  EXPECT_EQ(f.ClassList->currentRow(), 3);
  const QStringList start = texts(f);
  for (int i : {-1, 0, 3, 8}) {
    EXPECT_EQ(press(f, i, f.sbUp), start) << i;
    EXPECT_EQ(press(f, i, f.sbDown), start) << i;
  }
  f.close();
}

TEST_F(KlasFormTest, ThreeFixedRowsComeFirstAndNeverMove) {
  // Stored out of order, with a fixed row after the movable ones.
  exec(QStringLiteral("delete from KLAS_NOM"));
  const struct {
    int id;
    const char *text, *term;
    int fixed;
  } rows[] = {{5, "д", "KIDS DESC", 0}, {2, "б", "POINTS DESC", 1}, {1, "а", "GRUPA", 1},
              {4, "г", "REGDATE", 0},   {9, "в", "HARD_LIFE", 1},   {6, "е", "KIDS_AGE DESC", 0}};
  for (const auto &r : rows)
    exec(QStringLiteral("insert into KLAS_NOM (KLAS_ID, KLAS_TXT, KLAS_COLUMN, KLAS_VAJ) values (?, ?, ?, ?)"),
         {r.id, QString::fromUtf8(r.text), QString::fromUtf8(r.term), r.fixed});
  TKlasForm f;
  EXPECT_EQ(f.T, 6);
  EXPECT_EQ(f.F, 3);
  f.show();
  const QStringList start = texts(f);
  EXPECT_EQ(start, (QStringList{"а", "б", "в", "г", "д", "е"}));
  EXPECT_EQ(f.ClassList->currentRow(), 3);
  EXPECT_EQ(press(f, 3, f.sbUp), start);  // the fourth cannot go above the fixed ones
  for (int i : {0, 1, 2}) {
    EXPECT_EQ(press(f, i, f.sbUp), start) << i;
    EXPECT_EQ(press(f, i, f.sbDown), start) << i;
  }
  EXPECT_EQ(press(f, 5, f.sbDown), start);  // the last cannot go further
  EXPECT_EQ(press(f, -1, f.sbDown), start);
  EXPECT_EQ(press(f, 5, f.sbUp), (QStringList{"а", "б", "в", "г", "е", "д"}));
  EXPECT_EQ(press(f, 3, f.sbDown), (QStringList{"а", "б", "в", "е", "г", "д"}));
  EXPECT_EQ(f.RankingOrderText(), QStringLiteral("order by GRUPA,POINTS DESC,HARD_LIFE,KIDS_AGE DESC,REGDATE,KIDS DESC"));
  f.close();
  // The order lives in the window only.
  TKlasForm again;
  EXPECT_EQ(texts(again), start);
}

// ------------------------------------------------------------ the command

class RankingCommandTest : public RankingFixture {
 protected:
  // Six cards: two of group 1 and one of group 2 take part, one card with two
  // holders too; a card without a group and one of status 2 do not.
  void fill() {
    addCard(1, 1, 1, yearsAgo(5));
    addCard(2, 1, 1, yearsAgo(10));
    addCard(3, 2, 1, yearsAgo(20));
    addCard(4, 0, 1, yearsAgo(30));  // no group
    addCard(5, 2, 2, yearsAgo(30));  // status 2
    const int twice = addCard(6, 3, 1, yearsAgo(1));
    addPerson(twice, QStringLiteral("Втори титуляр"), 0);
    exec(QStringLiteral("update RGS_CARD set POINTS = 99"));
    form->Refresh();  // commits
  }
  int committedPointsSum() {
    fb::Database db;
    db.databaseName = reg.path;
    db.connect();
    fb::Transaction tr(db);
    fb::Statement s(db, tr);
    s.prepare(QStringLiteral("select sum(POINTS) from RGS_CARD"));
    s.execute();
    s.fetch();
    const int sum = s.value(0).toInt();
    s.closeCursor();
    tr.commit();
    db.disconnect();
    return sum;
  }
  QStringList tabTexts() {
    QStringList out;
    for (int i = 0; i < form->tabs()->count(); ++i) out << form->tabs()->tabText(i);
    return out;
  }
  QString spravkaCaption() { return form->findChild<QAction *>(QStringLiteral("tbSpravka"))->text(); }
  void confirmCriteria(const std::function<void(TKlasForm *)> &before = {}) {
    zvtest::onModal<TKlasForm>(
        [before](TKlasForm *f) {
          if (before) before(f);
          f->bOK->click();
        },
        QStringLiteral("KlasForm"));
  }
};

TEST_F(RankingCommandTest, ListsTheTakingPartInOrderOnOneTab) {
  startAs(QStringLiteral("USER3"));
  fill();
  form->RankingOrder = QStringLiteral("stale");
  for (int run = 0; run < 2; ++run) {
    confirmCriteria();
    form->tbStatusClick();
    EXPECT_TRUE(Dialogs::shown().isEmpty()) << Dialogs::lastText().toStdString();
    EXPECT_EQ(tabTexts(), (QStringList{"Всички", "Търсене", "Класиране"})) << "run " << run;
    EXPECT_EQ(form->tabs()->currentIndex(), 2);
    EXPECT_EQ(spravkaCaption(), QStringLiteral("Отпечатване"));
    EXPECT_EQ(form->RankingOrder, kBuiltInOrder);
    EXPECT_EQ(dm->mainFilter(), zv::kRankingFilter);
    EXPECT_EQ(dm->mainOrder(), kBuiltInOrder);
    // Group 1 by points, then group 2, then the card with two holders twice.
    EXPECT_EQ(listed(), (QList<int>{2, 1, 3, 6, 6}));
    for (int r = 0; r < 5; ++r)
      EXPECT_EQ(form->grid()->model()->index(r, 0).data().toString(), QString::number(r + 1));
  }
  // The points were refreshed and committed: years of registration each.
  EXPECT_EQ(committedPointsSum(), 5 + 10 + 20 + 30 + 30 + 1);
  // Leaving the tab removes it.
  form->tabs()->setCurrentIndex(0);
  EXPECT_EQ(tabTexts(), (QStringList{"Всички", "Търсене"}));
  EXPECT_EQ(spravkaCaption(), QStringLiteral("Справка"));
}

TEST_F(RankingCommandTest, MovedCriteriaGiveTheOrder) {
  startAs(QStringLiteral("USER1"));
  fill();
  confirmCriteria([](TKlasForm *f) {
    f->ClassList->setCurrentRow(2);  // registration date above the points
    f->sbUp->click();
  });
  form->tbStatusClick();
  EXPECT_EQ(form->RankingOrder, QStringLiteral("order by GRUPA,REGDATE,POINTS DESC,KIDS DESC,ONLY_PARENT,"
                                               "N_INVALIDS DESC,YOUNG_FAMILY,HARD_LIFE,KIDS_AGE DESC"));
  EXPECT_EQ(listed(), (QList<int>{2, 1, 3, 6, 6}));  // the older registration first either way
}

TEST_F(RankingCommandTest, CancelOrMissingRightsChangeNothing) {
  startAs(QStringLiteral("USER2"));
  fill();
  form->RankingOrder = QStringLiteral("order by REG_NUM");
  const QList<int> before = listed();
  for (const int level : {4, 6, 2}) {
    form->AccessLevel = level;
    Dialogs::clearShown();
    if (level == 2) {
      zvtest::onModal<TKlasForm>([](TKlasForm *f) { f->bCancel->click(); }, QStringLiteral("KlasForm"));
      form->tbStatusClick();
      EXPECT_TRUE(Dialogs::shown().isEmpty());
    } else {
      NoModal none;
      form->tbStatusClick();
      ASSERT_EQ(Dialogs::shown().size(), 1);
      EXPECT_EQ(Dialogs::shown().first().text, QStringLiteral("Потребителят не разполага с достатъчно права"));
      EXPECT_EQ(Dialogs::shown().first().caption, QStringLiteral("Грешка"));
    }
    EXPECT_EQ(form->RankingOrder, QStringLiteral("order by REG_NUM")) << level;
    EXPECT_EQ(tabTexts(), (QStringList{"Всички", "Търсене"}));
    EXPECT_EQ(listed(), before);
    EXPECT_EQ(committedPointsSum(), 6 * 99);
  }
}

// ------------------------------------------------------------ places

class PlacesTest : public RankingFixture {
 protected:
  void SetUp() override {
    RankingFixture::SetUp();
    connect();
  }
  void rank() { dm->setMainLines(zv::kRankingFilter, QStringLiteral("order by GRUPA, REG_NUM")); }
  const QString day = QStringLiteral("15.06.2026");
};

TEST_F(PlacesTest, EveryRankedCardGetsItsPlaceAndTheNotesKeepThem) {
  const zv::TDate since = zv::fromQDate(QDate(2020, 2, 1));
  addCard(10, 1, 1, yearsAgo(3), 9, since);                                      // no notes, no subgroup text
  addCard(20, 2, 1, yearsAgo(3), 1, since, QStringLiteral("стара бележка\r\n"));  // ends with a line break
  addCard(30, 3, 1, yearsAgo(3), 0, since, QStringLiteral("стара бележка"));      // ends with a letter
  const int twice = addCard(40, 4, 1, yearsAgo(3), 9, since);
  addPerson(twice, QStringLiteral("Втори титуляр"), 0);
  addCard(50, 0, 1, yearsAgo(3));  // not ranked
  exec(QStringLiteral("update RGS_CARD set GRUPA_DATE = null where REG_NUM = 40"));
  rank();
  const auto lineFor = [&](int place, int group, const QString &since, const QString &sub) {
    return QStringLiteral("%1-о място от %2 - Група %3%4, Подгрупа: %5").arg(place).arg(day).arg(group).arg(since, sub);
  };
  const QString from = QStringLiteral(" от 01.02.2020");
  const QString l1 = lineFor(1, 2, from, QStringLiteral("Няма"));
  const QString l2 = lineFor(2, 3, from, QStringLiteral("Самотен родител "));
  const QString l3 = lineFor(3, 4, from, QStringLiteral("Многодетно семейство "));
  const QString l4 = lineFor(4, 5, QString(), QStringLiteral("Няма"));
  const QString l5 = lineFor(5, 5, QString(), QStringLiteral("Няма"));

  zv::RecordingProgress progress;
  EXPECT_EQ(zv::WriteRankingPlaces(progress), 4);
  EXPECT_EQ(progress.task, QStringLiteral("Попълване на данните от класирането"));
  EXPECT_EQ(progress.width, 215);
  // Five rows; the card listed twice moves the bar by two.
  EXPECT_EQ(progress.positions, (std::vector<int>{17, 33, 50, 83}));
  EXPECT_FALSE(progress.shown);
  EXPECT_TRUE(dm->MainQuery.active());  // the same ranking again
  EXPECT_EQ(dm->MainQuery.recordCount(), 5);

  // Committed: another workstation sees the places.
  EXPECT_EQ(committedPlace(10), std::make_pair(l1, l1));
  EXPECT_EQ(committedPlace(20), std::make_pair(l2, QStringLiteral("стара бележка\r\n") + l2));
  EXPECT_EQ(committedPlace(30), std::make_pair(l3, QStringLiteral("стара бележка\r") + l3));
  EXPECT_EQ(committedPlace(40), std::make_pair(l5, l4 + QChar(13) + l5));
  EXPECT_EQ(committedPlace(50), std::make_pair(QString(), QString()));

  // Recorded again: a second line in the notes, CLASSINFO replaced.
  zv::setNow(kNowDt.addDays(1));
  zv::WriteRankingPlaces(progress);
  const QString again = QStringLiteral("1-о място от 16.06.2026 - Група 2 от 01.02.2020, Подгрупа: Няма");
  EXPECT_EQ(committedPlace(10), std::make_pair(again, l1 + QChar(13) + again));
}

TEST_F(PlacesTest, EmptyRankingCommitsAndWritesNothing) {
  addCard(1, 0, 1, yearsAgo(2));
  exec(QStringLiteral("update RGS_CARD set NOTES = 'чакаща промяна' where REG_NUM = 1"));
  rank();
  ASSERT_EQ(dm->MainQuery.recordCount(), 0);
  zv::RecordingProgress progress;
  int pauses = 0, resumes = 0;
  EXPECT_EQ(zv::WriteRankingPlaces(progress, [&](bool on) { ++(on ? resumes : pauses); }), 0);
  EXPECT_TRUE(progress.positions.empty());
  EXPECT_EQ(pauses, 1);
  EXPECT_EQ(resumes, 1);
  // The pending change went in with the commit.
  EXPECT_EQ(committedPlace(1), std::make_pair(QString(), QStringLiteral("чакаща промяна")));
}

// Another workstation: its own connection to the register, with work it has
// not committed yet.
struct OtherStation {
  fb::Database db;
  fb::Transaction tr{db};
  explicit OtherStation(const QString &path) {
    db.databaseName = path;
    db.connect();
    tr.start();
  }
  ~OtherStation() {
    if (tr.active()) tr.rollback();
    db.disconnect();
  }
  void exec(const QString &sql) { fb::execute(db, tr, sql); }
};

TEST_F(PlacesTest, CardHeldElsewhereStopsTheRunAndNothingOfItStays) {
  for (int reg : {10, 20, 30}) addCard(reg, 1, 1, yearsAgo(3));
  addCard(50, 0, 1, yearsAgo(3));
  dm->Transaction.commit();
  rank();
  // Pending before the run: the command that wrote it keeps it.
  exec(QStringLiteral("update RGS_CARD set NOTES = 'преди класирането' where REG_NUM = 50"));
  OtherStation other(reg.path);
  other.exec(QStringLiteral("update RGS_CARD set NOTES = 'от другото място' where REG_NUM = 20"));

  zv::RecordingProgress progress;
  try {
    zv::WriteRankingPlaces(progress);
    FAIL() << "the places were recorded over a card held elsewhere";
  } catch (const zv::UnitFailed &e) {
    EXPECT_TRUE(e.text().startsWith(QStringLiteral("Местата не са записани: картон с рег. номер 20 се променя на друго "
                                                   "работно място. Опитайте отново.\n")))
        << e.text().toStdString();
    EXPECT_EQ(e.regNum().toInt(), 20);
    EXPECT_TRUE(e.isConflict());
  }
  EXPECT_FALSE(progress.shown);
  // The same ranking again, in a new transaction with nothing of the run.
  EXPECT_EQ(dm->MainQuery.recordCount(), 3);
  dm->Transaction.commit();  // what the next refresh does
  for (int reg : {10, 20, 30}) EXPECT_EQ(committedPlace(reg), std::make_pair(QString(), QString())) << reg;
  EXPECT_EQ(committedPlace(50).second, QStringLiteral("преди класирането"));

  // Once the other workstation has committed, every card gets one line.
  other.tr.commit();
  rank();
  EXPECT_EQ(zv::WriteRankingPlaces(progress), 3);
  const QString line2 = QStringLiteral("2-о място от %1 - Група 2 от %2, Подгрупа: Няма").arg(day, zv::dateText(yearsAgo(3)));
  EXPECT_EQ(committedPlace(20), std::make_pair(line2, QStringLiteral("от другото място") + QChar(13) + line2));
  for (int reg : {10, 30}) EXPECT_EQ(committedPlace(reg).second.count(QStringLiteral("място от")), 1) << reg;
}

TEST_F(PlacesTest, PointsRefreshStoppedByAHeldCardRefreshesNone) {
  for (int reg : {10, 20, 30}) addCard(reg, 1, 1, yearsAgo(3));
  dm->Transaction.commit();
  OtherStation other(reg.path);
  other.exec(QStringLiteral("update RGS_CARD set NOTES = 'от другото място' where REG_NUM = 20"));
  zv::RecordingProgress progress;
  try {
    zv::RefreshAllPoints(progress);
    FAIL() << "the points were refreshed over a card held elsewhere";
  } catch (const zv::UnitFailed &e) {
    EXPECT_TRUE(e.text().startsWith(QStringLiteral("Точките не са обновени: картон с рег. номер 20 се променя на друго "
                                                   "работно място. Опитайте отново.\n")))
        << e.text().toStdString();
  }
  dm->Transaction.commit();
  other.tr.commit();
  zv::Query q(dm->Database, dm->Transaction);
  q.SQL = QStringList{QStringLiteral("select count(*) from RGS_CARD where POINTS is not null")};
  q.open();
  EXPECT_EQ(q.value(0, 0).toInt(), 0);
  q.close();
  EXPECT_EQ(zv::RefreshAllPoints(progress), 3);
}

// Starts a second recording, at another workstation, as soon as the first
// has begun writing.
class SecondRecorder : public zv::RecordingProgress {
 public:
  std::function<void()> atFirstStep;
  void setPosition(int percent) override {
    zv::RecordingProgress::setPosition(percent);
    if (auto f = std::exchange(atFirstStep, {})) f();
  }
};

TEST_F(PlacesTest, OneRecordingAtATime) {
  for (int reg : {10, 20, 30}) addCard(reg, 1, 1, yearsAgo(3));
  dm->Transaction.commit();
  rank();
  TDataModule1 second;
  second.connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
  bool refused = false;
  SecondRecorder progress;
  progress.atFirstStep = [&] {
    DataModule1 = &second;
    second.setMainLines(zv::kRankingFilter, QStringLiteral("order by GRUPA, REG_NUM"));
    zv::RecordingProgress own;
    try {
      zv::WriteRankingPlaces(own);
    } catch (const zv::UnitFailed &e) {
      refused = e.text() == zv::kPlacesBusyText;
      EXPECT_EQ(e.text(), zv::kPlacesBusyText);
    }
    EXPECT_EQ(second.MainQuery.recordCount(), 3);  // its list as it was
    DataModule1 = dm.get();
  };
  EXPECT_EQ(zv::WriteRankingPlaces(progress), 3);
  EXPECT_TRUE(refused);
  for (int reg : {10, 20, 30}) EXPECT_EQ(committedPlace(reg).second.count(QStringLiteral("място от")), 1) << reg;

  // Committed, the first lets the next one in.
  DataModule1 = &second;
  EXPECT_EQ(zv::WriteRankingPlaces(progress), 3);
  DataModule1 = dm.get();
  second.disconnectCommitting();
  for (int reg : {10, 20, 30}) EXPECT_EQ(committedPlace(reg).second.count(QStringLiteral("място от")), 2) << reg;
}

}  // namespace
