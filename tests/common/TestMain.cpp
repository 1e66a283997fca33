// The main of every test program: an application object (offscreen unless a
// platform is chosen) so that windows, printers and fonts can be used, and a
// strict dialog facade: every test starts scripted, a question nobody
// scripted fails the test, and so does an answer left unused at its end.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include "Dialogs.h"

namespace {
class StrictDialogs : public ::testing::EmptyTestEventListener {
 public:
  bool leftovers = false;
  void OnTestStart(const ::testing::TestInfo &) override {
    Dialogs::setScripted(true);
    Dialogs::clearShown();
  }
  void OnTestEnd(const ::testing::TestInfo &info) override {
    if (Dialogs::pendingAnswers() > 0) {
      // Too late to fail the test itself: the program's exit status does.
      fprintf(stderr, "%s.%s: %d scripted dialog answer(s) left unused\n", info.test_suite_name(), info.name(),
              Dialogs::pendingAnswers());
      leftovers = true;
    }
    Dialogs::setScripted(true);
  }
};
}  // namespace

int main(int argc, char **argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The population register file of the tests, and of the programs they
  // start, is never the user's own.
  QTemporaryDir population;
  qputenv("ZV_PERSONINFO_DATA", QFile::encodeName(population.filePath(QStringLiteral("personinfo.tsv"))));
  ::testing::InitGoogleTest(&argc, argv);
  auto *strict = new StrictDialogs;
  ::testing::UnitTest::GetInstance()->listeners().Append(strict);  // owned by gtest
  Dialogs::setUnscriptedHandler([](const Dialogs::Shown &s) {
    ADD_FAILURE() << "unscripted " << s.kind.toStdString() << ": " << s.caption.toStdString() << " / "
                  << s.text.toStdString();
  });
  const int rc = RUN_ALL_TESTS();
  return rc != 0 || strict->leftovers ? 1 : 0;
}
