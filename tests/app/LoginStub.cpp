// A stand-in for the login library, for tests that run the real program: it
// logs in at once with the values of ZV_STUB_* variables and, from then on,
// answers every message box of the program with its default button, writing
// the box's text and its buttons' texts to ZV_STUB_SEEN (one line a box).
#include <QApplication>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include "QrnLogin.h"

namespace {
QString env(const char *name) { return qEnvironmentVariable(name); }

void answerBoxes() {
  auto *timer = new QTimer(qApp);
  QObject::connect(timer, &QTimer::timeout, [] {
    auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget());
    if (!box) return;
    QStringList buttons;
    for (QAbstractButton *b : box->buttons()) buttons << b->text();
    QFile seen(env("ZV_STUB_SEEN"));
    if (seen.open(QIODevice::Append)) seen.write((box->text() + QLatin1Char('|') + buttons.join(QLatin1Char(',')) +
                                                  QLatin1Char('\n')).toUtf8());
    if (QAbstractButton *b = box->defaultButton() ? box->defaultButton() : box->buttons().value(0)) b->click();
  });
  timer->start(50);
}
}  // namespace

QRNLOGIN_EXPORT unsigned char ExternalLogin(void *, const char *, const char *, int, int, void *record) {
  logrec::writeText(record, logrec::DbPath, env("ZV_STUB_DB"));
  logrec::writeText(record, logrec::DbUser, QStringLiteral("SYSDBA"));
  logrec::writeText(record, logrec::UserName, env("ZV_STUB_USER"));
  logrec::writeText(record, logrec::LoginName, env("ZV_STUB_LOGIN"));
  logrec::writeText(record, logrec::Role, env("ZV_STUB_ROLE"));
  answerBoxes();
  return 1;
}
QRNLOGIN_EXPORT void SetClientNames(const char *, const char *) {}
