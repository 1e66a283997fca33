#pragma once
// Acting on a modal window from inside its own event loop: the test arms the
// action, then triggers the command that opens the window.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>

namespace zvtest {

// Once a modal window of type T (and objectName `name`, when given) is up,
// runs `act` on it once. The action must end the window. When none appears
// within `ms` the test fails.
template <typename T = QWidget>
void onModal(std::function<void(T *)> act, const QString &name = QString(), int ms = 5000) {
  // Owned by the application, so a timer that never fired is not lost.
  auto *timer = new QTimer(QCoreApplication::instance());
  auto left = std::make_shared<int>(ms / 10);
  QObject::connect(timer, &QTimer::timeout, [=] {
    T *w = qobject_cast<T *>(QApplication::activeModalWidget());
    if (w && (name.isEmpty() || w->objectName() == name)) {
      timer->stop();
      timer->deleteLater();
      act(w);
    } else if (--*left <= 0) {
      timer->stop();
      timer->deleteLater();
      ADD_FAILURE() << "no modal window " << name.toStdString() << " appeared";
    }
  });
  timer->start(10);
}

}  // namespace zvtest
