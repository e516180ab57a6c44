#include "emit/text_sink.h"

#include <charconv>

namespace noc::emit {

TextSink& TextSink::operator<<(std::int64_t number) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, number);
  return *this << std::string_view(digits, static_cast<std::size_t>(result.ptr - digits));
}

char* put(char* at, int number) {
  return std::to_chars(at, at + 11, number).ptr;
}

TextSink::TextSink()
    : buffer_(new char[kBlock]), end_(buffer_.get()), limit_(buffer_.get() + kBlock) {}

TextSink& TextSink::append_slow(std::string_view text) {
  flush();
  if (text.size() > kBlock) {
    drained_ += text.size();
    drain(text);
    return *this;
  }
  std::memcpy(end_, text.data(), text.size());
  end_ += text.size();
  return *this;
}

void TextSink::make_room(std::size_t size) {
  flush();
  if (size <= capacity_) return;
  buffer_.reset(new char[size]);
  capacity_ = size;
  end_ = buffer_.get();
  limit_ = end_ + size;
}

void TextSink::flush() {
  if (end_ == buffer_.get()) return;
  std::size_t size = static_cast<std::size_t>(end_ - buffer_.get());
  // Reset before draining: a drain that throws leaves an empty buffer, not a repeated block.
  end_ = buffer_.get();
  drained_ += size;
  drain(std::string_view(buffer_.get(), size));
}

}  // namespace noc::emit
