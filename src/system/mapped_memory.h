#pragma once

// Memory mapped from the system rather than taken from the heap.

#include <cstddef>
#include <cstdint>

namespace vendaro {

// Whether a sanitizer watches this build's memory (its shadow reserves
// terabytes of address space, and it guards only the heap's bounds).
bool SanitizedBuild();

// Blocks of this size or more (a canvas beyond a thumbnail) are worth
// mapping on their own.
inline constexpr std::size_t kLargeBlockBytes = std::size_t{4} << 20;

// A block of `bytes` straight from the system, backed by huge pages where
// the system offers them: 25 MB in pages of 4 KB costs thousands of page
// faults, each dearer than clearing its page.  It goes back to the system
// the moment it is freed, never kept by the allocator.  Null when refused.
// In a sanitized build it comes from the heap, whose bounds are watched.
void* MapLargeBlock(std::size_t bytes);
void UnmapLargeBlock(void* block, std::size_t bytes);

// The memory file a helper shares with its caller (BoundedChild's
// descriptor 3), mapped, so that a helper draws straight into what its
// caller reads.
class SharedMapping {
 public:
  SharedMapping() = default;
  SharedMapping(const SharedMapping&) = delete;
  SharedMapping& operator=(const SharedMapping&) = delete;
  ~SharedMapping() { Unmap(); }

  // Makes the memory file `fd` `size` bytes long and maps all of it for
  // writing, its pages taken at once rather than one fault each.  False
  // when either fails (beyond the address-space limit, out of memory), with
  // nothing mapped.
  bool Map(int fd, std::size_t size);
  void Unmap();
  std::uint8_t* bytes() const { return bytes_; }
  std::size_t size() const { return size_; }

 private:
  std::uint8_t* bytes_ = nullptr;
  std::size_t size_ = 0;
};

}  // namespace vendaro
