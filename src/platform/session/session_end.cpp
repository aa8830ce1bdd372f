#include "platform/session/session_end.h"

#include <fcntl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QDBusConnection>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <string>

namespace vendaro {
namespace {

constexpr std::array<int, 3> kSignals{SIGTERM, SIGHUP, SIGINT};

volatile sig_atomic_t writeFd = -1;

void OnSignal(int) {
  int saved = errno;
  char byte = 1;
  // Nothing else is safe here.  A failed write means the socket is full,
  // so a wake-up is already pending.
  ssize_t written = write(writeFd, &byte, 1);
  (void)written;
  errno = saved;
}

void Install(void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  for (int signal : kSignals) sigaction(signal, &action, nullptr);
}

}  // namespace

SessionEndWatcher::SessionEndWatcher(QObject* parent) : QObject(parent) {}

Status SessionEndWatcher::Watch() {
  if (fds_[0] >= 0) return Status::Ok();
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, fds_) != 0) {
    fds_[0] = fds_[1] = -1;
    return Status::Error(std::string("Nie można obsłużyć końca sesji: ") + std::strerror(errno));
  }
  writeFd = fds_[0];
  notifier_ = new QSocketNotifier(fds_[1], QSocketNotifier::Read, this);
  connect(notifier_, &QSocketNotifier::activated, this, &SessionEndWatcher::Drain);
  Install(OnSignal);
  // libdbus tells of a lost connection with a signal of its own.
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (bus.isConnected()) {
    bus.connect(QString(), QStringLiteral("/org/freedesktop/DBus/Local"),
                QStringLiteral("org.freedesktop.DBus.Local"), QStringLiteral("Disconnected"), this,
                SLOT(BusGone()));
  }
  return Status::Ok();
}

void SessionEndWatcher::BusGone() {
  emit sessionEnding();
}

SessionEndWatcher::~SessionEndWatcher() {
  if (fds_[0] < 0) return;
  Install(SIG_DFL);
  writeFd = -1;
  delete notifier_;
  close(fds_[0]);
  close(fds_[1]);
}

void SessionEndWatcher::Drain() {
  char buffer[16];
  while (read(fds_[1], buffer, sizeof buffer) > 0) {
  }
  emit sessionEnding();
}

}  // namespace vendaro
