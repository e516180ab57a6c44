#pragma once

#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

namespace noc::emit {

/// An append-only text stream with its own buffer. The generated file is written piece by piece
/// and handed on in large blocks, so a 10 MB module is never held whole in memory.
class TextSink {
 public:
  virtual ~TextSink() = default;

  TextSink& operator<<(std::string_view text) {
    if (static_cast<std::size_t>(limit_ - end_) < text.size()) return append_slow(text);
    if (text.empty()) return *this;
    std::memcpy(end_, text.data(), text.size());
    end_ += text.size();
    return *this;
  }
  TextSink& operator<<(char c) { return *this << std::string_view(&c, 1); }
  TextSink& operator<<(std::int64_t number);
  TextSink& operator<<(int number) { return *this << static_cast<std::int64_t>(number); }

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

  std::unique_ptr<char[]> buffer_;
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
