#include "emit/text_sink.h"

#include <charconv>

namespace noc::emit {

TextSink& TextSink::operator<<(std::int64_t number) {
  char digits[24];
  auto result = std::to_chars(digits, digits + sizeof digits, number);
  return *this << std::string_view(digits, static_cast<std::size_t>(result.ptr - digits));
}

void TextSink::flush() {
  if (buffer_.empty()) return;
  drain(buffer_);
  buffer_.clear();
}

}  // namespace noc::emit
