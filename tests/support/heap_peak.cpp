#include "support/heap_peak.h"

#include <sys/resource.h>

#include <atomic>
#include <cstddef>
#include <fstream>
#include <string>

#if defined(__SANITIZE_ADDRESS__)
// The allocator's interface (sanitizer/allocator_interface.h, which g++
// does not install).
extern "C" {
int __sanitizer_install_malloc_and_free_hooks(void (*onMalloc)(const volatile void*, std::size_t),
                                              void (*onFree)(const volatile void*));
std::size_t __sanitizer_get_allocated_size(const volatile void* p);
}
#define VENDARO_HEAP_HOOKS 1
#endif

namespace vendaro::testing {
namespace {

#ifdef VENDARO_HEAP_HOOKS
std::atomic<std::int64_t> held{0};
std::atomic<std::int64_t> peak{0};
std::atomic<bool> counting{false};

void OnMalloc(const volatile void*, std::size_t size) {
  if (!counting.load(std::memory_order_relaxed)) return;
  const std::int64_t now = held.fetch_add(std::int64_t(size)) + std::int64_t(size);
  std::int64_t seen = peak.load(std::memory_order_relaxed);
  while (now > seen && !peak.compare_exchange_weak(seen, now)) {
  }
}

void OnFree(const volatile void* p) {
  if (!counting.load(std::memory_order_relaxed) || !p) return;
  // Blocks from before the count started would take it below zero; the
  // peak is what matters, so those are counted as freed too.
  held.fetch_sub(std::int64_t(__sanitizer_get_allocated_size(p)));
}

bool InstallHooks() {
  static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnMalloc, OnFree) != 0;
  return installed;
}
#else
// The process's address space now, from /proc/self/status (VmSize, kB).
std::int64_t AddressSpaceBytes() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line))
    if (line.rfind("VmSize:", 0) == 0) return std::stoll(line.substr(7)) * 1024;
  return 0;
}
#endif

}  // namespace

HeapPeak::HeapPeak(std::int64_t limitBytes) : limit_(limitBytes) {
#ifdef VENDARO_HEAP_HOOKS
  InstallHooks();
  held = 0;
  peak = 0;
  counting = true;
#else
  rlimit now{};
  getrlimit(RLIMIT_AS, &now);
  saved_[0] = std::int64_t(now.rlim_cur);
  saved_[1] = std::int64_t(now.rlim_max);
  now.rlim_cur = rlim_t(AddressSpaceBytes() + limitBytes);
  setrlimit(RLIMIT_AS, &now);
#endif
}

HeapPeak::~HeapPeak() {
#ifdef VENDARO_HEAP_HOOKS
  counting = false;
#else
  rlimit old{rlim_t(saved_[0]), rlim_t(saved_[1])};
  setrlimit(RLIMIT_AS, &old);
#endif
}

std::int64_t HeapPeak::bytes() const {
#ifdef VENDARO_HEAP_HOOKS
  return peak.load();
#else
  return -1;
#endif
}

bool HeapPeak::within() const {
  const std::int64_t b = bytes();
  return b < 0 || b <= limit_;
}

}  // namespace vendaro::testing
