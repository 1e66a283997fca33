#pragma once
#include <QApplication>

// The application object: errors that no command caught end up in the one
// general error display, a message box with the server's text.
class ZvApplication : public QApplication {
 public:
  using QApplication::QApplication;
  bool notify(QObject *receiver, QEvent *event) override;
};

// Shows an error that no command caught.
void ShowGeneralError(const QString &text);
