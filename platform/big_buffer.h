#pragma once
// Memory for a buffer that grows to megabytes, such as a compiler's output.
// Large sizes are mapped directly and marked for huge pages, so that growing
// moves no bytes and filling it takes a few page faults rather than
// thousands; small sizes come from the heap.
//
//   platform::BigBuffer b;
//   b.Resize(100, 0);        // room for 100 bytes
//   b.Resize(1 << 24, 100);  // room for 16 MB, the first 100 bytes kept

#include <cstddef>

namespace platform {

class BigBuffer {
public:
  BigBuffer() = default;
  ~BigBuffer();
  BigBuffer(const BigBuffer&) = delete;
  BigBuffer& operator=(const BigBuffer&) = delete;
  BigBuffer(BigBuffer&& other) noexcept;
  BigBuffer& operator=(BigBuffer&& other) noexcept;

  char* data() const { return data_; }
  std::size_t capacity() const { return capacity_; }
  // Makes the capacity at least `capacity`, keeping the first `keep` bytes.
  // Throws std::bad_alloc when the memory cannot be had.
  void Resize(std::size_t capacity, std::size_t keep);

private:
  void Release();
  char* data_ = nullptr;
  std::size_t capacity_ = 0;
  bool mapped_ = false;
};

} // namespace platform
