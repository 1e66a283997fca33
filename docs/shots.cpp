// zv-shots: pictures of the program's real windows for the user guide, taken
// offscreen on a small demo register.
//
//   zv-shots ZV_ADMIN OUTDIR
//
// Each window is opened by the command a clerk would use and photographed as
// the program draws it; nothing is drawn by hand.
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTimer>
#include <cstdio>
#include <functional>

#include "AboutForm.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "EGNRepair.h"
#include "Install.h"
#include "LBDNames.h"
#include "LoginCall.h"
#include "LongLivedWindows.h"
#include "LogInfoRec.h"
#include "MainForm.h"
#include "NomForm.h"
#include "Options.h"
#include "Status.h"
#include "ViewKarton.h"
#include "ZvApplication.h"
#include "lbddialog.h"

namespace {
QString gOut;
int gFailures = 0;

void save(QWidget *w, const QString &name) {
  QApplication::processEvents();
  if (!w->grab().save(QDir(gOut).filePath(name))) {
    std::fprintf(stderr, "zv-shots: %s not written\n", qUtf8Printable(name));
    ++gFailures;
  }
}

// Photographs the next modal window, then ends it with `finish` (reject when
// none is given), and runs `trigger`, which opens it.
void shotModal(const QString &name, const std::function<void()> &trigger,
               std::function<void(QDialog *)> finish = {}) {
  bool seen = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    auto *dlg = qobject_cast<QDialog *>(QApplication::activeModalWidget());
    if (!dlg || seen) return;
    seen = true;
    poll.stop();
    save(dlg, name);
    if (finish) finish(dlg);
    else dlg->reject();
  });
  poll.start(50);
  trigger();
  if (!seen) {
    std::fprintf(stderr, "zv-shots: no window for %s\n", qUtf8Printable(name));
    ++gFailures;
  }
}
}  // namespace

int main(int argc, char **argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir home;
  qputenv("HOME", QFile::encodeName(home.path()));
  qputenv("USERPROFILE", QFile::encodeName(home.path()));
  qputenv("ZV_PERSONINFO_DATA", QFile::encodeName(home.filePath(QStringLiteral("personinfo.tsv"))));
  ZvApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("QuorinZV"));
  if (argc != 3) {
    std::fprintf(stderr, "usage: zv-shots ZV_ADMIN OUTDIR\n");
    return 2;
  }
  InstallBulgarian(app);
  gOut = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(gOut);

  const QString db = home.filePath(QStringLiteral("register.fdb"));
  zv::InstallOptions opt;
  opt.database = db;
  opt.adminPassword = QStringLiteral("Shots-1-pass");
  zv::createRegister(opt);
  QProcess demo;
  demo.start(QString::fromLocal8Bit(argv[1]), {QStringLiteral("demo"), QStringLiteral("--database"), db,
                                               QStringLiteral("--cards"), QStringLiteral("80")});
  if (!demo.waitForFinished(120000) || demo.exitCode() != 0) {
    std::fprintf(stderr, "zv-shots: demo register failed: %s\n", demo.readAllStandardError().constData());
    return 1;
  }

  // Boxes that need an answer are answered No; none should come up.
  Dialogs::setScripted(true);
  TLogInfoRec *rec = NewLoginRecord();
  logrec::writeText(rec->data(), logrec::DbPath, db);
  logrec::writeText(rec->data(), logrec::DbUser, QStringLiteral("SYSDBA"));
  logrec::writeText(rec->data(), logrec::UserName, opt.adminName);
  logrec::writeText(rec->data(), logrec::LoginName, QStringLiteral("admin"));
  logrec::writeText(rec->data(), logrec::Role, QStringLiteral("USER1"));

  LongLivedWindows windows;
  TMainForm &mainForm = windows.mainForm;
  mainForm.resize(1180, 720);
  mainForm.show();
  save(&mainForm, QStringLiteral("main.png"));

  mainForm.setCurrentRow(2);
  shotModal(QStringLiteral("card.png"), [&] { mainForm.tbModifyClick(); });
  shotModal(QStringLiteral("newcard.png"), [&] { mainForm.tbRegisterClick(); });
  shotModal(QStringLiteral("criteria.png"), [&] { mainForm.tbStatusClick(); },
            [](QDialog *d) {
              if (auto *ok = d->findChild<QPushButton *>(QStringLiteral("bOK"))) ok->click();
              else d->reject();
            });
  save(&mainForm, QStringLiteral("ranking.png"));
  mainForm.tabs()->setCurrentIndex(0);
  mainForm.mInvalidClick();
  save(&mainForm, QStringLiteral("invalid.png"));
  mainForm.tabs()->setCurrentIndex(0);
  shotModal(QStringLiteral("options.png"), [&] { mainForm.mOptionsClick(); });
  shotModal(QStringLiteral("noms.png"), [&] { mainForm.mNomsClick(); });
  shotModal(QStringLiteral("history.png"), [&] { mainForm.loginfClick(); });
  shotModal(QStringLiteral("lbdnames.png"), [&] { mainForm.mLBDNamesClick(); });
  shotModal(QStringLiteral("export.png"), [&] { mainForm.tbSpravkaClick(); });
  shotModal(QStringLiteral("about.png"), [&] { mainForm.mAboutClick(); });
  mainForm.hide();
  windows.dataModule.disconnectCommitting();
  return gFailures == 0 ? 0 : 1;
}
