#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <utility>
#include <vector>

#include "system/mapped_memory.h"

namespace vendaro {

// A size of a screen or monitor in device pixels.
struct ScreenSize {
  int width = 0;
  int height = 0;

  bool operator==(const ScreenSize&) const = default;
};

// A block of memory someone else owns (a mapping a drawing helper shares
// with its caller) that one canvas of exactly its size may use, so that the
// picture is drawn where it is sent from instead of copied there.  The owner
// keeps the block for as long as that canvas lives.
struct CanvasMemory {
  std::uint8_t* bytes = nullptr;
  std::size_t size = 0;
  bool taken = false;
};

// The allocator of a canvas's bytes.  A canvas is 25 MB at 3840×2160, and
// whoever makes one writes every byte of it: growing leaves the new bytes
// as they come (no zero-filling pass before the real one).  With a
// CanvasMemory the first allocation of its size is the block; anything else
// is mapped on its own when large, from the heap when small.  A copy of a
// canvas is never in a CanvasMemory.
template <typename T>
class CanvasAllocator {
 public:
  using value_type = T;
  using propagate_on_container_move_assignment = std::true_type;
  using propagate_on_container_swap = std::true_type;

  CanvasAllocator() = default;
  explicit CanvasAllocator(CanvasMemory* memory) : memory_(memory) {}
  template <typename U>
  CanvasAllocator(const CanvasAllocator<U>& other) : memory_(other.memory()) {}

  T* allocate(std::size_t n) {
    if (memory_ && !memory_->taken && n * sizeof(T) == memory_->size) {
      memory_->taken = true;
      return reinterpret_cast<T*>(memory_->bytes);
    }
    if (n * sizeof(T) < kLargeBlockBytes) return static_cast<T*>(::operator new(n * sizeof(T)));
    void* block = MapLargeBlock(n * sizeof(T));
    if (!block) throw std::bad_alloc();
    return static_cast<T*>(block);
  }
  void deallocate(T* p, std::size_t n) {
    if (memory_ && reinterpret_cast<std::uint8_t*>(p) == memory_->bytes) {
      memory_->taken = false;
      return;
    }
    if (n * sizeof(T) < kLargeBlockBytes)
      ::operator delete(p, n * sizeof(T));
    else
      UnmapLargeBlock(p, n * sizeof(T));
  }
  template <typename U>
  void construct(U* p) {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }
  CanvasAllocator select_on_container_copy_construction() const { return {}; }

  CanvasMemory* memory() const { return memory_; }
  template <typename U>
  bool operator==(const CanvasAllocator<U>& other) const {
    return memory_ == other.memory();
  }

 private:
  CanvasMemory* memory_ = nullptr;
};

using CanvasBytes = std::vector<std::uint8_t, CanvasAllocator<std::uint8_t>>;

// A composed wallpaper: opaque 8-bit RGB, three bytes a pixel, rows from the
// top, no padding between rows.
struct Canvas {
  int width = 0;
  int height = 0;
  CanvasBytes rgb;

  bool empty() const { return width <= 0 || height <= 0; }
  // A canvas drawn ahead of its change may keep its pixels only in its file
  // where the desktop reads files (see PutWallpapers).
  bool hasPixels() const {
    return !empty() &&
           rgb.size() == static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
  }
  std::uint8_t* row(int y) {
    return rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
  }
  const std::uint8_t* row(int y) const {
    return rgb.data() + static_cast<std::size_t>(y) * static_cast<std::size_t>(width) * 3;
  }
};

}  // namespace vendaro
