#pragma once
// The rules of a registration card and its members, apart from any window:
// member types, the counts derived from the member rows, the checks made
// before a member is put into the rows and before a card is stored, and the
// two look-ups in the register (personal number, registration number).
#include <QString>
#include <array>
#include <functional>
#include <optional>
#include <vector>

#include "ZvDate.h"

namespace zv {

// One member row as the card window holds it: eight text cells.
enum MemberCell {
  cellType = 0,   // "Тип": the type text
  cellName = 1,   // "Име"
  cellEgn = 2,    // "ЕГН"
  cellSoc = 3,    // "Соц.група": the social-group list text
  cellNotes = 4,  // "Допълнителни бележки"
  cellInvProc = 5,  // "Процент на инвалидност"
  cellInvDate = 6,  // "Валидно до (дата)", dd.mm.yyyy
  cellTelk = 7,     // "Експертно решение на ТЕЛК"
};
using MemberRow = std::array<QString, 8>;
using MemberRows = std::vector<MemberRow>;

// Member types: 0 "Титуляр", 1 "Съпруг", 2 "Съпруга", 3 "Дете", 4 "Друг".
inline const QString kHolder = QStringLiteral("Титуляр");
inline const QString kHusband = QStringLiteral("Съпруг");
inline const QString kWife = QStringLiteral("Съпруга");
inline const QString kChild = QStringLiteral("Дете");
inline const QString kOther = QStringLiteral("Друг");
const std::array<QString, 5> &MemberTypeTexts();
// The text of a type code; empty for a code outside 0..4.
QString TypeTextOf(int code);
// The code of a type text; 0 for any text that is not one of the five.
int TypeCodeOf(const QString &text);

// The last member row (1-based) whose cell equals text; 0 when none does.
int FindRowByColumn(const MemberRows &rows, const QString &text, int cell);

// The number of members; 0 while a new card's holder row is only the
// placeholder.
int MemberCount(const MemberRows &rows, bool holderPending);
// Rows of type "Дете" whose personal number says under 18 today.
int CountMinorChildren(const MemberRows &rows);

// May a member of this type be put into the rows? changing: a row is being
// changed (selected, 1-based), otherwise a member is being added. The holder
// row keeps its type; there is one holder and at most one spouse of either
// type, whose own row may switch between husband and wife.
bool IsTypeAllowed(const MemberRows &rows, const QString &text, bool changing, int selected);

// Whether a personal number is held by a stored member of any card.
using EgnLookup = std::function<bool(const QString &egn)>;
// The look-up in RGS_PERSON through the data module's TempQuery.
bool EgnIsStored(const QString &egn);

// own: the row being changed (1-based), -1 when adding. A number held by
// another row is a duplicate at once; a number in no row (or a changed
// number) is looked up in the register; a row that keeps its own number is
// not looked up.
bool IsDuplicateEgn(const MemberRows &rows, const QString &egn, int own, const EgnLookup &stored = EgnIsStored);

// What the member panel offers for a check.
struct MemberInput {
  QString name;
  QString type;  // the type list's text, empty without a choice
  QString egn;
};
// 0 when the member may be put into the rows, otherwise the number of the
// message (MemberMessage). The duplicate look-up runs even when an earlier
// rule fails.
int ValidateMember(const MemberInput &in, const MemberRows &rows, bool changing, int selected,
                   const EgnLookup &stored = EgnIsStored);
QString MemberMessage(int number);

// A whole number typed into a box; nothing for any other text.
std::optional<int> ReadWholeNumber(const QString &text);
// The same, or the conversion's error (fb::Error) for any other text.
int WholeNumberOrThrow(const QString &text);
// A currency amount written with the workstation's decimal separator;
// nothing for the empty text or any text that is not a number.
std::optional<double> ReadCurrency(const QString &text);
// How an amount is shown in the income box (decimal separator of the
// workstation, no grouping).
QString CurrencyText(double amount);

// Years of registration at the address: whole days between now and the
// address date, in either direction, counted as DaysToYears does.
int AddressYears(TDate addressDate, TDate now);

// What the card check reads from the window.
struct CardInput {
  QString income;
  QString subGroupText;
  QString groupText;
  QString address;
  int memberCount = 0;
  TDate addressDate = 0;
  int statusPosition = -1;
  int minAddressYears = 0;
};
struct CardCheck {
  QString result;   // "OK" or the message to show
  QString warning;  // the address warning, shown whatever the result; empty when none
};
inline const QString kCardOk = QStringLiteral("OK");
// Runs every check in order; the message of the last failing one is the
// result. The address warning never stops a save.
CardCheck ValidateCard(const CardInput &in, TDate now);

// Free for a new card: a whole number that no stored card carries.
bool RegNumIsFree(const QString &text);

// The first character of a text that has no Windows-1251 code and so cannot
// be stored: the character itself (a pair of surrogates for one outside the
// basic plane), where it starts in the text, and its place as the clerk
// counts characters (1-based).
struct UnwritableChar {
  QString ch;
  qsizetype offset = 0;
  int position = 0;
};
std::optional<UnwritableChar> FirstUnwritableChar(const QString &text);
// The refusal of a text typed into the field with this label; nothing when
// every character can be stored.
std::optional<QString> UnwritableFieldMessage(const QString &field, const QString &text);

}  // namespace zv
