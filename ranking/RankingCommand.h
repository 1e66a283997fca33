#pragma once
// The main window's ranking commands: "Класиране" (F8) orders the criteria,
// refreshes every card's points and lists the ranking on its own tab; the
// list command (F7) on that tab previews and prints the ranking and then
// offers to record the places on the cards.
#include <QString>
#include <functional>

class QTabBar;
class QWidget;

namespace zv {

// What the commands use of the main window.
struct RankingHost {
  QWidget *window = nullptr;  // repainted while the command runs; parent of its windows
  QTabBar *tabs = nullptr;    // the list modes
  QWidget *grid = nullptr;    // kept from repainting while places are written
  int accessLevel = 0;
  QString *rankingOrder = nullptr;
  // Runs the list-mode rules for a tab (the main window's tab change), for a
  // switch to the tab that is already current.
  std::function<bool(int)> tabChange;
};

// The ranking command.
void RankingCommand(RankingHost &host);

// True when the register list shows the ranking tab.
bool IsRankingTab(const QTabBar *tabs);

// The list command on the ranking tab: the texts from the settings file, the
// preview, then the question about the places. False, doing nothing, when
// another tab is shown (the caller then exports the list).
bool RankingListCommand(RankingHost &host);

// WriteRankingPlaces with the progress window of the program (or one of its
// own), the grid kept from repainting while the rows are walked; once the
// places are committed, says how many cards got theirs.
int WriteRankingPlaces(QWidget *grid);

}  // namespace zv
