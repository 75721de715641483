#pragma once
// The lines of generated text in one buffer, each line followed by CR LF as
// the .Mac file holds it. A compilation writes hundreds of thousands of short
// lines; one heap string per line cost more than generating them.
//
//   LineList list;
//   list.push_back("\tCODE");
//   list.push_back_joined({"\t", "ld hl,5"});
//   list[1] == "\tld hl,5";  list.Text() == "\tCODE\r\n\tld hl,5\r\n"
//   list.MarkLast(7);  // list.Marks() == {{1, 7}}, and follows line 1 as lines move

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/big_buffer.h"

namespace velkor {

// A line tagged by the writer: the tag stays with the line through erases,
// insertions in front and appends, and goes when the line is removed.
struct LineMark {
  std::size_t line;
  std::uint32_t tag;
};

class LineList {
public:
  class const_iterator {
  public:
    using iterator_category = std::random_access_iterator_tag;
    using value_type = std::string_view;
    using difference_type = std::ptrdiff_t;
    using pointer = void;
    using reference = std::string_view;

    const_iterator() = default;
    const_iterator(const LineList* list, std::size_t index) : list_(list), index_(index) {}
    std::string_view operator*() const { return (*list_)[index_]; }
    const_iterator& operator++() {
      ++index_;
      return *this;
    }
    const_iterator operator++(int) {
      const_iterator old = *this;
      ++index_;
      return old;
    }
    const_iterator& operator--() {
      --index_;
      return *this;
    }
    const_iterator& operator+=(difference_type n) {
      index_ = static_cast<std::size_t>(static_cast<difference_type>(index_) + n);
      return *this;
    }
    const_iterator operator+(difference_type n) const {
      const_iterator r = *this;
      return r += n;
    }
    const_iterator operator-(difference_type n) const { return *this + (-n); }
    difference_type operator-(const const_iterator& other) const {
      return static_cast<difference_type>(index_) - static_cast<difference_type>(other.index_);
    }
    std::string_view operator[](difference_type n) const { return *(*this + n); }
    bool operator==(const const_iterator& other) const { return index_ == other.index_; }
    auto operator<=>(const const_iterator& other) const { return index_ <=> other.index_; }

  private:
    const LineList* list_ = nullptr;
    std::size_t index_ = 0;
  };

  LineList() = default;
  LineList(std::initializer_list<std::string_view> lines);
  LineList(const LineList& other) { *this = other; }
  LineList& operator=(const LineList& other);
  LineList(LineList&&) noexcept = default;
  LineList& operator=(LineList&&) noexcept = default;

  std::size_t size() const { return lines_; }
  bool empty() const { return lines_ == 0; }
  std::string_view operator[](std::size_t i) const {
    const std::size_t end = (i + 1 < lines_ ? Start(i + 1) : size_) - kLineEnd.size();
    return std::string_view(text_.data() + Start(i), end - Start(i));
  }
  std::string_view back() const { return (*this)[size() - 1]; }
  const_iterator begin() const { return const_iterator(this, 0); }
  const_iterator end() const { return const_iterator(this, size()); }

  // Room for about this much text and this many lines, so that a long
  // output is not copied as it grows.
  void reserve(std::size_t bytes, std::size_t lines) {
    MakeRoom(bytes);
    MakeRoomForLines(lines);
  }
  void push_back(std::string_view line) { push_back_joined({line}); }
  // The line tab + text, the form of every instruction line.
  void push_back_tabbed(std::string_view text);
  // One line made of the pieces, without a temporary string.
  void push_back_joined(std::initializer_list<std::string_view> pieces);
  void append(const LineList& other);
  // Removes line i; the later lines close up.
  void erase(std::size_t i);
  // Removes lines from `first` to the end.
  void truncate(std::size_t first);
  // Puts the lines before the first line.
  void insert_front(const std::vector<std::string>& lines);
  void clear();

  // Tags the last line; marks are kept in line order.
  void MarkLast(std::uint32_t tag) { marks_.push_back({lines_ - 1, tag}); }
  std::span<const LineMark> Marks() const { return marks_; }

  // Every line followed by CR LF.
  std::string_view Text() const { return std::string_view(text_.data(), size_); }
  // The lines from `first` on, as separate strings.
  std::vector<std::string> Lines(std::size_t first = 0) const;

  bool operator==(const LineList& other) const { return Text() == other.Text(); }

private:
  static constexpr std::string_view kLineEnd = "\r\n";
  // Room for `needed` bytes of text (for `lines` line starts) from the start.
  void MakeRoom(std::size_t needed) {
    if (needed > text_.capacity()) Grow(text_, needed, size_);
  }
  void MakeRoomForLines(std::size_t lines) {
    if (lines * sizeof(std::size_t) > starts_.capacity())
      Grow(starts_, lines * sizeof(std::size_t), lines_ * sizeof(std::size_t));
  }
  static void Grow(platform::BigBuffer& buffer, std::size_t needed, std::size_t used);
  std::size_t* Starts() const { return reinterpret_cast<std::size_t*>(starts_.data()); }
  std::size_t Start(std::size_t i) const { return Starts()[i]; }
  void AddStart(std::size_t start) {
    MakeRoomForLines(lines_ + 1);
    Starts()[lines_++] = start;
  }
  void Put(std::string_view piece);

  // Plain buffers: std::string's append checks cost more than the copy of a
  // few characters, and the growth of a string or vector copies the whole
  // module into memory not touched before.
  platform::BigBuffer text_;
  std::size_t size_ = 0;
  platform::BigBuffer starts_; // std::size_t per line: where it begins in text_
  std::size_t lines_ = 0;
  std::vector<LineMark> marks_;
};

} // namespace velkor
