#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace noc::emit {

/// Copies `size` bytes to `at` and returns the end. The writer's pieces are names and
/// separators of a few bytes, for which a call to memcpy costs more than the copy: up to 16
/// bytes are two overlapping word moves.
inline char* put(char* at, const char* from, std::size_t size) {
  if (size >= 8 && size <= 16) {
    std::uint64_t head, tail;
    std::memcpy(&head, from, 8);
    std::memcpy(&tail, from + size - 8, 8);
    std::memcpy(at, &head, 8);
    std::memcpy(at + size - 8, &tail, 8);
  } else if (size >= 4 && size < 8) {
    std::uint32_t head, tail;
    std::memcpy(&head, from, 4);
    std::memcpy(&tail, from + size - 4, 4);
    std::memcpy(at, &head, 4);
    std::memcpy(at + size - 4, &tail, 4);
  } else if (size > 0 && size < 4) {
    at[0] = from[0];
    at[size / 2] = from[size / 2];
    at[size - 1] = from[size - 1];
  } else if (size > 16) {
    std::memcpy(at, from, size);
  }
  return at + size;
}
inline char* put(char* at, std::string_view text) {
  return put(at, text.data(), text.size());
}
/// A number in decimal; 11 bytes are room enough for any int.
char* put(char* at, int number);

/// An append-only text stream with its own buffer. The generated file is written piece by piece
/// and handed on in large blocks, so a 10 MB module is never held whole in memory.
class TextSink {
 public:
  virtual ~TextSink() = default;

  TextSink& operator<<(std::string_view text) {
    if (static_cast<std::size_t>(limit_ - end_) < text.size()) return append_slow(text);
    end_ = put(end_, text);
    return *this;
  }
  TextSink& operator<<(char c) { return *this << std::string_view(&c, 1); }
  TextSink& operator<<(std::int64_t number);
  TextSink& operator<<(int number) { return *this << static_cast<std::int64_t>(number); }

  /// Room for `size` bytes at the end of the text, filled with put() and ended with advance():
  /// a line whose length is bounded beforehand is one check and a run of copies.
  char* claim(std::size_t size) {
    if (static_cast<std::size_t>(limit_ - end_) < size) make_room(size);
    return end_;
  }
  /// Ends a claim at `end`, at most the size claimed past its start.
  void advance(char* end) { end_ = end; }

  /// Hands the buffered text on.
  void flush();
  std::uint64_t bytes() const {
    return drained_ + static_cast<std::uint64_t>(end_ - buffer_.get());
  }

 protected:
  TextSink();
  TextSink(const TextSink&) = delete;
  TextSink& operator=(const TextSink&) = delete;
  virtual void drain(std::string_view block) = 0;

 private:
  // One large block: the writer appends a few bytes at a time, and every hand-on is a system call.
  static constexpr std::size_t kBlock = 1 << 20;
  TextSink& append_slow(std::string_view text);
  void make_room(std::size_t size);

  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_ = kBlock;  ///< larger than a block only after a larger claim
  char* end_;
  char* limit_;
  std::uint64_t drained_ = 0;
};

/// Collects the text in memory; for tests and for comparing a new text with a file on disk.
class StringSink : public TextSink {
 public:
  ~StringSink() override = default;
  const std::string& text() {
    flush();
    return text_;
  }

 protected:
  void drain(std::string_view block) override { text_.append(block); }

 private:
  std::string text_;
};

}  // namespace noc::emit
