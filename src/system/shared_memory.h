#pragma once

// The memory file a helper shares with its caller (BoundedChild's descriptor
// 3), mapped, so that a helper draws straight into what its caller reads.

#include <cstddef>
#include <cstdint>

namespace vendaro {

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
