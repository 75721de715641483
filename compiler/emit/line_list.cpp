#include "compiler/emit/line_list.h"

#include <algorithm>
#include <cstring>

namespace velkor {

namespace {
constexpr std::size_t kInitialCapacity = 4096;

// Most pieces are a few characters long, where a call to memcpy costs more
// than the copy: those go as two overlapping words.
inline void CopyPiece(char* out, const char* in, std::size_t n) {
  if (n >= 8 && n <= 16) {
    std::uint64_t head, tail;
    std::memcpy(&head, in, 8);
    std::memcpy(&tail, in + n - 8, 8);
    std::memcpy(out, &head, 8);
    std::memcpy(out + n - 8, &tail, 8);
  } else if (n >= 4 && n < 8) {
    std::uint32_t head, tail;
    std::memcpy(&head, in, 4);
    std::memcpy(&tail, in + n - 4, 4);
    std::memcpy(out, &head, 4);
    std::memcpy(out + n - 4, &tail, 4);
  } else if (n < 4) {
    for (std::size_t i = 0; i < n; ++i) out[i] = in[i];
  } else {
    std::memcpy(out, in, n);
  }
}

}  // namespace

LineList::LineList(std::initializer_list<std::string_view> lines) {
  for (std::string_view line : lines) push_back(line);
}

LineList& LineList::operator=(const LineList& other) {
  if (this == &other) return *this;
  clear();
  Reserve(other.size_);
  Put(other.Text());
  starts_ = other.starts_;
  return *this;
}

void LineList::Reserve(std::size_t needed) {
  if (needed <= capacity_) return;
  const std::size_t capacity = std::max({needed, capacity_ * 2, kInitialCapacity});
  auto text = std::make_unique_for_overwrite<char[]>(capacity);
  if (size_ > 0) std::memcpy(text.get(), text_.get(), size_);
  text_ = std::move(text);
  capacity_ = capacity;
}

void LineList::Put(std::string_view piece) {
  if (piece.empty()) return;
  CopyPiece(text_.get() + size_, piece.data(), piece.size());
  size_ += piece.size();
}

void LineList::push_back_joined(std::initializer_list<std::string_view> pieces) {
  std::size_t length = kLineEnd.size();
  for (std::string_view piece : pieces) length += piece.size();
  Reserve(size_ + length);
  starts_.push_back(size_);
  for (std::string_view piece : pieces) Put(piece);
  Put(kLineEnd);
}

void LineList::append(const LineList& other) {
  Reserve(size_ + other.size_);
  for (std::size_t start : other.starts_) starts_.push_back(size_ + start);
  Put(other.Text());
}

void LineList::erase(std::size_t i) {
  const std::size_t start = starts_[i];
  const std::size_t length = (i + 1 < starts_.size() ? starts_[i + 1] : size_) - start;
  std::memmove(text_.get() + start, text_.get() + start + length, size_ - start - length);
  size_ -= length;
  starts_.erase(starts_.begin() + static_cast<std::ptrdiff_t>(i));
  for (std::size_t k = i; k < starts_.size(); ++k) starts_[k] -= length;
}

void LineList::truncate(std::size_t first) {
  if (first >= starts_.size()) return;
  size_ = starts_[first];
  starts_.resize(first);
}

void LineList::insert_front(const std::vector<std::string>& lines) {
  LineList front;
  for (const std::string& line : lines) front.push_back(line);
  front.append(*this);
  *this = std::move(front);
}

void LineList::clear() {
  size_ = 0;
  starts_.clear();
}

std::vector<std::string> LineList::Lines(std::size_t first) const {
  std::vector<std::string> lines;
  for (std::size_t i = first; i < size(); ++i) lines.emplace_back((*this)[i]);
  return lines;
}

}  // namespace velkor
