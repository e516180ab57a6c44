#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "rtl/source_text.h"

namespace noc::rtl {

enum class TokenKind : std::uint8_t {
  kIdentifier,        ///< also keywords; the parser tells them apart by text
  kSystemIdentifier,  ///< $clog2
  kNumber,            ///< 8'hFF, 'x, 12, 1.5e3
  kString,            ///< "text", quotes included
  kDirective,         ///< `define, `ifdef, or a macro usage `WIDTH; the text includes the backtick
  kPunctuation,       ///< ( ) [ ] :: , ; and operators
  kEndOfFile,
};

/// A token is a small value: its text is a view into the source buffer.
struct Token {
  TokenKind kind = TokenKind::kEndOfFile;
  /// True when a line break (or the start of the file) stands between this token and the one
  /// before it; the preprocessor needs it to find where a directive line ends.
  bool starts_line = false;
  std::string_view text;
  SourceLocation location;

  bool is(std::string_view t) const { return text == t && kind != TokenKind::kString; }
};

/// Splits a whole SystemVerilog source into tokens. Comments, white space and attribute
/// instances `(* ... *)` are dropped. Unterminated comments, strings and attributes, and bytes
/// that cannot start a token, are errors at their location. The last token is kEndOfFile.
std::vector<Token> lex(const SourceText& source);

}  // namespace noc::rtl
