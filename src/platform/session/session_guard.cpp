#include "platform/session/session_guard.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <vector>

#include "platform/desktop/desktop.h"
#include "platform/session/instance_lock.h"
#include "system/report.h"

extern char** environ;

namespace vendaro {
namespace {

constexpr char kReleased = 'r';
// How long an ending program may take from closing its files to being gone.
constexpr int kGoneWithinMs = 2000;

// The pipe closes a moment before the program's other files, its instance
// lock among them: until it is gone for good, it would still look like a
// running copy.  Gone, it leaves us to another parent.
void WaitUntilGone(pid_t program) {
  for (int waited = 0; getppid() == program && waited < kGoneWithinMs; waited += 10) usleep(10000);
}

}  // namespace

Status SessionGuard::Start(const std::string& program) {
  if (fd_ >= 0) return Status::Ok();
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0)
    return Status::Error(std::string("Nie można utworzyć potoku: ") + std::strerror(errno));
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  // dup2 clears close-on-exec on the copy: only the read end reaches the guard.
  posix_spawn_file_actions_adddup2(&actions, fds[0], STDIN_FILENO);
  std::vector<char*> argv{const_cast<char*>(program.c_str()),
                          const_cast<char*>(kSessionGuardArgument), nullptr};
  pid_t pid = -1;
  const int error = posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[0]);
  if (error != 0) {
    close(fds[1]);
    return Status::Error("Nie można uruchomić " + program + ": " + std::strerror(error));
  }
  fd_ = fds[1];
  pid_ = pid;
  return Status::Ok();
}

void SessionGuard::Release() {
  if (fd_ < 0) return;
  const ssize_t written = write(fd_, &kReleased, 1);
  (void)written;
  close(fd_);
  fd_ = -1;
  // It ends at once; waited for so that no zombie is left.
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

SessionGuard::~SessionGuard() {
  if (fd_ >= 0) close(fd_);
}

GuardOutcome AwaitProgramEnd(int input, const std::function<Status()>& mend) {
  bool released = false;
  char buffer[64];
  for (;;) {
    const ssize_t got = read(input, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    released = released || std::memchr(buffer, kReleased, static_cast<size_t>(got)) != nullptr;
  }
  if (released) return GuardOutcome::Released;
  const Status mended = mend();
  ReportOnTerminal(mended);
  return mended ? GuardOutcome::Mended : GuardOutcome::NotMended;
}

Status MendAfterAbruptEnd(const std::string& stateFolder, const std::string& executableName) {
  if (stateFolder.empty()) return Status::Ok();
  InstanceLock lock(executableName);
  if (!lock.TryAcquire()) return Status::Ok();
  return RecoverFromJournal(stateFolder);
}

int RunSessionGuard(const std::string& stateFolder, const std::string& executableName) {
  // The session's end signals the program too, which then releases us;
  // the guard waits for that instead of dying first.
  for (int signal : {SIGTERM, SIGHUP, SIGINT}) std::signal(signal, SIG_IGN);
  const pid_t program = getppid();
  const GuardOutcome outcome = AwaitProgramEnd(STDIN_FILENO, [&] {
    WaitUntilGone(program);
    return MendAfterAbruptEnd(stateFolder, executableName);
  });
  return outcome == GuardOutcome::NotMended ? 1 : 0;
}

}  // namespace vendaro
