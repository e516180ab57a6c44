#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/lexer.h"

namespace noc::rtl {

/// A parser's view of a preprocessed token stream: the current token, look-ahead, and errors at
/// a token. In strict mode (inside a port list that the generator reads) a token that cannot be
/// read exactly is refused where it is met: an undefined macro, a conditional that rests on a
/// missing include, a byte that starts no token.
class TokenReader {
 public:
  TokenReader(const SourceManager& sources, const std::vector<Token>& tokens,
              const std::vector<std::string>& missing_includes)
      : sources_(sources), tokens_(tokens), missing_includes_(missing_includes) {}

  const Token& cur() const { return checked(tokens_[pos_]); }
  const Token& peek(std::size_t ahead) const {
    std::size_t at = pos_ + ahead;
    return checked(at < tokens_.size() ? tokens_[at] : tokens_.back());
  }
  /// The token at `pos` with no checks: for scans that only count brackets.
  const Token& raw(std::size_t pos) const {
    return pos < tokens_.size() ? tokens_[pos] : tokens_.back();
  }
  bool at_end() const { return tokens_[pos_].kind == TokenKind::kEndOfFile; }
  std::size_t pos() const { return pos_; }
  void seek(std::size_t pos) { pos_ = pos; }
  void advance() {
    if (!at_end()) ++pos_;
  }
  const Token& take() {
    const Token& token = cur();
    advance();
    return token;
  }
  bool accept(std::string_view text) {
    if (!cur().is(text)) return false;
    advance();
    return true;
  }
  /// Takes `text` or fails: "expected 'text' WHERE, found 'x'".
  const Token& expect(std::string_view text, std::string_view where);

  /// True when the current token names something: an identifier or an escaped identifier.
  bool at_name() const;

  void set_strict(bool strict) { strict_ = strict; }
  bool strict() const { return strict_; }

  /// The position just past the bracket group that opens at `open` ("(", "[", "{" or "'{"); an
  /// error at the opener when it is not closed by its own kind of bracket.
  std::size_t group_end(std::size_t open) const;

  [[noreturn]] void fail(const Token& at, const std::string& message) const;
  [[noreturn]] void fail_expected(std::string_view what) const;
  static std::string describe(const Token& token);

  /// The reason a token cannot be read exactly, or empty when it can.
  std::string unreadable(const Token& token) const;

 private:
  const Token& checked(const Token& token) const {
    if (strict_ && token.kind >= TokenKind::kDirective && token.kind != TokenKind::kPunctuation &&
        token.kind != TokenKind::kEndOfFile)
      fail(token, unreadable(token));
    return token;
  }

  const SourceManager& sources_;
  const std::vector<Token>& tokens_;
  const std::vector<std::string>& missing_includes_;
  std::size_t pos_ = 0;
  bool strict_ = false;
};

/// Joins token texts the way a person would write them without spaces: "[W-1:0]". A space stays
/// only where two tokens would otherwise read as one ("a - -1", "int unsigned").
std::string join_tokens(const Token* begin, const Token* end);

}  // namespace noc::rtl
