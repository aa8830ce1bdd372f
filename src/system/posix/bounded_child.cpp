#include "system/bounded_child.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>

#include "system/files.h"
#include "system/mapped_memory.h"

extern char** environ;

namespace vendaro {
namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kReadChunk = 1 << 20;

int MillisecondsLeft(Clock::time_point deadline) {
  const auto left =
      std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
  return left < 0 ? 0 : static_cast<int>(left);
}

// The bytes of address space the process has mapped now.
std::uint64_t MappedBytes() {
  unsigned long long pages = 0;
  if (std::FILE* statm = std::fopen("/proc/self/statm", "re")) {
    if (std::fscanf(statm, "%llu", &pages) != 1) pages = 0;
    std::fclose(statm);
  }
  return pages * static_cast<std::uint64_t>(::sysconf(_SC_PAGESIZE));
}

void CloseFd(int& fd) {
  if (fd >= 0) ::close(fd);
  fd = -1;
}

// Waits until `fd` is ready for `events` or the deadline passes.
bool Ready(int fd, short events, Clock::time_point deadline) {
  for (;;) {
    pollfd p{fd, events, 0};
    const int n = ::poll(&p, 1, MillisecondsLeft(deadline));
    if (n < 0 && errno == EINTR) continue;
    return n > 0;
  }
}

// Whether the process is running or waiting for a processor, rather than
// sleeping on something that may never come.
bool Runnable(pid_t pid) {
  char path[64];
  std::snprintf(path, sizeof path, "/proc/%d/stat", static_cast<int>(pid));
  std::FILE* stat = std::fopen(path, "re");
  if (!stat) return false;
  char line[512] = {};
  const bool read = std::fgets(line, sizeof line, stat) != nullptr;
  std::fclose(stat);
  // "pid (name) S ...": the name may hold anything, the state follows its
  // last ')'.
  const char* close = read ? std::strrchr(line, ')') : nullptr;
  return close && close[1] == ' ' && close[2] == 'R';
}

}  // namespace

Status BoundedChild::Start(const std::string& program, const std::vector<std::string>& args) {
  Stop();
  std::vector<char*> argv;
  argv.push_back(const_cast<char*>(program.c_str()));
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  // A socket, not a pipe: sending to a helper that died fails with an error
  // instead of killing us with SIGPIPE.
  int ends[2];
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends) != 0)
    return Status::Error(std::string("socketpair: ") + ErrorText(errno));
  // Shared with the child (which is free to fill it): a canvas is written
  // and read in one copy each, not streamed through the socket in slices.
  const int shared = ::memfd_create("vendaro-helper", MFD_CLOEXEC);
  // Closed by a successful exec; a failed one writes its error number here.
  int execError[2];
  if (::pipe2(execError, O_CLOEXEC) != 0) {
    const int error = errno;
    ::close(ends[0]);
    ::close(ends[1]);
    return Status::Error(std::string("pipe: ") + ErrorText(error));
  }
  const pid_t pid = ::fork();
  if (pid < 0) {
    const int error = errno;
    for (int fd : {ends[0], ends[1], execError[0], execError[1], shared})
      if (fd >= 0) ::close(fd);
    return Status::Error(std::string("fork: ") + ErrorText(error));
  }
  if (pid == 0) {
    // Only async-signal-safe calls until exec: the parent has threads.  No
    // PR_SET_PDEATHSIG: it fires when the forking thread ends, and helpers
    // outlive the threads that start them; a helper ends when its socket
    // closes instead, and bounds each request itself (see LimitThisProcess).
    // A group of its own: anything it starts is killed with it.
    ::setpgid(0, 0);
    const int null = ::open("/dev/null", O_RDWR);
    ::dup2(ends[1], 0);
    ::dup2(ends[1], 1);
    ::dup2(null, 2);
    if (shared >= 0) ::dup2(shared, kSharedMemoryFd);
    sigset_t none;
    sigemptyset(&none);
    ::sigprocmask(SIG_SETMASK, &none, nullptr);
    ::execve(program.c_str(), argv.data(), environ);
    const int error = errno;
    (void)!::write(execError[1], &error, sizeof error);
    ::_exit(127);
  }
  ::close(ends[1]);
  ::close(execError[1]);
  int error = 0;
  ssize_t n;
  do {
    n = ::read(execError[0], &error, sizeof error);
  } while (n < 0 && errno == EINTR);
  ::close(execError[0]);
  if (n == static_cast<ssize_t>(sizeof error)) {
    ::close(ends[0]);
    if (shared >= 0) ::close(shared);
    while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) {
    }
    return Status::Error(program + ": " + ErrorText(error));
  }
  toChild_ = fromChild_ = ends[0];
  shared_ = shared;
  cancelled_ = false;
  pid_ = pid;
  return Status::Ok();
}

BoundedChild::Outcome BoundedChild::Exchange(std::string_view request, const AnswerLength& length,
                                             std::string& answer, std::chrono::milliseconds limit) {
  answer.clear();
  if (!running()) return Outcome::NotStarted;
  Clock::time_point deadline = Clock::now() + limit;
  int extended = 0;
  const auto ready = [&](int fd, short events) {
    for (;;) {
      if (Ready(fd, events, deadline)) return true;
      if (cancelled_ || extended == kStarvedLimits || !Runnable(pid_.load())) return false;
      ++extended;
      deadline = Clock::now() + limit;
    }
  };
  while (!request.empty()) {
    if (!ready(toChild_, POLLOUT)) return Ended(true);
    const ssize_t n = ::send(toChild_, request.data(), request.size(), MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Ended(false);
    request.remove_prefix(static_cast<std::size_t>(n));
  }
  for (;;) {
    if (!ready(fromChild_, POLLIN)) return Ended(true);
    const std::size_t had = answer.size();
    answer.resize(had + kReadChunk);
    const ssize_t n = ::recv(fromChild_, answer.data() + had, kReadChunk, 0);
    answer.resize(had + (n > 0 ? static_cast<std::size_t>(n) : 0));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return Ended(cancelled_);
    const std::size_t whole = length(answer);
    if (whole > 0) {
      answer.resize(whole);
      return cancelled_ ? Ended(true) : Outcome::Answered;
    }
  }
}

BoundedChild::Outcome BoundedChild::Ended(bool timedOut) {
  const pid_t pid = pid_.load();
  int status = 0;
  if (pid > 0) {
    ::kill(-pid, SIGKILL);
    ::kill(pid, SIGKILL);
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }
  pid_ = -1;
  CloseFd(toChild_);
  CloseFd(shared_);
  fromChild_ = -1;
  if (timedOut || cancelled_) return Outcome::TimedOut;
  if (WIFSIGNALED(status) && WTERMSIG(status) == SIGXCPU) return Outcome::OverCpu;
  return Outcome::Died;
}

bool BoundedChild::Alive() {
  const pid_t pid = pid_.load();
  if (pid <= 0) return false;
  int status = 0;
  if (::waitpid(pid, &status, WNOHANG) != pid) return true;
  // Ended while idle: reaped here, so Stop has nothing to kill.
  pid_ = -1;
  CloseFd(toChild_);
  CloseFd(shared_);
  fromChild_ = -1;
  return false;
}

void BoundedChild::Cancel() {
  cancelled_ = true;
  const pid_t pid = pid_.load();
  if (pid <= 0) return;
  ::kill(-pid, SIGKILL);
  ::kill(pid, SIGKILL);
}

void BoundedChild::Stop() {
  if (running()) (void)Ended(true);
}

bool AddressSpaceLimited() {
  return !SanitizedBuild();
}

void LimitTime(int cpuSeconds, int wallSeconds) {
  // Its own wall clock too: the caller's may be gone with the caller.
  ::alarm(static_cast<unsigned>(wallSeconds));
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  const auto spent = static_cast<rlim_t>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec + 1);
  rlimit cpu{};
  ::getrlimit(RLIMIT_CPU, &cpu);
  cpu.rlim_cur = spent + static_cast<rlim_t>(cpuSeconds);
  if (cpu.rlim_max != RLIM_INFINITY && cpu.rlim_cur > cpu.rlim_max) cpu.rlim_cur = cpu.rlim_max;
  ::setrlimit(RLIMIT_CPU, &cpu);
}

void LimitAddressSpace(std::uint64_t addressSpaceBytes) {
  if (!AddressSpaceLimited()) return;
  rlimit space{};
  ::getrlimit(RLIMIT_AS, &space);
  // Lifted first, so what is mapped now is measured without the old limit.
  space.rlim_cur = space.rlim_max;
  ::setrlimit(RLIMIT_AS, &space);
  space.rlim_cur = static_cast<rlim_t>(MappedBytes() + addressSpaceBytes);
  if (space.rlim_max != RLIM_INFINITY && space.rlim_cur > space.rlim_max)
    space.rlim_cur = space.rlim_max;
  ::setrlimit(RLIMIT_AS, &space);
}

}  // namespace vendaro
