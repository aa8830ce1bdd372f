#pragma once

#include <cstdint>
#include <string>

namespace vendaro {

// Milliseconds since the system started, counting time asleep: 64 bits, no
// wrap.
std::uint64_t MillisecondsSinceBoot();

// The identity of this system start, or empty text where the system has
// none.
std::string BootId();

// A high-resolution counter reading for seeding the random generator.
std::uint64_t PerformanceCounter();

}  // namespace vendaro
