#include "app/TerminationSignals.h"

#include <fcntl.h>
#include <unistd.h>

#include <QSocketNotifier>
#include <cerrno>
#include <csignal>

namespace app {
namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};
int wakeFds[2] = {-1, -1};

// Only what is safe in a signal handler: one byte into the pipe the window's thread watches.
void OnSignal(int) {
  const int saved = errno;
  const char byte = 1;
  [[maybe_unused]] const ssize_t n = ::write(wakeFds[1], &byte, 1);
  errno = saved;
}

}  // namespace

TerminationSignals::TerminationSignals(std::function<void()> onSignal, QObject* parent)
    : QObject(parent), onSignal_(std::move(onSignal)) {
  if (::pipe2(wakeFds, O_CLOEXEC | O_NONBLOCK) != 0) return;
  notifier_ = new QSocketNotifier(wakeFds[0], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &TerminationSignals::Drain);
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) ::sigaction(signal, &action, nullptr);
}

TerminationSignals::~TerminationSignals() {
  if (wakeFds[0] < 0) return;
  for (int signal : kSignals) ::signal(signal, SIG_DFL);
  delete notifier_;
  ::close(wakeFds[0]);
  ::close(wakeFds[1]);
  wakeFds[0] = wakeFds[1] = -1;
}

void TerminationSignals::Drain() {
  char buffer[64];
  while (::read(wakeFds[0], buffer, sizeof buffer) > 0) {
  }
  if (received_) return;
  received_ = true;
  onSignal_();
}

}  // namespace app
