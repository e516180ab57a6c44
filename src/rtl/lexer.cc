#include "rtl/lexer.h"

#include <string>

namespace noc::rtl {
namespace {

bool is_identifier_start(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}
bool is_identifier_char(char c) {
  return is_identifier_start(c) || (c >= '0' && c <= '9') || c == '$';
}
bool is_digit(char c) {
  return c >= '0' && c <= '9';
}
bool is_space(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}
bool is_based_digit(char c) {
  return is_identifier_char(c) || c == '?';  // hex digits, x, z, _ and ? all allowed
}

// Operators of more than one character, longest first so that a prefix never wins.
constexpr std::string_view kOperators[] = {
    "<<<=", ">>>=", "===", "!==", "==?", "!=?", "<<<", ">>>", "<<=", ">>=", "->>",
    "<->",  "|->",  "|=>", "::",  "==",  "!=",  "<=",  ">=",  "&&",  "||",  "**",
    "<<",   ">>",   "+:",  "-:",  "++",  "--",  "+=",  "-=",  "*=",  "/=",  "%=",
    "&=",   "|=",   "^=",  "->",  "~&",  "~|",  "~^",  "^~",  "##",  ".*",  "'{",
};

class Lexer {
 public:
  Lexer(const SourceManager& sources, std::string_view text, SourceLocation base)
      : sources_(sources), text_(text), base_(base) {}

  std::vector<Token> run(bool fixed_location) {
    std::vector<Token> tokens;
    tokens.reserve(text_.size() / 4 + 1);
    if (text_.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
    bool line_start = true;
    for (;;) {
      std::size_t before = pos_;
      continued_ = false;
      line_start |= skip_trivia();
      Token token;
      token.starts_line = line_start;
      token.after_continuation = continued_;
      token.space_before = pos_ != before;
      token.location = base_;
      if (!fixed_location) token.location.offset += static_cast<std::uint32_t>(pos_);
      if (pos_ >= text_.size()) {
        tokens.push_back(token);
        return tokens;
      }
      std::size_t start = pos_;
      token.kind = lex_one();
      token.text = text_.substr(start, pos_ - start);
      tokens.push_back(token);
      line_start = false;
    }
  }

 private:
  char peek(std::size_t ahead = 0) const {
    return pos_ + ahead < text_.size() ? text_[pos_ + ahead] : '\0';
  }

  [[noreturn]] void fail_at(std::size_t offset, const std::string& message) const {
    SourceLocation at = base_;
    at.offset += static_cast<std::uint32_t>(offset);
    sources_.fail(at, message);
  }

  // Skips white space, comments and attributes; returns whether a line break was crossed.
  bool skip_trivia() {
    bool newline = false;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\n') {
        newline = true;
        ++pos_;
      } else if (is_space(c)) {
        ++pos_;
      } else if (c == '\\' && (peek(1) == '\n' || (peek(1) == '\r' && peek(2) == '\n'))) {
        pos_ += peek(1) == '\n' ? 2 : 3;  // line continuation inside a `define
        continued_ = true;
      } else if (c == '/' && peek(1) == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
        // In a multi-line `define the continuation at the end of a comment belongs to the macro:
        // the definition goes on, as in Verilator.
        std::size_t end = pos_;
        if (end < text_.size() && (text_[end - 1] == '\\' || (end >= 2 && text_[end - 1] == '\r' &&
                                                              text_[end - 2] == '\\'))) {
          ++pos_;
          continued_ = true;
        }
      } else if (c == '/' && peek(1) == '*') {
        std::size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) fail_at(pos_, "unterminated block comment");
        for (std::size_t i = pos_; i < end; ++i) newline |= text_[i] == '\n';
        pos_ = end + 2;
      } else if (c == '(' && peek(1) == '*' && !is_event_star()) {
        skip_attribute();
      } else {
        break;
      }
    }
    return newline;
  }

  // "@(*)" and "@( * )" hold no attribute: a "*" followed by ")" after white space.
  bool is_event_star() const {
    std::size_t at = pos_ + 2;
    while (at < text_.size() && (is_space(text_[at]) || text_[at] == '\n')) ++at;
    return at < text_.size() && text_[at] == ')';
  }

  void skip_attribute() {
    std::size_t start = pos_;
    pos_ += 2;
    while (pos_ < text_.size()) {
      if (text_[pos_] == '*' && peek(1) == ')') {
        pos_ += 2;
        return;
      }
      if (text_[pos_] == '"') {
        if (lex_string() == TokenKind::kUnterminatedString) break;
        continue;
      }
      ++pos_;
    }
    fail_at(start, "unterminated attribute, expected '*)'");
  }

  TokenKind lex_one() {
    char c = text_[pos_];
    if (is_identifier_start(c)) {
      while (pos_ < text_.size() && is_identifier_char(text_[pos_])) ++pos_;
      return TokenKind::kIdentifier;
    }
    if (c == '\\') {  // escaped identifier: printable characters up to the next white space
      std::size_t start = pos_++;
      while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) > ' ' &&
             text_[pos_] != 0x7f)
        ++pos_;
      return pos_ > start + 1 ? TokenKind::kEscapedIdentifier : TokenKind::kUnknown;
    }
    if (c == '$' && is_identifier_start(peek(1))) {
      ++pos_;
      while (pos_ < text_.size() && is_identifier_char(text_[pos_])) ++pos_;
      return TokenKind::kSystemIdentifier;
    }
    if (c == '`') return lex_backtick();
    if (c == '"') return lex_string();
    if (is_digit(c)) {
      lex_decimal();
      lex_time_unit();
      if (peek() == '\'' && is_base_after(1)) lex_based();
      return TokenKind::kNumber;
    }
    if (c == '\'' && is_base_after(1)) {
      lex_based();
      return TokenKind::kNumber;
    }
    if (c == '\'' &&
        (peek(1) == '0' || peek(1) == '1' || peek(1) == 'x' || peek(1) == 'X' || peek(1) == 'z' ||
         peek(1) == 'Z') &&
        !is_identifier_char(peek(2))) {
      pos_ += 2;  // unbased unsized literal such as 'x
      return TokenKind::kNumber;
    }
    for (std::string_view op : kOperators) {
      if (text_.substr(pos_, op.size()) == op) {
        pos_ += op.size();
        return TokenKind::kPunctuation;
      }
    }
    ++pos_;
    if (static_cast<unsigned char>(c) < 0x80 && c > ' ' && c != 0x7f)
      return TokenKind::kPunctuation;
    while (pos_ < text_.size() && static_cast<unsigned char>(text_[pos_]) >= 0x80) ++pos_;
    return TokenKind::kUnknown;
  }

  TokenKind lex_backtick() {
    ++pos_;
    if (is_identifier_start(peek())) {
      while (pos_ < text_.size() && is_identifier_char(text_[pos_])) ++pos_;
      return TokenKind::kDirective;
    }
    if (peek() == '`') {
      ++pos_;
      return TokenKind::kMacroPaste;
    }
    if (peek() == '"') {
      ++pos_;
      return TokenKind::kMacroQuote;
    }
    if (peek() == '\\' && peek(1) == '`' && peek(2) == '"') {
      pos_ += 3;
      return TokenKind::kMacroEscapedQuote;
    }
    return TokenKind::kUnknown;
  }

  // True when a base specifier ('h, 'sb, 'D ...) starts at pos_ + ahead.
  bool is_base_after(std::size_t ahead) const {
    if (peek(ahead - 1) != '\'') return false;
    char b = peek(ahead);
    if (b == 's' || b == 'S') b = peek(ahead + 1);
    switch (b) {
      case 'b':
      case 'B':
      case 'o':
      case 'O':
      case 'd':
      case 'D':
      case 'h':
      case 'H':
        return true;
      default:
        return false;
    }
  }

  void lex_decimal() {
    while (is_digit(peek()) || peek() == '_') ++pos_;
    if (peek() == '.' && is_digit(peek(1))) {
      ++pos_;
      while (is_digit(peek()) || peek() == '_') ++pos_;
    }
    if ((peek() == 'e' || peek() == 'E') &&
        (is_digit(peek(1)) || ((peek(1) == '+' || peek(1) == '-') && is_digit(peek(2))))) {
      pos_ += 2;
      while (is_digit(peek())) ++pos_;
    }
  }

  // 1.5ns, 20ps: a time literal is one token.
  void lex_time_unit() {
    static constexpr std::string_view kUnits[] = {"ms", "us", "ns", "ps", "fs", "s"};
    for (std::string_view unit : kUnits) {
      if (text_.substr(pos_, unit.size()) == unit && !is_identifier_char(peek(unit.size()))) {
        pos_ += unit.size();
        return;
      }
    }
  }

  void lex_based() {
    ++pos_;  // '
    if (peek() == 's' || peek() == 'S') ++pos_;
    ++pos_;  // base letter
    while (is_space(peek())) ++pos_;
    while (pos_ < text_.size() && is_based_digit(text_[pos_])) ++pos_;
  }

  TokenKind lex_string() {
    ++pos_;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\\' && pos_ + 1 < text_.size()) {
        pos_ += 2;
        continue;
      }
      if (c == '"') {
        ++pos_;
        return TokenKind::kString;
      }
      if (c == '\n') break;
      ++pos_;
    }
    return TokenKind::kUnterminatedString;
  }

  const SourceManager& sources_;
  std::string_view text_;
  SourceLocation base_;
  std::size_t pos_ = 0;
  bool continued_ = false;  ///< a line continuation was skipped before the current token
};

}  // namespace

std::vector<Token> lex(const SourceManager& sources, std::uint32_t buffer) {
  return Lexer(sources, sources.buffer(buffer).text(), SourceLocation{buffer, 0}).run(false);
}

std::vector<Token> lex_fragment(const SourceManager& sources, std::string_view text,
                                SourceLocation location) {
  return Lexer(sources, text, location).run(true);
}

}  // namespace noc::rtl
