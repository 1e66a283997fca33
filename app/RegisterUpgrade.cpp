#include "RegisterUpgrade.h"

#include <QApplication>

#include "DataModule.h"
#include "Dialogs.h"
#include "Session.h"
#include "Upgrade.h"

void UpgradeRegisterAtStart() {
  fb::Database &db = DataModule1->Database;
  fb::Transaction &tr = DataModule1->Transaction;
  try {
    zv::UpgradeRegister(db, tr);
    // The history entry of the conversion carries the user's id, which the
    // start of work reads only after the list has opened.
    zv::Session &s = zv::session();
    tr.ensure();
    fb::Statement q(db, tr);
    q.prepare(QStringLiteral("select USER_ID from USERS where NAME = ?"));
    q.execute({s.CurrentUserName});
    const bool known = q.fetch() && q.value(0).isValid();
    if (known) s.CurrentUserId = QString::number(q.value(0).toInt());
    q.closeCursor();
    if (known) zv::ConvertIncomesToEuro();
  } catch (const fb::Error &e) {
    tr.rollbackQuietly();  // what went wrong is told below
    Dialogs::message(QStringLiteral("Доходите в картотеката не бяха превалутирани от лева в евро. Това ще стане "
                                    "при следващото отваряне на картотеката.\n\n") +
                         e.text(),
                     QApplication::applicationName(), Dialogs::Icon::Warning);
  }
}
