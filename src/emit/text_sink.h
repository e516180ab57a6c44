#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace noc::emit {

/// An append-only text stream with its own buffer. The generated file is written piece by piece
/// and handed on in large blocks, so a 10 MB module is never held whole in memory.
class TextSink {
 public:
  virtual ~TextSink() = default;

  TextSink& operator<<(std::string_view text) {
    if (buffer_.size() + text.size() > kBlock) flush();
    if (text.size() > kBlock) {
      drain(text);
    } else {
      buffer_.append(text);
    }
    bytes_ += text.size();
    return *this;
  }
  TextSink& operator<<(char c) { return *this << std::string_view(&c, 1); }
  TextSink& operator<<(std::int64_t number);
  TextSink& operator<<(int number) { return *this << static_cast<std::int64_t>(number); }

  /// Hands the buffered text on.
  void flush();
  std::uint64_t bytes() const { return bytes_; }

 protected:
  TextSink() { buffer_.reserve(kBlock); }
  virtual void drain(std::string_view block) = 0;

 private:
  static constexpr std::size_t kBlock = 1 << 16;
  std::string buffer_;
  std::uint64_t bytes_ = 0;
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
