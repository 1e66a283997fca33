#include "ZvApplication.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

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

bool InstallBulgarian(QCoreApplication &app) {
  QLocale::setDefault(QLocale(QLocale::Bulgarian, QLocale::Bulgaria));
  auto *tr = new QTranslator(&app);
  if (!tr->load(QLocale(QLocale::Bulgarian), QStringLiteral("qtbase"), QStringLiteral("_"),
                QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    delete tr;
    return false;
  }
  return QCoreApplication::installTranslator(tr);
}
