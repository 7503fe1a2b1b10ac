#include "platform/signalwatcher.h"

#include <fcntl.h>
#include <unistd.h>

#include <QLoggingCategory>
#include <QSocketNotifier>
#include <atomic>
#include <csignal>

Q_LOGGING_CATEGORY(lcSignals, "tessivo.signals")

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

// The write end of the current watcher's pipe. A signal handler can reach
// nothing else: this is the one process-wide value the watcher needs.
std::atomic<int> writeEnd{-1};

void OnSignal(int signal) {
  const int fd = writeEnd.load();
  if (fd < 0) return;
  const unsigned char number = static_cast<unsigned char>(signal);
  [[maybe_unused]] const ssize_t written = ::write(fd, &number, 1);
}

}  // namespace

TSignalWatcher::TSignalWatcher(QObject* parent) : QObject(parent) {
  if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) != 0) {
    qCWarning(lcSignals) << "no pipe for the signals: they end the program at once";
    return;
  }
  int expected = -1;
  if (!writeEnd.compare_exchange_strong(expected, pipe_[1])) {
    qCWarning(lcSignals) << "another watcher already takes the signals";
    return;
  }
  notifier_ = std::make_unique<QSocketNotifier>(pipe_[0], QSocketNotifier::Read);
  connect(notifier_.get(), &QSocketNotifier::activated, this, &TSignalWatcher::Read);
  struct sigaction action = {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (const int signal : kSignals) sigaction(signal, &action, nullptr);
  installed_ = true;
}

TSignalWatcher::~TSignalWatcher() {
  if (installed_) {
    struct sigaction action = {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    for (const int signal : kSignals) sigaction(signal, &action, nullptr);
    writeEnd.store(-1);
  }
  notifier_.reset();
  for (int& fd : pipe_)
    if (fd >= 0) ::close(std::exchange(fd, -1));
}

void TSignalWatcher::Read() {
  unsigned char number = 0;
  while (::read(pipe_[0], &number, 1) == 1) {
    qCInfo(lcSignals) << "signal" << number << "received";
    emit received(number);
  }
}
