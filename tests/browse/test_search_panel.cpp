// The search panel on its own: tick boxes, highlighting, typing and Enter.
#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "SearchPanel.h"

namespace {

class SearchPanelTest : public ::testing::Test {
 protected:
  TSearchPanel p;
  // Ticked boxes as their numbers, e.g. "2 4".
  QString ticked() const {
    QStringList out;
    const QList<std::pair<int, QCheckBox *>> boxes = {{1, p.CheckBox1}, {2, p.CheckBox2}, {3, p.CheckBox3},
                                                      {4, p.CheckBox4}, {5, p.CheckBox5}, {6, p.CheckBox6},
                                                      {8, p.CheckBox8}, {9, p.CheckBox9}};
    for (const auto &[n, b] : boxes)
      if (b->isChecked()) out << QString::number(n);
    return out.join(' ');
  }
  // Highlighted inputs by object name.
  QString highlighted() const {
    QStringList out;
    for (QWidget *w : QList<QWidget *>{p.sRegNum, p.sName, p.sEGN, p.sMemFrom, p.sMemTo, p.sDateFrom, p.sDateTo,
                                       p.sGroup, p.sStatus, p.dFrom, p.dTo})
      if (TSearchPanel::isHighlighted(w)) out << w->objectName();
    return out.join(' ');
  }
};

TEST_F(SearchPanelTest, TicksExcludeEachOtherAndHighlightTheirInputs) {
  EXPECT_EQ(ticked(), "");
  EXPECT_EQ(highlighted(), "");
  for (QDateEdit *d : {p.sDateFrom, p.sDateTo, p.dFrom, p.dTo}) EXPECT_EQ(d->text(), "26.10.2005");

  struct Step {
    const char *what;
    std::function<void()> act;
    QString ticked, highlighted;
  };
  p.sGroup->addItems({"първа", "втора"});
  p.sGroup->setCurrentIndex(-1);
  const QList<Step> steps = {
      {"name and children combine", [&] { p.CheckBox2->setChecked(true), p.CheckBox4->setChecked(true); }, "2 4",
       "sName sMemFrom sMemTo"},
      {"the registration number goes alone", [&] { p.CheckBox1->click(); }, "1", "sRegNum"},
      {"typing a name ticks it and clears the number", [&] { QTest::keyClicks(p.sName, "Iv"); }, "2", "sName"},
      {"the personal number goes alone", [&] { p.CheckBox3->click(); }, "3", "sEGN"},
      {"a date change ticks its range", [&] { p.sDateTo->setDate(QDate(2020, 1, 1)); }, "5",
       "sDateFrom sDateTo"},
      {"either children field ticks the range", [&] { QTest::keyClicks(p.sMemTo, "2"); }, "4 5",
       "sMemFrom sMemTo sDateFrom sDateTo"},
      {"picking a group", [&] { QTest::keyClick(p.sGroup, Qt::Key_Down); }, "4 5 6",
       "sMemFrom sMemTo sDateFrom sDateTo sGroup"},
      {"clearing a box takes its highlight away", [&] { p.CheckBox5->click(); }, "4 6", "sMemFrom sMemTo sGroup"},
      {"typing a personal number clears the others", [&] { QTest::keyClicks(p.sEGN, "80"); }, "3", "sEGN"},
      {"the declaration range", [&] { p.dFrom->setDate(QDate(2021, 2, 3)); }, "9", "dFrom dTo"},
  };
  for (const Step &s : steps) {
    s.act();
    EXPECT_EQ(ticked(), s.ticked) << s.what;
    EXPECT_EQ(highlighted(), s.highlighted) << s.what;
  }
  EXPECT_EQ(p.sGroup->currentText(), "първа");
  const zv::SearchCriteria c = p.criteria();
  EXPECT_TRUE(c.noDeclarationOn && !c.egnOn && !c.groupOn);
  EXPECT_EQ(c.egn, "80");
  EXPECT_EQ(c.group, "първа");
  EXPECT_EQ(c.declarationFrom, QDate(2021, 2, 3));
}

TEST_F(SearchPanelTest, EnterInTextFieldsAndListsAsksForTheSearch) {
  QSignalSpy search(&p, &TSearchPanel::searchRequested);
  for (QWidget *w : QList<QWidget *>{p.sRegNum, p.sName, p.sEGN, p.sMemFrom, p.sMemTo, p.sGroup, p.sStatus})
    QTest::keyClick(w, Qt::Key_Return);
  EXPECT_EQ(search.size(), 7);
  QTest::keyClick(p.sDateFrom, Qt::Key_Return);
  QTest::keyClick(p.dTo, Qt::Key_Enter);
  EXPECT_EQ(search.size(), 7);
  p.sbSearch->click();
  EXPECT_EQ(search.size(), 8);
  EXPECT_EQ(p.sbSearch->toolTip(), "Търси по избраните критерии");
}

TEST_F(SearchPanelTest, LabelsAsWritten) {
  QStringList labels;
  for (QLabel *l : p.findChildren<QLabel *>()) labels << l->text();
  labels.sort();
  QStringList want = {"По рег.номер:", "По име:", "По ЕГН:", "По брой деца до 18 год.:   от", "до",
                      "По дата на регистриране: от", "до", "По група:", "По състояние:",
                      "Без подадена декларация от", "до"};
  want.sort();
  EXPECT_EQ(labels, want);
  EXPECT_EQ(p.title(), "Търсене");
  EXPECT_EQ(p.objectName(), "GroupBox3");
  for (QCheckBox *b : p.findChildren<QCheckBox *>()) EXPECT_TRUE(b->text().isEmpty()) << b->objectName().toStdString();
}

}  // namespace
