// Points and derived facts: the scoring on its own, the refill and the
// one-card computation on an embedded register, the progress window, and the
// synthetic register of zv-admin demo.
#include <gtest/gtest.h>

#include <QApplication>
#include <algorithm>
#include <QLabel>
#include <QProcess>
#include <QProgressBar>
#include <map>
#include <set>

#include "DataModule.h"
#include "Points.h"
#include "Status.h"
#include "TempRegister.h"
#include "egn.h"

namespace zv {
// How gtest shows a result that differs.
void PrintTo(const CardPoints &p, std::ostream *os) {
  *os << "{kids " << p.kids << ", age " << p.kidsAge << ", only " << p.onlyParent << ", hard " << p.hardLife
      << ", inv " << p.nInvalids << ", points " << p.points << ", young " << p.youngFamily << "}";
}
}  // namespace zv

namespace {

using zv::CardPoints;
using zv::PointsCardInput;
using zv::PointsMember;
using zv::TDate;

const QDateTime kNowDt(QDate(2026, 6, 15), QTime(10, 0), Qt::UTC);
const QDate kToday = kNowDt.date();
// Worked out on use, not at start-up: the date conversions have start-up
// data of their own.
TDate pinnedNow() { return zv::fromQDateTime(kNowDt); }

// A valid personal number for a birth date.
QString egnOf(const QDate &born, int serial = 123) { return zv::MakeEgn(born, serial); }

// Someone who turned `years` old `daysPast` days before today.
QString aged(int years, int daysPast = 40) { return egnOf(kToday.addYears(-years).addDays(-daysPast)); }

PointsMember member(int type, const QString &egn, int soc = 0) { return PointsMember{type, egn, soc}; }

// A registration date `days` (and `hours`) before the pinned now.
TDate registered(double days, double hours = 0) { return pinnedNow() - days - hours / 24.0; }

CardPoints expect(int kids, double kidsAge, int onlyParent, int hardLife, int nInvalids, int points, int youngFamily) {
  return CardPoints{kids, kidsAge, onlyParent, hardLife, nInvalids, points, youngFamily};
}

// ------------------------------------------------------------- the scoring

struct ScoreCase {
  const char *what;
  std::vector<PointsMember> members;
  PointsCardInput card;
  CardPoints want;
  TDate now = pinnedNow();
};

TEST(ScoreCard, CasesOfTheRules) {
  const QString invalidChild = aged(5).left(9) + QString::number((aged(5).at(9).unicode() - '0' + 1) % 10);
  // 29 February 2011 does not exist; its check digit is right all the same.
  QString feb29of2011 = QStringLiteral("1142290000");
  for (int d = 0; d <= 9; ++d) {
    feb29of2011[9] = QChar(u'0' + d);
    if (zv::EgnCheckDigitOk(feb29of2011)) break;
  }
  ASSERT_TRUE(zv::EgnCheckDigitOk(feb29of2011));
  // Born 29 February 2008: the 18th birthday is 1 March 2026.
  const QString leapBorn = egnOf(QDate(2008, 2, 29));
  const TDate lastMomentBefore = zv::fromQDateTime(QDateTime(QDate(2026, 2, 28), QTime(23, 59, 59), Qt::UTC));
  const TDate birthdayMidnight = zv::fromQDate(QDate(2026, 3, 1));

  const std::vector<ScoreCase> cases = {
      {"family of four, 3 years 10 days",
       {member(0, aged(30)), member(2, aged(32)), member(3, aged(5)), member(3, aged(8))},
       {9, 0, zv::fromQDate(kToday.addYears(-3).addDays(-10))},
       expect(2, 6.5, 0, 0, 0, 8, -1)},
      {"single parent, child of 17, 200 days",
       {member(0, aged(40)), member(3, aged(17))},
       {9, 0, registered(200)},
       expect(1, 17, -1, 0, 0, 10, 0)},
      {"three children give 7",
       {member(0, aged(40)), member(1, aged(40)), member(3, aged(2)), member(3, aged(4)), member(3, aged(6))},
       {9, 0, registered(0)},
       expect(3, 4, 0, 0, 0, 7, 0)},
      {"four children still give 7",
       {member(0, aged(40)), member(1, aged(40)), member(3, aged(1)), member(3, aged(3)), member(3, aged(5)),
        member(3, aged(9))},
       {9, 0, registered(0)}, expect(4, 4.5, 0, 0, 0, 7, 0)},
      {"child with the 18th birthday tomorrow", {member(0, aged(45)), member(3, aged(17, 364))},
       {9, 0, registered(0)}, expect(1, 17, -1, 0, 0, 10, 0)},
      {"child with the 18th birthday today", {member(0, aged(45)), member(3, aged(18, 0))},
       {9, 0, registered(0)}, expect(0, 0, 0, 0, 0, 0, 0)},
      {"child born today is 0", {member(0, aged(25)), member(3, aged(0, 0))},
       {9, 0, registered(0)}, expect(1, 0, -1, 0, 0, 10, 0)},
      {"child born after now: a child of age 0", {member(0, aged(25)), member(3, egnOf(kToday.addDays(3)))},
       {9, 0, registered(0)}, expect(1, 0, -1, 0, 0, 10, 0)},
      {"other member aged 10: neither child nor adult", {member(0, aged(40)), member(4, aged(10))},
       {9, 0, registered(0)}, expect(0, 0, 0, 0, 0, 0, 0)},
      {"adult child: counts only when disabled", {member(0, aged(50)), member(3, aged(20), 3)},
       {9, 0, registered(0)}, expect(0, 0, 0, 0, 1, 0, 0)},
      {"three adults, two under 35", {member(0, aged(30)), member(1, aged(31)), member(0, aged(50))},
       {9, 0, registered(0)}, expect(0, 0, 0, 0, 0, 0, -1)},
      {"three adults under 35", {member(0, aged(30)), member(1, aged(31)), member(2, aged(20))},
       {9, 0, registered(0)}, expect(0, 0, 0, 0, 0, 0, 0)},
      {"one adult under 35", {member(0, aged(30))}, {9, 0, registered(0)}, expect(0, 0, 0, 0, 0, 0, 0)},
      {"35th birthday today is not young", {member(0, aged(30)), member(1, aged(35, 0))},
       {9, 0, registered(0)}, expect(0, 0, 0, 0, 0, 0, 0)},
      {"subgroup 3, nobody disabled", {member(0, aged(50))}, {3, 0, registered(0)}, expect(0, 0, 0, 0, 1, 0, 0)},
      {"subgroup 3, two disabled", {member(0, aged(50), 3), member(4, aged(80), 3)},
       {3, 0, registered(0)}, expect(0, 0, 0, 0, 2, 0, 0)},
      {"subgroup 5 whatever was stored", {member(0, aged(50))}, {5, 0, registered(0)}, expect(0, 0, 0, 1, 0, 0, 0)},
      {"stored hard life kept", {member(0, aged(50))}, {2, 1, registered(0)}, expect(0, 0, 0, 1, 0, 0, 0)},
      {"stored -1 becomes 0", {member(0, aged(50))}, {2, -1, registered(0)}, expect(0, 0, 0, 0, 0, 0, 0)},
      {"child with a wrong check digit", {member(0, aged(40)), member(3, invalidChild)},
       {9, 0, registered(0)}, expect(0, 0, 0, 0, 0, 0, 0)},
      {"child born on a 29 February that never was", {member(0, aged(40)), member(3, feb29of2011)},
       {9, 0, registered(0)}, expect(0, 0, 0, 0, 0, 0, 0)},
      {"29 February birth, the moment before 1 March", {member(0, aged(40)), member(3, leapBorn)},
       {9, 0, lastMomentBefore}, expect(1, 17, -1, 0, 0, 10, 0), lastMomentBefore},
      {"29 February birth, 00:00 of 1 March", {member(0, aged(40)), member(3, leapBorn)},
       {9, 0, birthdayMidnight}, expect(0, 0, 0, 0, 0, 0, 0), birthdayMidnight},
      {"no members", {}, {9, 0, registered(1826)}, expect(0, 0, 0, 0, 0, 5, 0)},
      {"no members, subgroup 3", {}, {3, 0, registered(0)}, expect(0, 0, 0, 0, 1, 0, 0)},
      {"registered 364 days 13 hours ago", {}, {9, 0, registered(364, 13)}, expect(0, 0, 0, 0, 0, 1, 0)},
      {"registered 364 days 12 hours ago: half to even", {}, {9, 0, registered(364, 12)}, expect(0, 0, 0, 0, 0, 0, 0)},
      {"registered 1460 days ago", {}, {9, 0, registered(1460)}, expect(0, 0, 0, 0, 0, 4, 0)},
      {"registered 1825 days ago", {}, {9, 0, registered(1825)}, expect(0, 0, 0, 0, 0, 4, 0)},
      {"registered 400 days in the future", {member(0, aged(40)), member(3, aged(4))},
       {9, 0, registered(-400)}, expect(1, 4, -1, 0, 0, 9, 0)},
  };
  for (const ScoreCase &c : cases) EXPECT_EQ(zv::ScoreCard(c.members, c.card, c.now), c.want) << c.what;
}

// The decoded dates must be the dates of the personal number rules, for every
// century, 29 February, impossible dates and malformed numbers.
TEST(EgnDates, SameDatesAndAgeTestsAsThePersonalNumberRules) {
  std::vector<QString> numbers = {QStringLiteral("0402290006"), QStringLiteral("0002290001"),
                                  QStringLiteral("9942290000"), QStringLiteral("0021010008"),
                                  QStringLiteral("9932300008"), QStringLiteral("0000000000"),
                                  QStringLiteral("123456789"),  QStringLiteral("01010100О7"),
                                  QString()};
  for (const QDate &d : {QDate(1899, 12, 31), QDate(1904, 2, 29), QDate(1999, 12, 31), QDate(2000, 1, 1),
                         QDate(2008, 2, 29), QDate(2012, 3, 1), kToday, kToday.addDays(1)})
    numbers.push_back(egnOf(d));
  for (int k = 0; k < 400; ++k) numbers.push_back(egnOf(kToday.addDays(-k * 97), k));
  zv::setNow(kNowDt);
  for (const QString &e : numbers) {
    const zv::EgnDates dates(e);
    EXPECT_EQ(dates.valid(), zv::EgnBirthDate(e, 0) != 0) << e.toStdString();
    EXPECT_EQ(dates.under(18, pinnedNow()), zv::IsUnder18(e)) << e.toStdString();
    EXPECT_EQ(dates.under(35, pinnedNow()), zv::IsUnder35(e)) << e.toStdString();
    if (!dates.valid()) continue;
    for (int n = 0; n <= 40; ++n)
      EXPECT_EQ(dates.anniversary(n), zv::EgnBirthDate(e, n)) << e.toStdString() << " +" << n;
  }
  zv::setNow(std::nullopt);
}

TEST(Progress, PercentRoundsHalvesToEven) {
  struct {
    int done, total, want;
  } cases[] = {{1, 3, 25},  {1, 199, 0}, {3, 199, 2},        {5, 199, 2},
               {7, 199, 4}, {1, 1, 50},  {2000, 2000, 100}, {0, 0, 0}};
  for (const auto &c : cases) EXPECT_EQ(zv::ProgressPercent(c.done, c.total), c.want) << c.done << "/" << c.total;
  EXPECT_EQ(zv::RoundHalfEven(-0.5), 0);
  EXPECT_EQ(zv::RoundHalfEven(-1.5), -2);
  EXPECT_EQ(zv::RoundHalfEven(-400.2), -400);
}

TEST(StatusForm, ShowsTaskAndBar) {
  TStatusForm form;
  EXPECT_EQ(StatusForm, &form);
  EXPECT_TRUE(form.windowFlags().testFlag(Qt::FramelessWindowHint));
  form.begin(QStringLiteral("Попълване на данните"), 140);
  EXPECT_TRUE(form.isVisible());
  EXPECT_EQ(form.width(), 140);
  EXPECT_EQ(form.findChild<QLabel *>(QStringLiteral("L"))->text(), QStringLiteral("Попълване на данните"));
  EXPECT_EQ(form.lbWait->text(), QStringLiteral("Моля изчакайте .."));
  auto *bar = form.findChild<QProgressBar *>(QStringLiteral("ProgressBar1"));
  EXPECT_EQ(bar->minimum(), 0);
  EXPECT_EQ(bar->maximum(), 100);
  EXPECT_EQ(form.position(), 0);
  form.setPosition(37);
  EXPECT_EQ(bar->value(), 37);
  form.end();
  EXPECT_FALSE(form.isVisible());
}

// ------------------------------------------------------------ on a register

class PointsDb : public ::testing::Test {
 protected:
  TempRegister reg;
  TDataModule1 dm;
  void SetUp() override {
    zv::setNow(kNowDt);
    dm.connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
  }
  void TearDown() override {
    zv::setNow(std::nullopt);
    if (dm.Database.connected()) {
      dm.Transaction.rollback();
      dm.Database.disconnect();
    }
  }
  void exec(const QString &sql, const std::vector<QVariant> &p = {}) {
    fb::execute(dm.Database, dm.Transaction, sql, p);
  }
  int addCard(int regNum, int group2, TDate regDate, const QVariant &hardLife = QVariant()) {
    exec(QStringLiteral("insert into RGS_CARD (REG_NUM, REGDATE, ADRESS, GROUP1, GROUP2, GRUPA, ADD_USER, STATUS, "
                        "HARD_LIFE) values (?, ?, 'ул. Тест 1', 2, ?, 1, 'Default', 1, ?)"),
         {regNum, regDate, group2, hardLife});
    fb::Statement s(dm.Database, dm.Transaction);
    s.prepare(QStringLiteral("select max(CARD_ID) from RGS_CARD"));
    s.execute();
    s.fetch();
    return s.value(0).toInt();
  }
  void addPerson(const QVariant &cardId, int type, const QString &egn, const QVariant &soc = QVariant()) {
    exec(QStringLiteral(
             "insert into RGS_PERSON (CARD_ID, NAME, EGN, PERSON_TYPE, SOCGRUPA) values (?, 'Лице', ?, ?, ?)"),
         {cardId, egn, type, soc});
  }
  // The seven written columns of a card, NULLs as -99.
  CardPoints stored(int cardId) {
    fb::Statement s(dm.Database, dm.Transaction);
    s.prepare(QStringLiteral("select KIDS, KIDS_AGE, ONLY_PARENT, HARD_LIFE, N_INVALIDS, POINTS, YOUNG_FAMILY "
                             "from RGS_CARD where CARD_ID = ?"));
    s.execute({cardId});
    EXPECT_TRUE(s.fetch());
    const auto v = [&s](int i) { return s.value(i).isNull() ? -99.0 : s.value(i).toDouble(); };
    return CardPoints{int(v(0)), v(1), int(v(2)), int(v(3)), int(v(4)), int(v(5)), int(v(6))};
  }
  // Four cards covering the rules, and members nobody's card owns.
  std::vector<std::pair<int, CardPoints>> fillRegister() {
    const int a = addCard(1, 9, zv::fromQDate(kToday.addYears(-3).addDays(-10)));
    addPerson(a, 0, aged(30));
    addPerson(a, 2, aged(32));
    addPerson(a, 3, aged(5));
    addPerson(a, 3, aged(8));
    const int b = addCard(2, 2, registered(200), 1);
    addPerson(b, 0, aged(40), 3);
    addPerson(b, 3, aged(17));
    addPerson(b, 3, aged(18, 0));  // 18 today
    const int c = addCard(3, 3, registered(1826), -1);
    const int d = addCard(4, 5, registered(-400));
    addPerson(d, 4, aged(10));
    addPerson(d + 100, 3, aged(3));  // a card that is gone
    addPerson(QVariant(), 3, aged(3));
    return {{a, expect(2, 6.5, 0, 0, 0, 8, -1)},
            {b, expect(1, 17, -1, 1, 1, 10, 0)},
            {c, expect(0, 0, 0, 0, 1, 5, 0)},
            {d, expect(0, 0, 0, 1, 0, -1, 0)}};
  }
};

TEST_F(PointsDb, RefreshWritesEveryCardAndCommits) {
  const auto want = fillRegister();
  dm.setMainLines(QStringLiteral("and P.PERSON_TYPE = 0 "), QStringLiteral(" order by Reg_Num"));
  zv::RecordingProgress progress;
  EXPECT_EQ(zv::RefreshAllPoints(progress), 4);
  EXPECT_EQ(progress.task, QStringLiteral("Попълване на данните"));
  EXPECT_EQ(progress.width, 140);
  EXPECT_EQ(progress.positions, (std::vector<int>{20, 40, 60, 80}));
  EXPECT_FALSE(progress.shown);
  EXPECT_FALSE(dm.MainQuery.active());
  EXPECT_FALSE(dm.Transaction.active());
  for (const auto &[card, points] : want) EXPECT_EQ(stored(card), points) << "card " << card;

  // Committed: another connection sees the values.
  TDataModule1 other;
  other.connectTo(reg.path, QStringLiteral("SYSDBA"), QString());
  fb::Statement s(other.Database, other.Transaction);
  s.prepare(QStringLiteral("select sum(POINTS) from RGS_CARD"));
  s.execute();
  ASSERT_TRUE(s.fetch());
  EXPECT_EQ(s.value(0).toInt(), 8 + 10 + 5 - 1);
  s.closeCursor();
  other.disconnectCommitting();
}

TEST_F(PointsDb, SecondRefreshRepairsWhatDiffers) {
  const auto want = fillRegister();
  zv::RecordingProgress progress;
  zv::RefreshAllPoints(progress);
  // A NULL flag and a changed score must be written again; so must a new member.
  exec(QStringLiteral("update RGS_CARD set HARD_LIFE = null where CARD_ID = ?"), {want[0].first});
  exec(QStringLiteral("update RGS_CARD set POINTS = 77 where CARD_ID = ?"), {want[2].first});
  addPerson(want[3].first, 3, aged(6));
  zv::RefreshAllPoints(progress);
  EXPECT_EQ(stored(want[0].first), want[0].second);
  EXPECT_EQ(stored(want[1].first), want[1].second);
  EXPECT_EQ(stored(want[2].first), want[2].second);
  // The only other member is of type "Друг": no adult, so no single parent.
  EXPECT_EQ(stored(want[3].first), expect(1, 6, 0, 1, 0, 2, 0));
}

TEST_F(PointsDb, OneCardGivesWhatTheRefreshGives) {
  const auto want = fillRegister();
  exec(QStringLiteral("update RGS_CARD set KIDS = 9, KIDS_AGE = 9, ONLY_PARENT = 9, N_INVALIDS = 9, POINTS = 9, "
                      "YOUNG_FAMILY = 9"));
  for (const auto &[card, points] : want) {
    EXPECT_TRUE(zv::ComputeCardPoints(card));
    EXPECT_EQ(stored(card), points) << "card " << card;
    // The table object shows what was written.
    EXPECT_EQ(dm.Cards.fieldByName(QStringLiteral("POINTS")).asInteger(), points.points);
  }
  EXPECT_FALSE(dm.TempQuery.active());
  EXPECT_TRUE(dm.Transaction.active());  // the caller commits

  EXPECT_FALSE(zv::ComputeCardPoints(want.back().first + 1000));
  for (const auto &[card, points] : want) EXPECT_EQ(stored(card), points);
}

TEST_F(PointsDb, ProgressIsHiddenWhenTheRunFails) {
  dm.disconnectCommitting();
  zv::RecordingProgress progress;
  EXPECT_THROW(zv::RefreshAllPoints(progress), fb::Error);
  EXPECT_FALSE(progress.shown);
}

// ------------------------------------------------------------ zv-admin demo

struct DemoRow {
  int regNum, cardId, grupa, group1, group2, status, type;
  QString egn, name, regDate;
  bool operator==(const DemoRow &) const = default;
};

std::vector<DemoRow> runDemo(const QString &path, int cards, int seed) {
  QProcess p;
  p.start(QStringLiteral(ZV_ADMIN), {QStringLiteral("demo"), QStringLiteral("--database"), path,
                                     QStringLiteral("--cards"), QString::number(cards), QStringLiteral("--seed"),
                                     QString::number(seed)});
  EXPECT_TRUE(p.waitForFinished(60000));
  EXPECT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
  TDataModule1 dm;
  dm.connectTo(path, QStringLiteral("SYSDBA"), QString());
  zv::Query q(dm.Database, dm.Transaction);
  q.SQL = QStringList{QStringLiteral(
      "select C.REG_NUM, C.CARD_ID, C.GRUPA, C.GROUP1, C.GROUP2, C.STATUS, P.PERSON_TYPE, P.EGN, P.NAME, C.REGDATE "
      "from RGS_CARD C join RGS_PERSON P on P.CARD_ID = C.CARD_ID where C.ADD_USER = 'Default' "
      "order by C.REG_NUM, P.PERSON_ID")};
  q.open();
  std::vector<DemoRow> rows;
  for (int r = 0; r < q.recordCount(); ++r) {
    const auto v = [&](int c) { return q.value(r, c); };
    rows.push_back({v(0).toInt(), v(1).toInt(), v(2).toInt(), v(3).toInt(), v(4).toInt(), v(5).toInt(), v(6).toInt(),
                    v(7).toString(), v(8).toString(), zv::Field(QString(), v(9)).asString()});
  }
  q.SQL = QStringList{QStringLiteral("select N, COUNTER from NOM where N in (0, 1) order by N")};
  q.open();
  for (int r = 0; r < 2; ++r) EXPECT_EQ(q.value(r, 1).toInt(), cards) << "counter row " << r;
  // The derived columns are filled as a refresh fills them.
  q.SQL = QStringList{QStringLiteral(
      "select count(*), sum(KIDS) from RGS_CARD where KIDS is not null and KIDS_AGE is not null and "
      "N_INVALIDS is not null and POINTS is not null")};
  q.open();
  EXPECT_EQ(q.value(0, 0).toInt(), cards);
  if (cards >= 20) {
    EXPECT_GT(q.value(0, 1).toInt(), 0) << "some demo families have children";
  }
  q.close();
  dm.disconnectCommitting();
  return rows;
}

TEST(Demo, ReproducibleRegisterWithValidNumbers) {
  const int kCards = 60;
  TempRegister first, second, third;
  const std::vector<DemoRow> rows = runDemo(first.path, kCards, 7);
  ASSERT_FALSE(rows.empty());

  std::map<int, std::vector<const DemoRow *>> byCard;
  for (const DemoRow &r : rows) byCard[r.regNum].push_back(&r);
  ASSERT_EQ(byCard.size(), size_t(kCards));
  EXPECT_EQ(byCard.begin()->first, 1);
  EXPECT_EQ(byCard.rbegin()->first, kCards);
  int prevCardId = 0, valid = 0;
  const QDate today = zv::toQDate(zv::today());
  for (const auto &[regNum, members] : byCard) {
    EXPECT_GT(members.front()->cardId, prevCardId) << "numbers ascend with the card keys";
    prevCardId = members.front()->cardId;
    EXPECT_GE(members.size(), 1u);
    EXPECT_LE(members.size(), 6u);
    EXPECT_EQ(std::count_if(members.begin(), members.end(), [](auto *m) { return m->type == 0; }), 1) << regNum;
    EXPECT_LE(std::count_if(members.begin(), members.end(), [](auto *m) { return m->type == 1 || m->type == 2; }), 1);
    const DemoRow &c = *members.front();
    EXPECT_EQ(c.group1, c.grupa + 1);
    EXPECT_TRUE(c.grupa >= 0 && c.grupa <= 5);
    EXPECT_TRUE(c.group2 >= 0 && c.group2 <= 6);  // 6: "Без особености"
    EXPECT_TRUE(c.status >= 0 && c.status <= 4);
    const QDate reg = QDate::fromString(c.regDate, QStringLiteral("dd.MM.yyyy"));
    EXPECT_TRUE(reg.isValid() && reg <= today && reg >= today.addYears(-25)) << c.regDate.toStdString();
    for (const DemoRow *m : members) {
      const TDate born = zv::EgnBirthDate(m->egn, 0);
      if (born == 0) continue;
      ++valid;
      EXPECT_LE(born, zv::today()) << m->egn.toStdString();
      // Applicants and spouses are of age.
      if (m->type <= 2) {
        EXPECT_FALSE(zv::IsUnder18(m->egn)) << m->egn.toStdString();
      }
    }
  }
  EXPECT_GE(valid * 100, int(rows.size()) * 95) << valid << " of " << rows.size();

  EXPECT_EQ(runDemo(second.path, kCards, 7), rows) << "same seed, same register";
  EXPECT_NE(runDemo(third.path, kCards, 8), rows);
}

}  // namespace
