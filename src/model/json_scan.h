#pragma once

#include <cstdint>
#include <string_view>

namespace noc::model {

/// The events of a JSON text in document order, with strings as views of the text.
class JsonHandler {
 public:
  virtual ~JsonHandler() = default;
  virtual void null_value() = 0;
  virtual void boolean_value(bool value) = 0;
  virtual void number_value(bool nonzero) = 0;
  virtual void string_value(std::string_view text) = 0;
  /// `offset` is the byte offset of the key's opening quote.
  virtual void key(std::string_view text, std::uint32_t offset) = 0;
  virtual void open(bool object) = 0;
  virtual void close() = 0;
};

/// Reads the JSON that descriptions are made of, fast: strings of printable ASCII without
/// escapes, integers, literals, objects and arrays, and white space. Anything else, valid or
/// not (escapes, other bytes, fractions, exponents, a byte order mark, an error), makes it
/// return false at once, and the caller reads the text again with the full JSON reader, which
/// decides and words the error. The handler may have seen some events by then.
bool scan_plain_json(std::string_view text, JsonHandler& handler);

}  // namespace noc::model
