#pragma once

// A helper process that answers requests over a socket, and that the system
// bounds: its requests are timed by the wall clock, and it sets its own
// address-space, CPU-time and wall-clock limits for each request
// (LimitThisProcess), so a decoder that swells or spins ends the helper, not
// the program that asked.  A helper ends when its socket closes, which the
// kernel does when we die.

#include <sys/types.h>

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "system/status.h"

namespace vendaro {

class BoundedChild {
 public:
  static constexpr int kStarvedLimits = 5;
  // How an exchange ended.
  enum class Outcome {
    Answered,
    TimedOut,    // killed at the wall-clock limit (or by Cancel)
    Died,        // ended or crashed without a whole answer
    OverCpu,     // ended by its CPU-time limit
    NotStarted,  // the program could not be run
  };
  // Tells how many bytes at the start of `received` make one whole answer; 0
  // while it is incomplete.
  using AnswerLength = std::function<std::size_t(std::string_view received)>;

  BoundedChild() = default;
  BoundedChild(const BoundedChild&) = delete;
  BoundedChild& operator=(const BoundedChild&) = delete;
  ~BoundedChild() { Stop(); }

  // Runs `program` with `args`, its standard input and output our socket,
  // its standard error dropped, and descriptor 3 a memory file we share
  // (sharedMemory) for answers too large to send.
  Status Start(const std::string& program, const std::vector<std::string>& args);
  bool running() const { return pid_.load() > 0; }
  // The memory file of descriptor 3 in the child; -1 when none.
  int sharedMemory() const { return shared_; }
  // Whether it still runs; one that ended meanwhile is reaped.
  bool Alive();
  // Sends `request` and waits at most `limit` for the whole answer, which
  // replaces `answer`.  A child still waiting for the processor at the
  // limit (a busy machine, a low priority) is given the limit again, up to
  // kStarvedLimits times: only its CPU limit ends one that computes.
  // Anything but Answered leaves the child stopped; the next Start makes a
  // new one.
  Outcome Exchange(std::string_view request, const AnswerLength& length, std::string& answer,
                   std::chrono::milliseconds limit);
  // Kills the child now; safe from another thread while Exchange waits.
  void Cancel();
  void Stop();

 private:
  Outcome Ended(bool timedOut);

  std::atomic<pid_t> pid_{-1};
  std::atomic<bool> cancelled_{false};
  int toChild_ = -1;
  int fromChild_ = -1;
  int shared_ = -1;
};

// Limits for this process, set by a helper before a request: the soft
// limits move, so one helper serves many requests.  Each counts from now:
// `cpuSeconds` beyond the CPU time spent so far, `wallSeconds` by SIGALRM
// (which ends the process), `addressSpaceBytes` beyond what the process
// maps already (its libraries).  The address space is left unlimited in a
// sanitized build, whose shadow memory reserves terabytes of it.
void LimitTime(int cpuSeconds, int wallSeconds);
void LimitAddressSpace(std::uint64_t addressSpaceBytes);
// The descriptor a helper finds its shared memory file at.
inline constexpr int kSharedMemoryFd = 3;

// Whether LimitAddressSpace bounds the address space in this build.
bool AddressSpaceLimited();

}  // namespace vendaro
