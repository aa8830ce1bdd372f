#pragma once

#include <cstdint>
#include <string>

namespace vendaro {

// Milliseconds since the system started (CLOCK_BOOTTIME): 64 bits, no wrap.
std::uint64_t MillisecondsSinceBoot();

// The identity of this system start (/proc/sys/kernel/random/boot_id), or
// empty text where the system has none.
std::string BootId();

// A high-resolution counter reading for seeding the random generator.
std::uint64_t PerformanceCounter();

// Lowers this process to the lowest ordinary priority (nice 19).
void LowerProcessPriority();

}  // namespace vendaro
