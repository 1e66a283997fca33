#pragma once
// The ranking without windows: the criteria and the order clause they make,
// the ranked rows of the register query, the line each ranked card records
// about its place, and the writing of those places onto the cards.
#include <QString>
#include <functional>
#include <vector>

#include "Progress.h"
#include "ZvDate.h"

class TDataModule1;

namespace zv {

class Query;

// One sort criterion: the text the user sees and the term put into the
// order clause. A fixed criterion keeps its place.
struct Criterion {
  QString text;
  QString term;
  bool fixed = false;
  bool operator==(const Criterion &) const = default;
};

// The list offered when KLAS_NOM has no rows.
const std::vector<Criterion> &BuiltInCriteria();

// The criteria as the window starts with them. total (T) and fixed (F) count
// the rows of KLAS_NOM; both stay 0 for the built-in list, so that nothing in
// it moves.
struct CriteriaList {
  std::vector<Criterion> entries;
  int total = 0;
  int fixed = 0;
};

// Reads KLAS_NOM through the data module's table object in a stable order:
// the fixed rows first, each part by KLAS_ID. The built-in list when the
// table is empty.
CriteriaList LoadCriteria(TDataModule1 &dm);

// The movement rules for the entry at position i (from 0; -1 when none is
// selected) in a list of T movable-area entries whose first F are fixed.
inline bool CanMoveUp(int i, int total, int fixed) { return i >= 0 && i > fixed && i < total; }
inline bool CanMoveDown(int i, int total, int fixed) { return i >= 0 && i >= fixed && i < total - 1; }

// "order by " and the terms joined by commas; empty for no criteria.
QString RankingOrderOf(const std::vector<Criterion> &criteria);

// The filter line of the ranking list and the caption of its tab.
inline const QString kRankingFilter = QStringLiteral("and person_type=0 and c.status=1 and c.grupa<>0");
inline const QString kRankingCaption = QStringLiteral("Класиране");

// The place of a listed row (from 0) in the ranking: the running number the
// grid and the printout show, and the place written onto the card.
inline int PlaceOfRow(int row) { return row + 1; }

// The line a ranked card records: "12-о място от 15.03.2008 - Група 2 от
// 05.05.2004, Подгрупа: Няма". subgroupText is the subgroup's NOM text, or
// "false" when the code has none; it is written with its blanks collapsed. A
// card without a group date gets the line without " от " and the date.
QString RankingLine(int place, TDate today, int group1, TDate groupDate, const QString &subgroupText);

// The notes of a card with a ranking line appended: a carriage return goes
// first when the notes end in a printable character.
QString NotesWithLine(const QString &notes, const QString &line);

// One ranked family as the printout and zv-admin show it: texts without
// their trailing blanks, dates as dd.mm.yyyy, empty for NULL.
struct RankingRow {
  int place = 0;
  QString regNum, name, group, address, kids, points, regDate, groupDate;
};

// The rows of the register query, open on the ranking, in its order.
std::vector<RankingRow> RankingRows(const TDataModule1 &dm);

// Records every listed row's place on its card: CLASSINFO becomes the
// ranking line and the line is appended to NOTES. The register query must be
// open on the ranking. Runs as one unit (WriteUnit.h): what was pending is
// committed first, every row is written, the query is closed and everything
// committed, then the query is reopened. On any failure nothing of the run
// stays (rolled back), the query is reopened as the register has it, and a
// UnitFailed names the card that could not be written. Only one recording
// runs at a time in a register: a second one, at this or another
// workstation, is refused at once with kPlacesBusyText, writing nothing.
// gridUpdates, when given, is called with false before the rows are walked
// and with true once the query is open again (also after an error). A row
// whose card is no longer in the register is passed over, keeping its place.
// Returns the number of cards written (a card listed twice is one).
int WriteRankingPlaces(Progress &progress, const std::function<void(bool)> &gridUpdates = {});

// What a failed recording says first, and the refusal of a second recording.
inline const QString kPlacesNotRecorded = QStringLiteral("Местата не са записани");
inline const QString kPlacesBusyText = QStringLiteral(
    "Местата не са записани: в момента местата от класирането се записват на друго работно място. "
    "Опитайте отново, когато записът там завърши.");
// Said once the places are committed.
inline QString PlacesRecordedText(int cards) { return QStringLiteral("Местата са записани: ") + QString::number(cards); }

}  // namespace zv
