#pragma once
#include <QApplication>

// The application object: errors that no command caught end up in the one
// general error display, a message box with the server's text.
class ZvApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject *receiver, QEvent *event) override;
};

// Qt's own texts (standard buttons, titles, calendars) in Bulgarian, and the
// Bulgarian locale for month and day names. The program's own texts are
// Bulgarian already. False when the translation file is not installed.
bool InstallBulgarian(QCoreApplication &app);

// Shows an error that no command caught.
void ShowGeneralError(const QString &text);
