#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "platform/desktop/wait_budget.h"
#include "system/status.h"

namespace vendaro {

// Child processes started with an argument list (never through a shell), so
// a path with any bytes reaches the program as one argument.

// The first executable `name` on PATH (or `name` itself when it holds a
// slash); empty when there is none.
std::string FindProgram(const std::string& name);

inline constexpr int kChildTimeoutMs = 2000;

struct ProgramResult {
  Status status;  // an error when it could not start, timed out or failed
  bool timedOut = false;
  int exitCode = -1;
  std::string out;  // standard output
  std::string err;  // standard error
};

// Runs a program to its end; past `timeoutMs` it is killed and the result is
// an error.  A non-zero exit is an error carrying the program's message.
ProgramResult RunProgram(const std::string& name, const std::vector<std::string>& args,
                         int timeoutMs = kChildTimeoutMs);
// The same within what is left of a change's budget, which it spends.
ProgramResult RunProgram(const std::string& name, const std::vector<std::string>& args,
                         WaitBudget& budget);

// A program that runs beside us until stopped, and dies with us even when we
// are killed (the kernel sends it SIGTERM when we go).
class ChildProcess {
 public:
  ChildProcess() = default;
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;
  ChildProcess(ChildProcess&& other) noexcept;
  ChildProcess& operator=(ChildProcess&& other) noexcept;
  ~ChildProcess() { Stop(); }

  // Starts the program; an error when it cannot be found or executed.
  Status Start(const std::string& name, const std::vector<std::string>& args);
  // Starts it in a session of its own that outlives us; we keep no hold on
  // it.  Its process id.
  static Result<pid_t> StartDetached(const std::string& name, const std::vector<std::string>& args);
  bool Running();
  pid_t pid() const { return pid_; }
  // SIGTERM, then SIGKILL if it does not end within the timeout.
  void Stop();

 private:
  pid_t pid_ = -1;
};

}  // namespace vendaro
