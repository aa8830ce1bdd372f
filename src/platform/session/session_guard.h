#pragma once

#include <sys/types.h>

#include <functional>
#include <string>

#include "system/status.h"

namespace vendaro {

// The resident program's guard: a small process of its own that gives the
// user's wallpaper back when the program ends without doing so itself.  Qt
// ends the program on the spot when its display or Wayland compositor goes
// away (as a crash or SIGKILL would), so none of our code runs then; the
// guard, waiting on a pipe from it, notices the end and mends what the
// journal holds while the desktop's settings are still reachable.
inline constexpr const char* kSessionGuardArgument = "--session-guard";

class SessionGuard {
 public:
  SessionGuard() = default;
  SessionGuard(const SessionGuard&) = delete;
  SessionGuard& operator=(const SessionGuard&) = delete;
  // Without Release the guard takes this as an abrupt end.
  ~SessionGuard();

  // Runs `program kSessionGuardArgument` with the pipe as its standard input.
  Status Start(const std::string& program);
  // The program gave back what it could itself: the guard ends quietly.
  void Release();

 private:
  int fd_ = -1;
  pid_t pid_ = -1;
};

enum class GuardOutcome { Released, Mended, NotMended };

// The guard's side: waits until `input` ends; unless the release came
// first, runs `mend`.
GuardOutcome AwaitProgramEnd(int input, const std::function<Status()>& mend);

// What the guard mends: the journal of the state folder, unless another
// copy of `executableName` runs by then: its start mends the journal itself
// and may already have written its own.  The lock of the copy that ended
// is free even before that copy is reaped.
Status MendAfterAbruptEnd(const std::string& stateFolder, const std::string& executableName);

// The guard process's whole life; its exit code.
int RunSessionGuard(const std::string& stateFolder, const std::string& executableName);

}  // namespace vendaro
