#include "RankingCommand.h"

#include <QApplication>
#include <QTabBar>
#include <QToolBar>
#include <QWidget>
#include <memory>

#include "DataModule.h"
#include "Dialogs.h"
#include "IniFile.h"
#include "Klas.h"
#include "Points.h"
#include "Print.h"
#include "Ranking.h"
#include "Refusal.h"
#include "Status.h"

namespace zv {

namespace {

// Makes tab the current one through the main window's rules; a tab that is
// current already has them run all the same.
void switchTo(RankingHost &host, int tab) {
  if (host.tabs->currentIndex() != tab)
    host.tabs->setCurrentIndex(tab);
  else if (host.tabChange)
    host.tabChange(tab);
}

}  // namespace

void RankingCommand(RankingHost &host) {
  // 1. The window is made first and lives until the command ends.
  TKlasForm form(host.window);
  // 2.
  if (RefuseUnless(CanRank(host.accessLevel))) return;
  // 3.
  if (form.exec() != QDialog::Accepted) return;
  // 4.
  if (host.window) host.window->repaint();
  if (host.rankingOrder) *host.rankingOrder = form.RankingOrderText();
  switchTo(host, 0);  // also removes a third tab left from before
  // The list could not be opened (the server gone): that error has been
  // shown; the points and the ranking would only fail on it again.
  if (DataModule1 && !DataModule1->MainQuery.active()) return;
  if (host.window)
    if (auto *bar = host.window->findChild<QToolBar *>()) bar->repaint();
  zv::RefreshAllPoints();  // cbRefreshInfo is always ticked
  while (host.tabs->count() > 2) host.tabs->removeTab(2);
  host.tabs->addTab(kRankingCaption);
  switchTo(host, 2);
}

bool IsRankingTab(const QTabBar *tabs) {
  return tabs && tabs->count() > 2 && tabs->currentIndex() == 2 && tabs->tabText(2) == kRankingCaption;
}

bool RankingListCommand(RankingHost &host) {
  if (!IsRankingTab(host.tabs)) return false;
  TPrintForm &report = PrintForm();
  // 1.1 A file that cannot be read leaves the texts of the last printout.
  const QString ini = SettingsFilePath();
  if (!ReadRankingTexts(ini, report.texts))
    Dialogs::message(SettingsFileError(ini), QApplication::applicationName(), Dialogs::Icon::Warning);
  // 1.2
  report.printed = false;
  // 1.3
  RankingReportTexts texts = report.texts;
  texts.printDate = today();
  std::vector<RankingRow> rows = DataModule1 ? RankingRows(*DataModule1) : std::vector<RankingRow>{};
  {
    TRankingPreview preview(std::move(rows), texts, host.window);
    preview.exec();
    report.printed = preview.printed();
  }
  // 1.4
  if (report.printed && Dialogs::ask(QStringLiteral("Искате ли да запазите информацията за местата на класиране?"),
                                     QStringLiteral("Запитване"), Dialogs::Icon::Question))
    WriteRankingPlaces(host.grid);
  return true;
}

int WriteRankingPlaces(QWidget *grid) {
  const auto updates = [grid](bool on) {
    if (grid) grid->setUpdatesEnabled(on);
  };
  std::unique_ptr<TStatusForm> own;
  TStatusForm *progress = StatusForm;
  if (!progress) {
    own = std::make_unique<TStatusForm>();
    progress = own.get();
  }
  const int written = WriteRankingPlaces(*progress, updates);
  Dialogs::message(PlacesRecordedText(written), QStringLiteral("Потвърждение"), Dialogs::Icon::Information);
  return written;
}

}  // namespace zv
