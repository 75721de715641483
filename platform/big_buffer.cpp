#include "platform/big_buffer.h"

#include <sys/mman.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>
#include <utility>

namespace platform {

namespace {

// From this size on the buffer is mapped; the unit is the huge page size.
constexpr std::size_t kMappedFrom = std::size_t{2} << 20;

std::uintptr_t RoundUp(std::uintptr_t n, std::uintptr_t unit) {
  return (n + unit - 1) / unit * unit;
}

// A mapping of `size` bytes (a multiple of kMappedFrom) aligned to
// kMappedFrom: huge pages are used only for aligned ranges.
char* Map(std::size_t size) {
  const std::size_t span = size + kMappedFrom;
  void* p = ::mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (p == MAP_FAILED) throw std::bad_alloc();
  char* start = static_cast<char*>(p);
  char* aligned =
      reinterpret_cast<char*>(RoundUp(reinterpret_cast<std::uintptr_t>(start), kMappedFrom));
  if (aligned > start) ::munmap(start, static_cast<std::size_t>(aligned - start));
  char* end = aligned + size;
  if (end < start + span) ::munmap(end, static_cast<std::size_t>(start + span - end));
  ::madvise(aligned, size, MADV_HUGEPAGE); // a hint: without huge pages it still works
  return aligned;
}

} // namespace

BigBuffer::~BigBuffer() {
  Release();
}

BigBuffer::BigBuffer(BigBuffer&& other) noexcept
    : data_(std::exchange(other.data_, nullptr)), capacity_(std::exchange(other.capacity_, 0)),
      mapped_(std::exchange(other.mapped_, false)) {}

BigBuffer& BigBuffer::operator=(BigBuffer&& other) noexcept {
  if (this != &other) {
    Release();
    data_ = std::exchange(other.data_, nullptr);
    capacity_ = std::exchange(other.capacity_, 0);
    mapped_ = std::exchange(other.mapped_, false);
  }
  return *this;
}

void BigBuffer::Release() {
  if (mapped_) {
    ::munmap(data_, capacity_);
  } else {
    std::free(data_);
  }
  data_ = nullptr;
  capacity_ = 0;
  mapped_ = false;
}

void BigBuffer::Resize(std::size_t capacity, std::size_t keep) {
  if (capacity <= capacity_) return;
  keep = std::min(keep, capacity_);
  if (capacity < kMappedFrom) {
    void* p = std::realloc(data_, capacity);
    if (p == nullptr) throw std::bad_alloc();
    data_ = static_cast<char*>(p);
    capacity_ = capacity;
    return;
  }
  capacity = RoundUp(capacity, kMappedFrom);
  if (mapped_ && ::mremap(data_, capacity_, capacity, 0) != MAP_FAILED) {
    // Grown in place: the addresses after it were free.
    ::madvise(data_, capacity, MADV_HUGEPAGE);
    capacity_ = capacity;
    return;
  }
  char* p = Map(capacity);
  if (keep > 0) std::memcpy(p, data_, keep);
  Release();
  data_ = p;
  capacity_ = capacity;
  mapped_ = true;
}

} // namespace platform
