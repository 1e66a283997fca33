// QuorinZV: the municipal housing register.
#include <QIcon>

#include "AboutForm.h"
#include "Dialogs.h"
#include "LoginCall.h"
#include "LoginConfig.h"
#include "LongLivedWindows.h"
#include "QuitOnSignal.h"
#include "ZvApplication.h"

int main(int argc, char **argv) {
  // The toolkit needs its application object before the login dialog.
  ZvApplication app(argc, argv);
  app.setApplicationName(QStringLiteral("QuorinZV"));
  InstallBulgarian(app);
  app.setWindowIcon(QIcon(QStringLiteral(":/icons/quorinzv.svg")));

  // The login configuration holds the database password: say so when others may read it.
  const QString exposed = qrnlogin::permissionWarning(qrnlogin::configFile());
  if (!exposed.isEmpty()) Dialogs::warning(exposed);

  TLogInfoRec *rec = NewLoginRecord();
  bool loggedIn = false;
  try {
    loggedIn = CallExternalLogin(QStringLiteral("ZV"), QStringLiteral("ZVAP"), 1, 1, rec);
  } catch (const LoginLibraryMissing &e) {
    Dialogs::message(QString::fromLocal8Bit(e.what()), QStringLiteral("QuorinZV"), Dialogs::Icon::Error);
    FreeLoginRecord();
    return 1;
  }
  if (!loggedIn) {
    QCoreApplication::processEvents();
    FreeLoginRecord();
    return 0;
  }

  LongLivedWindows windows;
  // Showing the main window starts the work: the register is open after it,
  // and the database engine has put its own signal handlers in place, so
  // ours go in now.
  windows.mainForm.show();
  QuitOnSignals([&windows] {
    windows.mainForm.close();
    QCoreApplication::quit();
  });
  return app.exec();
}
