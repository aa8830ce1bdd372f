#include "platform/boot_clock.h"

#include <ctime>
#include <sched.h>
#include <sys/resource.h>
#include <fstream>

namespace vendaro {

std::uint64_t MillisecondsSinceBoot() {
  timespec ts {};
  if (clock_gettime(CLOCK_BOOTTIME, &ts) != 0) clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000u + static_cast<std::uint64_t>(ts.tv_nsec) / 1000000u;
}

std::string BootId() {
  std::ifstream in("/proc/sys/kernel/random/boot_id");
  std::string id;
  std::getline(in, id);
  return id;
}

std::uint64_t PerformanceCounter() {
  timespec ts {};
  clock_gettime(CLOCK_MONOTONIC_RAW, &ts);
  return static_cast<std::uint64_t>(ts.tv_sec) * 1000000000u + static_cast<std::uint64_t>(ts.tv_nsec);
}

void LowerProcessPriority() {
  // Lowering is always allowed; only raising needs rights, so the results
  // are not worth a message.
  setpriority(PRIO_PROCESS, 0, 19);
  sched_param param {};
  sched_setscheduler(0, SCHED_IDLE, &param);
}

}  // namespace vendaro
