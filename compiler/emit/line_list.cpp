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
    for (std::size_t i = 0; i < n; ++i)
      out[i] = in[i];
  } else {
    std::memcpy(out, in, n);
  }
}

} // namespace

LineList::LineList(std::initializer_list<std::string_view> lines) {
  for (std::string_view line : lines)
    push_back(line);
}

LineList& LineList::operator=(const LineList& other) {
  if (this == &other) return *this;
  clear();
  MakeRoom(other.size_);
  Put(other.Text());
  MakeRoomForLines(other.lines_);
  if (other.lines_ > 0) std::memcpy(Starts(), other.Starts(), other.lines_ * sizeof(std::size_t));
  lines_ = other.lines_;
  marks_ = other.marks_;
  return *this;
}

void LineList::Grow(platform::BigBuffer& buffer, std::size_t needed, std::size_t used) {
  buffer.Resize(std::max({needed, buffer.capacity() * 2, kInitialCapacity}), used);
}

void LineList::Put(std::string_view piece) {
  if (piece.empty()) return;
  CopyPiece(text_.data() + size_, piece.data(), piece.size());
  size_ += piece.size();
}

void LineList::push_back_joined(std::initializer_list<std::string_view> pieces) {
  std::size_t length = kLineEnd.size();
  for (std::string_view piece : pieces)
    length += piece.size();
  MakeRoom(size_ + length);
  AddStart(size_);
  for (std::string_view piece : pieces)
    Put(piece);
  Put(kLineEnd);
}

void LineList::push_back_tabbed(std::string_view text) {
  MakeRoom(size_ + text.size() + 1 + kLineEnd.size());
  AddStart(size_);
  char* out = text_.data() + size_;
  out[0] = '\t';
  CopyPiece(out + 1, text.data(), text.size());
  out[text.size() + 1] = kLineEnd[0];
  out[text.size() + 2] = kLineEnd[1];
  size_ += text.size() + 1 + kLineEnd.size();
}

void LineList::append(const LineList& other) {
  MakeRoom(size_ + other.size_);
  MakeRoomForLines(lines_ + other.lines_);
  for (std::size_t i = 0; i < other.lines_; ++i)
    Starts()[lines_ + i] = size_ + other.Start(i);
  for (const LineMark& mark : other.marks_)
    marks_.push_back({lines_ + mark.line, mark.tag});
  lines_ += other.lines_;
  Put(other.Text());
}

void LineList::erase(std::size_t i) {
  const std::size_t start = Start(i);
  const std::size_t length = (i + 1 < lines_ ? Start(i + 1) : size_) - start;
  std::memmove(text_.data() + start, text_.data() + start + length, size_ - start - length);
  size_ -= length;
  std::size_t* starts = Starts();
  for (std::size_t k = i; k + 1 < lines_; ++k)
    starts[k] = starts[k + 1] - length;
  --lines_;
  // Erases happen near the end, where the few marks to fix are.
  auto mark = marks_.end();
  while (mark != marks_.begin() && std::prev(mark)->line >= i) {
    --mark;
    if (mark->line == i) {
      mark = marks_.erase(mark);
    } else {
      --mark->line;
    }
  }
}

void LineList::truncate(std::size_t first) {
  if (first >= lines_) return;
  size_ = Start(first);
  lines_ = first;
  while (!marks_.empty() && marks_.back().line >= first)
    marks_.pop_back();
}

void LineList::insert_front(const std::vector<std::string>& lines) {
  // In place: a second copy of the whole module would double the memory
  // touched at the end of every compilation.
  std::size_t bytes = 0;
  for (const std::string& line : lines)
    bytes += line.size() + kLineEnd.size();
  MakeRoom(size_ + bytes);
  MakeRoomForLines(lines_ + lines.size());
  std::memmove(text_.data() + bytes, text_.data(), size_);
  std::size_t* starts = Starts();
  for (std::size_t k = lines_; k-- > 0;)
    starts[k + lines.size()] = starts[k] + bytes;
  std::size_t at = 0;
  for (std::size_t k = 0; k < lines.size(); ++k) {
    starts[k] = at;
    CopyPiece(text_.data() + at, lines[k].data(), lines[k].size());
    at += lines[k].size();
    CopyPiece(text_.data() + at, kLineEnd.data(), kLineEnd.size());
    at += kLineEnd.size();
  }
  lines_ += lines.size();
  size_ += bytes;
  for (LineMark& mark : marks_)
    mark.line += lines.size();
}

void LineList::clear() {
  size_ = 0;
  lines_ = 0;
  marks_.clear();
}

std::vector<std::string> LineList::Lines(std::size_t first) const {
  std::vector<std::string> lines;
  for (std::size_t i = first; i < size(); ++i)
    lines.emplace_back((*this)[i]);
  return lines;
}

} // namespace velkor
