// QuorinZV: the municipal housing register.
#include <QIcon>

#include "AboutForm.h"
#include "DataModule.h"
#include "Dialogs.h"
#include "LoginCall.h"
#include "LoginConfig.h"
#include "MainForm.h"
#include "NomForm.h"
#include "Options.h"
#include "Status.h"
#include "ViewKarton.h"
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

  // The long-lived windows, in this order; they live until the program ends
  // and are shown modally when needed (the progress window is not modal).
  TMainForm mainForm;
  TDataModule1 dataModule;
  TViewKart viewKart(&mainForm);
  TNomForm nomForm(&mainForm);
  NomForm = &nomForm;
  TStatusForm statusForm;
  TOptionsForm optionsForm(&mainForm);
  OptionsForm = &optionsForm;
  mainForm.show();
  return app.exec();
}
