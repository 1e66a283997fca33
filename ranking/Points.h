#pragma once
// Points and the derived facts of a family (KIDS, KIDS_AGE, ONLY_PARENT,
// HARD_LIFE, N_INVALIDS, POINTS, YOUNG_FAMILY): worked out from the card's
// members, its subgroup, its stored hard-living flag, its registration date
// and the moment of the computation, then written onto the card.
#include <QString>
#include <vector>

#include "Progress.h"
#include "ZvDate.h"

namespace zv {

// One member as the scoring sees it.
struct PointsMember {
  int personType = 0;
  QString egn;        // a null QString stands for a NULL column
  int socGrupa = -1;  // -1 stands for NULL
};

// The card's own inputs.
struct PointsCardInput {
  int group2 = 9;          // subgroup code
  int storedHardLife = 0;  // HARD_LIFE as stored; NULL reads as 0
  TDate regDate = 0;       // REGDATE
};

// What is written onto the card.
struct CardPoints {
  int kids = 0;          // children under 18
  double kidsAge = 0;    // their average age in whole years; 0 without children
  int onlyParent = 0;    // -1 yes, 0 no
  int hardLife = 0;      // 1 yes, 0 no
  int nInvalids = 0;     // disabled members, at least 1 in subgroup 3
  int points = 0;
  int youngFamily = 0;   // -1 yes, 0 no
  bool operator==(const CardPoints &) const = default;
};

// The dates a personal number stands for, decoded once so that the age tests
// of a member cost no more than a few date constructions. Gives the same
// dates as EgnBirthDate(egn, years).
class EgnDates {
 public:
  explicit EgnDates(const QString &egn);
  bool valid() const { return birth_ != 0; }
  // 00:00 of the birthday `years` after birth (a 29 February birth has its
  // birthdays on 1 March); 0 for a number that is not valid.
  TDate anniversary(int years) const;
  // Under the age: a valid number and now earlier than that birthday, so that
  // from 00:00 of the birthday itself the member is no longer under it.
  bool under(int years, TDate now) const { return valid() && now < anniversary(years); }
  // Whole years of a child: the highest n from 17 down to 0 whose birthday is
  // already past. A birth date later than now gives 0.
  int childAge(TDate now) const;

 private:
  TDate birth_ = 0;
  int year_ = 0, month_ = 0, day_ = 0;
};

// Whole years between the registration date and now: the difference rounded
// to a whole day (a half day to the even neighbour), in four-year blocks as
// DaysToYears counts them. Negative for a date in the future.
int RegistrationYears(TDate regDate, TDate now);

// The scoring itself, with no database: members, card inputs and the moment.
CardPoints ScoreCard(const std::vector<PointsMember> &members, const PointsCardInput &card, TDate now);

// Computes and stores the points of one card through the data module: its
// members are read with TempQuery, the card is located in Cards by CARD_ID
// and posted. Does not commit. False, with nothing written, when no card has
// that CARD_ID.
bool ComputeCardPoints(int cardId);

// Computes the points of every card, newest CARD_ID first, as one unit of
// the shared transaction (WriteUnit.h): all committed at the end, or, when a
// card cannot be written, nothing (rolled back) and a UnitFailed that names
// it. Closes MainQuery (the caller reopens it) and walks the cards through
// tq2. The progress window shows how far the run has come (the windowed
// form, RefreshAllPoints(), is declared with the progress window). Returns
// the number of cards.
int RefreshAllPoints(Progress &progress);

// What a failed refresh of the points says first.
inline const QString kPointsNotRefreshed = QStringLiteral("Точките не са обновени");

}  // namespace zv
