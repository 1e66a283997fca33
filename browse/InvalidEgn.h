#pragma once
// The list of persons whose personal number is not valid: every person of
// every card (filter line empty) with a record filter that keeps the rows
// whose EGN gives no date of birth.
#include <QString>

namespace zv {

class Query;

// A stored number that the register does not accept (EgnBirthDate == 0).
bool IsInvalidEgn(const QString &egn);

// Closes the register query, empties its filter line, switches the
// invalid-number record filter on and reopens it; the order stays.
void OpenInvalidEgnList(Query &mainQuery);

// "N невалидни ЕГН-та", the count shown under the list.
QString InvalidEgnCountText(int count);

}  // namespace zv
