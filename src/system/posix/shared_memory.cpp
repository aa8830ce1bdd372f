#include "system/shared_memory.h"

#include <sys/mman.h>
#include <unistd.h>

namespace vendaro {

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
