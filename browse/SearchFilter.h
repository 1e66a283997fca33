#pragma once
// The search over the register: the ticked criteria of the search panel
// become the filter line of the register query and a short description for
// the caption of the list's search tab. Shared by the main window and
// zv-admin, so both build the same statement from the same criteria.
#include <QDate>
#include <QString>
#include <functional>
#include <optional>

namespace zv {

class Query;

// What the search panel holds: each criterion's tick box and its input(s).
// Texts are as typed; group and status are the picked list texts as the
// list holds them (padded as stored), empty when nothing is picked.
struct SearchCriteria {
  bool regNumOn = false;
  QString regNum;
  bool nameOn = false;
  QString name;
  bool egnOn = false;
  QString egn;
  bool kidsOn = false;
  QString kidsFrom, kidsTo;
  bool regDateOn = false;
  QDate regDateFrom, regDateTo;
  bool groupOn = false;
  QString group;
  bool statusOn = false;
  QString status;
  bool noDeclarationOn = false;
  QDate declarationFrom, declarationTo;
};

struct SearchFilter {
  QString filter;   // line 1 of the register query
  QString caption;  // the caption of tab 1: "Търсене", then ":" and the parts
  int applied = 0;  // how many criteria took part (each children bound counts)
};

// The filter that lists card holders only; it starts every search that
// searches neither by name nor by personal number.
inline const QString kHoldersOnlyFilter = QStringLiteral("and P.PERSON_TYPE = 0 ");
inline const QString kSearchCaption = QStringLiteral("Търсене");

// The code of a list text: NomCodeOf in the program, anything in tests.
using NomCodeLookup = std::function<int(const QString &column, const QString &text)>;

// The digits of a whole number of 0 or more, ready to go into a statement
// unquoted: the text without surrounding blanks when it is made of ASCII
// digits alone, nothing otherwise (empty, a sign, letters, anything else).
// A number too long for the server's literals is written as the largest
// one it reads, which every column it is compared with stays below.
std::optional<QString> WholeNumberLiteral(const QString &text);

// Builds the filter and the caption from the criteria, in the order of the
// panel: registration number, name, personal number, children from, children
// to, registration date, group, status, no declaration.
SearchFilter BuildSearchFilter(const SearchCriteria &c, const NomCodeLookup &codeOf);
// The same with the codes of the nomenclature (NomCodeOf).
SearchFilter BuildSearchFilter(const SearchCriteria &c);

// Puts the filter into line 1 of the register query and reopens it, with
// its record filter off; line 2 (the order) stays as it is. publishSql, when
// given, receives the whole statement before it is run (the main window puts
// it on the clipboard).
void RunSearch(Query &mainQuery, const QString &filter,
               const std::function<void(const QString &sql)> &publishSql = {});

}  // namespace zv
