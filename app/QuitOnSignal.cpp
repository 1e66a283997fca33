#include "QuitOnSignal.h"

#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

int pipeEnds[2] = {-1, -1};

void onSignal(int) {
  const char byte = 1;
  // Nothing but an async-signal-safe write here.
  [[maybe_unused]] const ssize_t n = ::write(pipeEnds[0], &byte, 1);
}

}  // namespace

void QuitOnSignals(std::function<void()> close) {
  static std::function<void()> closer;
  closer = std::move(close);
  if (pipeEnds[0] < 0) {
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pipeEnds) != 0) return;
    auto *notifier = new QSocketNotifier(pipeEnds[1], QSocketNotifier::Read, QCoreApplication::instance());
    QObject::connect(notifier, &QSocketNotifier::activated, [notifier] {
      char buf[16];
      while (::read(pipeEnds[1], buf, sizeof buf) > 0) {
      }
      notifier->setEnabled(false);  // one ending is enough
      if (closer) closer();
    });
  }
  struct sigaction sa {};
  sa.sa_handler = onSignal;
  sigemptyset(&sa.sa_mask);
  sa.sa_flags = SA_RESTART;
  ::sigaction(SIGTERM, &sa, nullptr);
  ::sigaction(SIGHUP, &sa, nullptr);
}
