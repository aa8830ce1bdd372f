#include "platform/boot_clock.h"

#include <sys/resource.h>

#include <ctime>
#include <fstream>

namespace vendaro {

std::uint64_t MillisecondsSinceBoot() {
  timespec ts{};
  if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0) clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u +
         static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

std::string BootId() {
  std::ifstream in("/proc/sys/kernel/random/boot_id");
  std::string id;
  std::getline(in, id);
  return id;
}

std::uint64_t PerformanceCounter() {
  timespec ts{};
  clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u +
         static_cast<std::uint64_t>(ts.tv_nsec);
}

void LowerProcessPriority() {
  // Lowering is always allowed, so the result is not worth a message.  Not
  // SCHED_IDLE: Linux gives such a thread no boost for input, and on a busy
  // machine the tray menu and message boxes then stay unpainted for minutes.
  setpriority(PRIO_PROCESS, 0, 19);
}

}  // namespace vendaro
