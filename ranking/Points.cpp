#include "Points.h"

#include <QDate>
#include <QElapsedTimer>
#include <optional>

#include "DataModule.h"
#include "Fb.h"
#include "WriteUnit.h"
#include "egn.h"

namespace zv {

// ---------------------------------------------------------------- dates

EgnDates::EgnDates(const QString &egn) {
  // One rule decides what a valid number is: the birth date itself.
  birth_ = EgnBirthDate(egn, 0);
  if (birth_ == 0) return;
  const auto digit = [&egn](int i) { return egn.at(i).unicode() - '0'; };
  year_ = 1900 + digit(0) * 10 + digit(1);
  month_ = digit(2) * 10 + digit(3);
  day_ = digit(4) * 10 + digit(5);
  if (month_ > 40) {
    month_ -= 40;
    year_ += 100;
  } else if (month_ > 20) {
    month_ -= 20;
    year_ -= 100;
  }
}

TDate EgnDates::anniversary(int years) const {
  if (birth_ == 0) return 0;
  if (years == 0) return birth_;
  int month = month_, day = day_;
  if (month == 2 && day == 29) {
    month = 3;
    day = 1;
  }
  // Every other day of the year exists in every year, so the date is real.
  return fromQDate(QDate(year_ + years, month, day));
}

int EgnDates::childAge(TDate now) const {
  for (int n = 17; n >= 0; --n)
    if (anniversary(n) < now) return n;
  return 0;
}

int RegistrationYears(TDate regDate, TDate now) {
  return DaysToYears(static_cast<int>(RoundHalfEven(now - regDate)));
}

// ---------------------------------------------------------------- scoring

CardPoints ScoreCard(const std::vector<PointsMember> &members, const PointsCardInput &card, TDate now) {
  int children = 0, sumOfAges = 0, adults = 0, youngAdults = 0, disabled = 0;
  for (const PointsMember &m : members) {
    // Type 3 aged 18 or more and type 4 count only towards the disabled.
    if (m.personType == 3) {
      const EgnDates d(m.egn);
      if (d.under(18, now)) {
        ++children;
        sumOfAges += d.childAge(now);
      }
    }
    if (m.socGrupa == 3) ++disabled;
    if (m.personType < 3) {
      ++adults;
      if (!m.egn.isNull() && EgnDates(m.egn).under(35, now)) ++youngAdults;
    }
  }
  if (card.group2 == 3 && disabled == 0) disabled = 1;

  CardPoints p;
  const bool singleParent = adults == 1 && children > 0;
  p.kids = children;
  p.kidsAge = children > 0 ? static_cast<double>(sumOfAges) / children : 0.0;
  p.onlyParent = singleParent ? -1 : 0;
  p.hardLife = (card.group2 == 5 || card.storedHardLife == 1) ? 1 : 0;
  p.nInvalids = disabled;
  if (singleParent) p.points += 7;
  if (children >= 3)
    p.points += 7;
  else if (children == 2)
    p.points += 5;
  else if (children == 1)
    p.points += 3;
  p.points += RegistrationYears(card.regDate, now);
  p.youngFamily = youngAdults == 2 ? -1 : 0;
  return p;
}

// ---------------------------------------------------------------- database

namespace {

TDataModule1 &module() {
  if (!DataModule1) throw fb::Error(QStringLiteral("The data module has not been created"));
  return *DataModule1;
}

int intOr(const QVariant &v, int nullValue) { return v.isValid() && !v.isNull() ? v.toInt() : nullValue; }

TDate dateOf(const QVariant &v) { return Field(QString(), v).asDateTime(); }

PointsMember memberOf(const QVariant &type, const QVariant &egn, const QVariant &socGrupa) {
  PointsMember m;
  m.personType = intOr(type, 0);
  if (egn.isValid() && !egn.isNull()) m.egn = egn.toString();
  m.socGrupa = intOr(socGrupa, -1);
  return m;
}

// The outputs in the order they are written onto the card.
std::vector<std::pair<QString, QVariant>> outputs(const CardPoints &p) {
  return {{QStringLiteral("KIDS"), p.kids},           {QStringLiteral("KIDS_AGE"), p.kidsAge},
          {QStringLiteral("ONLY_PARENT"), p.onlyParent}, {QStringLiteral("HARD_LIFE"), p.hardLife},
          {QStringLiteral("N_INVALIDS"), p.nInvalids},   {QStringLiteral("POINTS"), p.points},
          {QStringLiteral("YOUNG_FAMILY"), p.youngFamily}};
}

// The outputs as a card holds them in a row of the refill's walk (HARD_LIFE
// in column 2, the others in columns 4 to 9), or nothing when one of them is
// NULL.
std::optional<CardPoints> storedPoints(const Query &q, int row) {
  CardPoints p;
  const QVariant hardLife = q.value(row, 2), kids = q.value(row, 4), kidsAge = q.value(row, 5),
                 onlyParent = q.value(row, 6), nInvalids = q.value(row, 7), points = q.value(row, 8),
                 youngFamily = q.value(row, 9);
  for (const QVariant *v : {&hardLife, &kids, &kidsAge, &onlyParent, &nInvalids, &points, &youngFamily})
    if (!v->isValid() || v->isNull()) return std::nullopt;
  p.kids = kids.toInt();
  p.kidsAge = kidsAge.toDouble();
  p.onlyParent = onlyParent.toInt();
  p.hardLife = hardLife.toInt();
  p.nInvalids = nInvalids.toInt();
  p.points = points.toInt();
  p.youngFamily = youngFamily.toInt();
  return p;
}

// The workstation clock for a run over many cards. Reading the local time
// costs microseconds (the time zone is looked up each time), which over a
// hundred thousand cards adds a good part of the run, so the clock is read
// again only when a few milliseconds have passed since the last reading: a
// card never sees a moment older than that.
class RunClock {
 public:
  TDate now() {
    if (!read_.isValid() || read_.elapsed() >= kMaxAgeMs) {
      value_ = zv::now();
      read_.start();
    }
    return value_;
  }

 private:
  static constexpr qint64 kMaxAgeMs = 10;
  QElapsedTimer read_;
  TDate value_ = 0;
};

// The per-card work of the refill with its statements prepared once: the
// members of all cards are read by one cursor in the same descending CARD_ID
// order as the walk over the cards, so each card takes its members from the
// front of the cursor instead of running a query of its own; the card row is
// written by an update on its key.
class PointsBatch {
 public:
  PointsBatch(fb::Database &db, fb::Transaction &tr) : members_(db, tr), update_(db, tr) {
    members_.prepare(QStringLiteral(
        "select CARD_ID, PERSON_TYPE, EGN, SOCGRUPA from RGS_PERSON where CARD_ID is not null "
        "order by CARD_ID desc"));
    update_.prepare(QStringLiteral(
        "update RGS_CARD set KIDS = ?, KIDS_AGE = ?, ONLY_PARENT = ?, HARD_LIFE = ?, N_INVALIDS = ?, "
        "POINTS = ?, YOUNG_FAMILY = ? where CARD_ID = ?"));
    members_.execute();
    advance();
    params_.resize(8);
  }

  // Scores one card and writes its outputs unless `stored` already holds
  // exactly these values. Returns whether the card was written.
  bool compute(int cardId, const PointsCardInput &card, TDate now, const std::optional<CardPoints> &stored) {
    batch_.clear();
    // Members of cards that no longer exist sort between the cards; skip them.
    while (haveMember_ && memberCard_ > cardId) advance();
    while (haveMember_ && memberCard_ == cardId) {
      batch_.push_back(memberOf(members_.value(1), members_.value(2), members_.value(3)));
      advance();
    }
    const CardPoints p = ScoreCard(batch_, card, now);
    if (stored && *stored == p) return false;
    params_[0] = p.kids;
    params_[1] = p.kidsAge;
    params_[2] = p.onlyParent;
    params_[3] = p.hardLife;
    params_[4] = p.nInvalids;
    params_[5] = p.points;
    params_[6] = p.youngFamily;
    params_[7] = cardId;
    update_.execute(params_);
    return true;
  }

 private:
  fb::Statement members_;
  fb::Statement update_;
  std::vector<PointsMember> batch_;
  std::vector<QVariant> params_;
  bool haveMember_ = false;
  int memberCard_ = 0;

  void advance() {
    haveMember_ = members_.fetch();
    if (haveMember_) memberCard_ = members_.value(0).toInt();
  }
};

}  // namespace

bool ComputeCardPoints(int cardId) {
  TDataModule1 &dm = module();
  Query &q = dm.TempQuery;
  q.close();
  q.SQL = QStringList{QStringLiteral("select * from rgs_person where card_id = ") + QString::number(cardId)};
  q.open();
  std::vector<PointsMember> members;
  const int iType = q.fieldIndex(QStringLiteral("PERSON_TYPE"));
  const int iEgn = q.fieldIndex(QStringLiteral("EGN"));
  const int iSoc = q.fieldIndex(QStringLiteral("SOCGRUPA"));
  for (int r = 0; r < q.recordCount(); ++r)
    members.push_back(memberOf(q.value(r, iType), q.value(r, iEgn), q.value(r, iSoc)));

  // Cards is not opened whole for this: located while closed, it fetches the
  // one row by its key.
  Table &cards = dm.Cards;
  if (!cards.locate(QStringLiteral("CARD_ID"), cardId)) {
    q.close();
    return false;
  }
  PointsCardInput in;
  in.group2 = intOr(cards.fieldByName(QStringLiteral("GROUP2")).value(), 0);
  in.storedHardLife = intOr(cards.fieldByName(QStringLiteral("HARD_LIFE")).value(), 0);
  in.regDate = cards.fieldByName(QStringLiteral("REGDATE")).asDateTime();
  const CardPoints p = ScoreCard(members, in, now());
  cards.edit();
  for (const auto &[name, value] : outputs(p)) cards.setField(name, value);
  cards.post();
  q.close();
  return true;
}

int RefreshAllPoints(Progress &progress) {
  TDataModule1 &dm = module();
  ProgressRun run(progress, QStringLiteral("Попълване на данните"), 140);
  dm.MainQuery.close();
  // Only the columns the scoring reads and writes: the walk keeps every card
  // in memory.
  dm.tq2.close();
  dm.tq2.SQL = QStringList{QStringLiteral(
      "select CARD_ID, GROUP2, HARD_LIFE, REGDATE, KIDS, KIDS_AGE, ONLY_PARENT, N_INVALIDS, POINTS, YOUNG_FAMILY, "
      "REG_NUM from rgs_card order by card_id DESC")};
  dm.tq2.open();
  const int n = dm.tq2.recordCount();
  // A card table opened whole would keep the old values of the rows written
  // here; closed, it fetches each row afresh when a card is located.
  if (dm.Cards.active()) dm.Cards.close();

  try {
    RunAsOneUnit(dm.Transaction, kPointsNotRefreshed, [&](UnitCard &at) {
      PointsBatch batch(dm.Database, dm.Transaction);
      RunClock clock;
      for (int i = 0; i < n; ++i) {
        stepProgress(progress, i + 1, n);
        at.at(dm.tq2.value(i, 10));
        PointsCardInput in;
        in.group2 = intOr(dm.tq2.value(i, 1), 0);
        in.storedHardLife = intOr(dm.tq2.value(i, 2), 0);
        in.regDate = dateOf(dm.tq2.value(i, 3));
        // A card that already holds the values is left as it is: the same
        // outcome, without a new record version of every card on each ranking.
        batch.compute(dm.tq2.value(i, 0).toInt(), in, clock.now(), storedPoints(dm.tq2, i));
      }
    });  // the statements are released before the commit ends their transaction
  } catch (...) {
    dm.tq2.close();
    throw;
  }
  dm.tq2.close();
  return n;
}

}  // namespace zv
