#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "rtl/source_text.h"

namespace noc::rtl {

enum class TokenKind : std::uint8_t {
  kIdentifier,         ///< also keywords; the parser tells them apart by text
  kEscapedIdentifier,  ///< \a.b, without the white space that ends it
  kSystemIdentifier,   ///< $clog2
  kNumber,             ///< 8'hFF, 'x, 12, 1.5e3
  kString,             ///< "text", quotes included
  kDirective,          ///< `define, `ifdef, or a macro usage `WIDTH; the text includes the backtick
  kMacroPaste,         ///< `` inside a macro body
  kMacroQuote,         ///< `" inside a macro body
  kMacroEscapedQuote,  ///< `\`" inside a macro body
  kPunctuation,        ///< ( ) [ ] :: , ; and operators
  kUnknown,            ///< bytes that start no token; an error only where they are read
  kUnterminatedString,
  /// Put in by the preprocessor where a conditional depends on a macro that an include it could
  /// not find may define; the parser refuses it where it would change a port.
  kUncertain,
  kEndOfFile,
};

/// A token is a small value: its text is a view into a buffer of the SourceManager.
struct Token {
  /// The kind is kept inline because nearly every look at a token asks for it first.
  TokenKind kind = TokenKind::kEndOfFile;
  /// True when a line break (or the start of the buffer) stands between this token and the one
  /// before it; the preprocessor needs it to find where a directive line ends.
  bool starts_line = false;
  /// True when white space or a comment stands right before the token.
  bool space_before = false;
  std::string_view text;
  SourceLocation location;
  /// True when a line continuation ("\" at the end of a line) stands before the token: inside a
  /// `define the line goes on, and in the macro's expansion a new line starts there.
  bool after_continuation = false;

  bool is(std::string_view t) const {
    return text == t && (kind == TokenKind::kIdentifier || kind == TokenKind::kPunctuation);
  }
};

/// Splits one buffer into tokens. Comments, white space and attribute instances `(* ... *)` are
/// dropped, and so is a UTF-8 byte order mark at the start. An unterminated block comment or
/// attribute is an error at its start; bytes that start no token become kUnknown tokens, so that
/// a branch of `ifdef that is not taken may hold anything. The last token is kEndOfFile.
std::vector<Token> lex(const SourceManager& sources, std::uint32_t buffer);

/// Lexes a text made by token pasting; every token gets `location`.
std::vector<Token> lex_fragment(const SourceManager& sources, std::string_view text,
                                SourceLocation location);

}  // namespace noc::rtl
