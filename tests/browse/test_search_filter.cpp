// The search filter builder: criteria in, filter line and tab caption out.
#include <gtest/gtest.h>

#include "SearchFilter.h"

using zv::SearchCriteria;

namespace {

// Codes as a fixed nomenclature would give them: "Втора" is code 2, the
// padded "Вписан" code 1, anything else -1.
int fakeCode(const QString &column, const QString &text) {
  if (column == QLatin1String("GROUP1") && text == QStringLiteral("Втора")) return 2;
  if (column == QLatin1String("STATUS") && text == QStringLiteral("Вписан   ")) return 1;
  return -1;
}

struct Case {
  const char *what;
  std::function<void(SearchCriteria &)> set;
  QString filter;
  QString caption;
};

const QDate kFrom(2005, 10, 26);
const QDate kTo(2024, 1, 31);

}  // namespace

TEST(SearchFilter, CriteriaGiveTheirClausesAndCaptions) {
  const QList<Case> cases = {
      {"no criterion", [](SearchCriteria &) {}, "and P.PERSON_TYPE = 0 ", "Търсене"},
      {"name and children from (the example)",
       [](SearchCriteria &c) {
         c.nameOn = true;
         c.name = "петров";
         c.kidsOn = true;
         c.kidsFrom = "2";
       },
       "and( upper(P.NAME) LIKE '%ПЕТРОВ%') and C.KIDS >= 2", "Търсене:ПЕТРОВ,деца oт 2"},
      {"registration number",
       [](SearchCriteria &c) {
         c.regNumOn = true;
         c.regNum = "125";
       },
       "and P.PERSON_TYPE = 0 and C.REG_NUM = 125", "Търсене:125"},
      {"registration number with blanks around it",
       [](SearchCriteria &c) {
         c.regNumOn = true;
         c.regNum = " 125 ";
       },
       "and P.PERSON_TYPE = 0 and C.REG_NUM = 125", "Търсене:125"},
      {"personal number lists members too",
       [](SearchCriteria &c) {
         c.egnOn = true;
         c.egn = "8001";
       },
       "and P.EGN LIKE '%8001%'", "Търсене:8001"},
      {"children from 3 alone",
       [](SearchCriteria &c) {
         c.kidsOn = true;
         c.kidsFrom = "3";
       },
       "and P.PERSON_TYPE = 0 and C.KIDS >= 3", "Търсене:деца oт 3"},
      {"children from 3 to 1 is accepted",
       [](SearchCriteria &c) {
         c.kidsOn = true;
         c.kidsFrom = "3";
         c.kidsTo = "1";
       },
       "and P.PERSON_TYPE = 0 and C.KIDS >= 3 and C.KIDS <= 1", "Търсене:деца oт 3,деца до 1"},
      {"children to alone",
       [](SearchCriteria &c) {
         c.kidsOn = true;
         c.kidsTo = "0";
       },
       "and P.PERSON_TYPE = 0 and C.KIDS <= 0", "Търсене:деца до 0"},
      {"registration date: two clauses, one caption",
       [](SearchCriteria &c) {
         c.regDateOn = true;
         c.regDateFrom = kFrom;
         c.regDateTo = kTo;
       },
       "and P.PERSON_TYPE = 0 and ((C.REGDATE >= '26.10.2005') and (C.REGDATE <= '31.01.2024'))",
       "Търсене:по дата"},
      {"group",
       [](SearchCriteria &c) {
         c.groupOn = true;
         c.group = "Втора";
       },
       "and P.PERSON_TYPE = 0 and C.GRUPA = 2", "Търсене:Втора"},
      {"group ticked with nothing picked matches no card",
       [](SearchCriteria &c) { c.groupOn = true; }, "and P.PERSON_TYPE = 0 and C.GRUPA = -1", "Търсене:"},
      {"status: the caption keeps the stored blanks",
       [](SearchCriteria &c) {
         c.statusOn = true;
         c.status = "Вписан   ";
       },
       "and P.PERSON_TYPE = 0 and C.STATUS = 1", "Търсене:Вписан   "},
      {"no declaration",
       [](SearchCriteria &c) {
         c.noDeclarationOn = true;
         c.declarationFrom = kFrom;
         c.declarationTo = kTo;
       },
       "and P.PERSON_TYPE = 0 and(( C.LASTDEK_DATE <= '26.10.2005') or (C.LASTDEK_DATE >= '31.01.2024') or "
       "(C.LASTDEK_DATE is NULL) )",
       "Търсене:Картони без подадена декларация"},
      {"six criteria in the panel's order",
       [](SearchCriteria &c) {
         c.noDeclarationOn = c.statusOn = c.groupOn = c.regDateOn = c.kidsOn = c.nameOn = true;
         c.declarationFrom = c.regDateFrom = kFrom;
         c.declarationTo = c.regDateTo = kTo;
         c.status = "Вписан   ";
         c.group = "Втора";
         c.kidsFrom = "1";
         c.kidsTo = "4";
         c.name = "Ив";
       },
       "and( upper(P.NAME) LIKE '%ИВ%') and C.KIDS >= 1 and C.KIDS <= 4 and ((C.REGDATE >= "
       "'26.10.2005') and (C.REGDATE <= '31.01.2024')) and C.GRUPA = 2 and C.STATUS = 1 and(( C.LASTDEK_DATE <= "
       "'26.10.2005') or (C.LASTDEK_DATE >= '31.01.2024') or (C.LASTDEK_DATE is NULL) )",
       "Търсене:ИВ,деца oт 1,деца до 4,по дата,Втора,Вписан   ,Картони без подадена декларация"},
      {"apostrophes doubled in the name",
       [](SearchCriteria &c) {
         c.nameOn = true;
         c.name = "д'арк";
       },
       "and( upper(P.NAME) LIKE '%Д''АРК%')", "Търсене:Д'АРК"},
      {"apostrophes doubled in the personal number",
       [](SearchCriteria &c) {
         c.egnOn = true;
         c.egn = "1' or '1'='1";
       },
       "and P.EGN LIKE '%1'' or ''1''=''1%'", "Търсене:1' or '1'='1"},
      // a cleared name or personal number counts as unticked: holders only
      {"ticked name with nothing typed",
       [](SearchCriteria &c) { c.nameOn = true; }, "and P.PERSON_TYPE = 0 ", "Търсене"},
      {"ticked name and personal number holding blanks, with the children",
       [](SearchCriteria &c) {
         c.nameOn = c.egnOn = c.kidsOn = true;
         c.name = "  ";
         c.egn = " ";
         c.kidsFrom = "2";
       },
       "and P.PERSON_TYPE = 0 and C.KIDS >= 2", "Търсене:деца oт 2"},
  };
  for (const Case &k : cases) {
    SearchCriteria c;
    k.set(c);
    const zv::SearchFilter f = zv::BuildSearchFilter(c, fakeCode);
    EXPECT_EQ(f.filter, k.filter) << k.what;
    EXPECT_EQ(f.caption, k.caption) << k.what;
    EXPECT_EQ(f.applied > 0, k.caption != QStringLiteral("Търсене")) << k.what;
  }
}

// A number that goes into the statement unquoted must be digits alone; any
// other text is left out without a word, and cannot reach the statement.
TEST(SearchFilter, BadWholeNumbersAreLeftOut) {
  const QStringList bad = {"",    "   ", "abc", "-1",     "+1",       "1 or 1=1", "1;drop table RGS_CARD",
                           "1.5", "1e3", "٣",   "0x10",   "12 3",     "1--",      "1)"};
  for (const QString &text : bad) {
    SearchCriteria c;
    c.regNumOn = c.kidsOn = true;
    c.regNum = c.kidsFrom = c.kidsTo = text;
    const zv::SearchFilter f = zv::BuildSearchFilter(c, fakeCode);
    EXPECT_EQ(f.filter, "and P.PERSON_TYPE = 0 ") << text.toStdString();
    EXPECT_EQ(f.caption, "Търсене") << text.toStdString();
    EXPECT_EQ(f.applied, 0) << text.toStdString();
  }
  // Digits alone are numbers, also with leading zeros; beyond what the
  // server reads they become its largest literal, still a number.
  const QList<std::pair<QString, QString>> good = {
      {"0", "0"},
      {"007", "007"},
      {"000000000000000000000000012", "12"},
      {"123456789012345678901234567890", "999999999999999999"}};
  for (const auto &[text, literal] : good) EXPECT_EQ(zv::WholeNumberLiteral(text), literal) << text.toStdString();
}
