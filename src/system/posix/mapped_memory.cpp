#include "system/mapped_memory.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdlib>

namespace vendaro {

bool SanitizedBuild() {
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || \
    __has_feature(memory_sanitizer)
  return true;
#else
  return false;
#endif
#else
  return false;
#endif
}

void* MapLargeBlock(std::size_t bytes) {
  if (SanitizedBuild()) return std::malloc(bytes);
  void* at = ::mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (at == MAP_FAILED) return nullptr;
  // Only advice: a system without huge pages gives small ones.
  ::madvise(at, bytes, MADV_HUGEPAGE);
  return at;
}

void UnmapLargeBlock(void* block, std::size_t bytes) {
  if (SanitizedBuild())
    std::free(block);
  else if (block)
    ::munmap(block, bytes);
}

bool SharedMapping::Map(int fd, std::size_t size) {
  Unmap();
  if (size == 0 || ::ftruncate(fd, static_cast<off_t>(size)) != 0) return false;
  void* at = ::mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_POPULATE, fd, 0);
  if (at == MAP_FAILED) return false;
  bytes_ = static_cast<std::uint8_t*>(at);
  size_ = size;
  return true;
}

void SharedMapping::Unmap() {
  if (bytes_) ::munmap(bytes_, size_);
  bytes_ = nullptr;
  size_ = 0;
}

}  // namespace vendaro
