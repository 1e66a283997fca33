#include "ZvApplication.h"

#include "Dialogs.h"
#include "Fb.h"

void ShowGeneralError(const QString &text) {
  Dialogs::message(text, QApplication::applicationName(), Dialogs::Icon::Error);
}

bool ZvApplication::notify(QObject *receiver, QEvent *event) {
  try {
    return QApplication::notify(receiver, event);
  } catch (const fb::Error &e) {
    ShowGeneralError(e.text());
  } catch (const std::exception &e) {
    ShowGeneralError(QString::fromLocal8Bit(e.what()));
  }
  return false;
}
