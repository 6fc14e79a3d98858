#pragma once

// Text formatted piece by piece and handed to a stream in chunks, so that a
// table or report of any size needs only a chunk's memory.

#include <fmt/format.h>

#include <cstddef>
#include <iterator>
#include <ostream>
#include <string>
#include <utility>

namespace zervola::frame {

class TextOut {
 public:
  explicit TextOut(std::ostream& out) : out_(out) {}
  TextOut(const TextOut&) = delete;
  TextOut& operator=(const TextOut&) = delete;
  // What is still held is written by flush(), which a writer calls at its
  // end; a TextOut left by an exception drops it.
  ~TextOut() = default;

  template <typename... Args>
  void print(fmt::format_string<Args...> format, Args&&... args) {
    fmt::format_to(std::back_inserter(buffer_), format, std::forward<Args>(args)...);
    if (buffer_.size() >= k_chunk) flush();
  }
  void write(const std::string& text) {
    buffer_ += text;
    if (buffer_.size() >= k_chunk) flush();
  }
  void put(char c) {
    buffer_.push_back(c);
    if (buffer_.size() >= k_chunk) flush();
  }
  void flush() {
    out_.write(buffer_.data(), static_cast<std::streamsize>(buffer_.size()));
    buffer_.clear();
  }

 private:
  static constexpr std::size_t k_chunk = std::size_t{1} << 20;
  std::ostream& out_;
  std::string buffer_;
};

// An output iterator into a TextOut, for fmt::format_to.
class TextOutIterator {
 public:
  using iterator_category = std::output_iterator_tag;
  using value_type = void;
  using difference_type = std::ptrdiff_t;
  using pointer = void;
  using reference = void;

  explicit TextOutIterator(TextOut& out) : out_(&out) {}
  TextOutIterator& operator=(char c) {
    out_->put(c);
    return *this;
  }
  TextOutIterator& operator*() { return *this; }
  TextOutIterator& operator++() { return *this; }
  TextOutIterator operator++(int) { return *this; }

 private:
  TextOut* out_;
};

}  // namespace zervola::frame
