#include "platform/ipc/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "platform/ipc/unique_fd.h"

extern char** environ;

namespace vendaro {
namespace {

using Clock = std::chrono::steady_clock;

bool IsExecutableFile(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && access(path.c_str(), X_OK) == 0;
}

struct Pipe {
  UniqueFd read;
  UniqueFd write;
  bool Open() {
    int fds[2];
    if (pipe2(fds, O_CLOEXEC) != 0) return false;
    read.reset(fds[0]);
    write.reset(fds[1]);
    return true;
  }
};

struct SpawnOptions {
  int stdoutFd = -1;  // -1: /dev/null
  int stderrFd = -1;
  bool dieWithParent = false;
  bool newSession = false;
};

// fork + execve, reporting a failed exec through a close-on-exec pipe so the
// caller learns at once that the program could not run.  Only
// async-signal-safe calls happen in the child.
Result<pid_t> Spawn(const std::string& path, const std::vector<std::string>& args,
                    const SpawnOptions& options) {
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(path.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  Pipe execError;
  if (!execError.Open()) return Status::Error(std::string("pipe: ") + std::strerror(errno));
  const pid_t parent = getpid();
  const pid_t pid = fork();
  if (pid < 0) return Status::Error(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
    if (options.dieWithParent) {
      prctl(PR_SET_PDEATHSIG, SIGTERM);
      if (getppid() != parent) _exit(127);
    }
    if (options.newSession) setsid();
    int null = open("/dev/null", O_RDWR);
    dup2(null, 0);
    dup2(options.stdoutFd >= 0 ? options.stdoutFd : null, 1);
    dup2(options.stderrFd >= 0 ? options.stderrFd : null, 2);
    sigset_t none;
    sigemptyset(&none);
    sigprocmask(SIG_SETMASK, &none, nullptr);
    execve(path.c_str(), argv.data(), environ);
    int error = errno;
    (void)!write(execError.write.get(), &error, sizeof error);
    _exit(127);
  }
  execError.write.reset();
  int error = 0;
  ssize_t n;
  do {
    n = read(execError.read.get(), &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  if (n == static_cast<ssize_t>(sizeof error)) {
    waitpid(pid, nullptr, 0);
    return Status::Error("Nie można uruchomić " + path + ": " + std::strerror(error));
  }
  return pid;
}

// Waits up to `ms` for the child; true when it was reaped.
bool WaitFor(pid_t pid, int ms, int& wstatus) {
  const auto deadline = Clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    pid_t r = waitpid(pid, &wstatus, WNOHANG);
    if (r == pid || (r < 0 && errno != EINTR)) return true;
    if (Clock::now() >= deadline) return false;
    usleep(2000);
  }
}

void KillAndReap(pid_t pid) {
  int wstatus = 0;
  kill(pid, SIGTERM);
  if (!WaitFor(pid, kChildTimeoutMs, wstatus)) {
    kill(pid, SIGKILL);
    waitpid(pid, &wstatus, 0);
  }
}

int MillisecondsLeft(Clock::time_point deadline) {
  auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

// Reads both pipes until they close or the deadline passes; false on timeout.
bool Drain(UniqueFd& out, UniqueFd& err, std::string& outText, std::string& errText,
           Clock::time_point deadline) {
  char buffer[65536];
  while (out.valid() || err.valid()) {
    pollfd fds[2] = {{out.get(), POLLIN, 0}, {err.get(), POLLIN, 0}};
    int ready = poll(fds, 2, MillisecondsLeft(deadline));
    if (ready < 0 && errno == EINTR) continue;
    if (ready <= 0) return false;
    UniqueFd* fdsOwned[2] = {&out, &err};
    std::string* texts[2] = {&outText, &errText};
    for (int i = 0; i < 2; ++i) {
      if (!fdsOwned[i]->valid() || fds[i].revents == 0) continue;
      ssize_t n = read(fdsOwned[i]->get(), buffer, sizeof buffer);
      if (n > 0) {
        texts[i]->append(buffer, static_cast<std::size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        fdsOwned[i]->reset();
      }
    }
  }
  return true;
}

std::string FirstLine(const std::string& text) {
  std::size_t end = text.find('\n');
  return text.substr(0, end);
}

}  // namespace

std::string FindProgram(const std::string& name) {
  if (name.empty()) return {};
  if (name.find('/') != std::string::npos) return IsExecutableFile(name) ? name : std::string();
  const char* path = std::getenv("PATH");
  std::string dirs = path && *path ? path : "/usr/local/bin:/usr/bin:/bin";
  for (std::size_t start = 0;;) {
    std::size_t colon = dirs.find(':', start);
    std::string dir = dirs.substr(start, colon - start);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + name;
    if (IsExecutableFile(candidate)) return candidate;
    if (colon == std::string::npos) return {};
    start = colon + 1;
  }
}

ProgramResult RunProgram(const std::string& name, const std::vector<std::string>& args,
                         int timeoutMs) {
  ProgramResult result;
  const std::string path = FindProgram(name);
  if (path.empty()) {
    result.status = Status::Error("Nie znaleziono programu " + name);
    return result;
  }
  Pipe out;
  Pipe err;
  if (!out.Open() || !err.Open()) {
    result.status = Status::Error(std::string("pipe: ") + std::strerror(errno));
    return result;
  }
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs);
  SpawnOptions options{out.write.get(), err.write.get(), true, false};
  const Result<pid_t> spawned = Spawn(path, args, options);
  if (!spawned) {
    result.status = spawned.status();
    return result;
  }
  const pid_t pid = *spawned;
  out.write.reset();
  err.write.reset();
  int wstatus = 0;
  if (!Drain(out.read, err.read, result.out, result.err, deadline) ||
      !WaitFor(pid, MillisecondsLeft(deadline), wstatus)) {
    KillAndReap(pid);
    result.timedOut = true;
    result.status = Status::Error("Program " + name + " nie odpowiedział w ciągu " +
                                  std::to_string(timeoutMs / 1000) + " s");
    return result;
  }
  result.exitCode = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  if (result.exitCode != 0) {
    std::string reason = FirstLine(result.err);
    result.status = Status::Error("Program " + name + " zakończył się błędem" +
                                  (reason.empty() ? std::string() : ": " + reason));
  }
  return result;
}

ProgramResult RunProgram(const std::string& name, const std::vector<std::string>& args,
                         WaitBudget& budget) {
  if (budget.Spent()) {
    ProgramResult result;
    result.timedOut = true;
    result.status = WaitBudget::TimedOut("Program " + name);
    return result;
  }
  ProgramResult result;
  {
    Waiting waiting(budget);
    result = RunProgram(name, args, budget.LeftMs());
  }
  if (result.timedOut) result.status = WaitBudget::TimedOut("Program " + name);
  return result;
}

ChildProcess::ChildProcess(ChildProcess&& other) noexcept : pid_(std::exchange(other.pid_, -1)) {}

ChildProcess& ChildProcess::operator=(ChildProcess&& other) noexcept {
  if (this != &other) {
    Stop();
    pid_ = std::exchange(other.pid_, -1);
  }
  return *this;
}

Status ChildProcess::Start(const std::string& name, const std::vector<std::string>& args) {
  Stop();
  const std::string path = FindProgram(name);
  if (path.empty()) return Status::Error("Nie znaleziono programu " + name);
  const Result<pid_t> spawned = Spawn(path, args, SpawnOptions{-1, -1, true, false});
  if (!spawned) return spawned.status();
  pid_ = *spawned;
  return Status::Ok();
}

Result<pid_t> ChildProcess::StartDetached(const std::string& name,
                                          const std::vector<std::string>& args) {
  const std::string path = FindProgram(name);
  if (path.empty()) return Status::Error("Nie znaleziono programu " + name);
  return Spawn(path, args, SpawnOptions{-1, -1, false, true});
}

bool ChildProcess::Running() {
  if (pid_ < 0) return false;
  int wstatus = 0;
  if (waitpid(pid_, &wstatus, WNOHANG) == 0) return true;
  pid_ = -1;
  return false;
}

void ChildProcess::Stop() {
  if (pid_ < 0) return;
  KillAndReap(std::exchange(pid_, -1));
}

}  // namespace vendaro
