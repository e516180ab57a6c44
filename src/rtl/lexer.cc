#include "rtl/lexer.h"

#include <cstdio>
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

// Operators of more than one character that the header parser or the dimension texts care
// about; longest first.
constexpr std::string_view kOperators[] = {
    "<<<=", ">>>=", "===", "!==", "==?", "!=?", "<<<", ">>>", "<<=", ">>=", "->>",
    "<->",  "::",   "==",  "!=",  "<=",  ">=",  "&&",  "||",  "**",  "<<",  ">>",
    "+:",   "-:",   "++",  "--",  "+=",  "-=",  "*=",  "/=",  "%=",  "&=",  "|=",
    "^=",   "->",   "~&",  "~|",  "~^",  "^~",  "##",  "|->", "|=>", ".*",
};

class Lexer {
 public:
  explicit Lexer(const SourceText& source) : source_(source), text_(source.text()) {}

  std::vector<Token> run() {
    std::vector<Token> tokens;
    tokens.reserve(text_.size() / 4 + 1);
    bool line_start = true;
    for (;;) {
      line_start |= skip_trivia();
      Token token;
      token.starts_line = line_start;
      token.location.offset = static_cast<std::uint32_t>(pos_);
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
    source_.fail(SourceLocation{static_cast<std::uint32_t>(offset)}, message);
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
      } else if (c == '/' && peek(1) == '/') {
        while (pos_ < text_.size() && text_[pos_] != '\n') ++pos_;
      } else if (c == '/' && peek(1) == '*') {
        std::size_t end = text_.find("*/", pos_ + 2);
        if (end == std::string_view::npos) fail_at(pos_, "unterminated block comment");
        for (std::size_t i = pos_; i < end; ++i) newline |= text_[i] == '\n';
        pos_ = end + 2;
      } else if (c == '(' && peek(1) == '*' && peek(2) != ')') {
        skip_attribute();
      } else {
        break;
      }
    }
    return newline;
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
        lex_string();
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
    if (c == '\\') {  // escaped identifier: up to the next white space
      ++pos_;
      while (pos_ < text_.size() && !is_space(text_[pos_]) && text_[pos_] != '\n') ++pos_;
      return TokenKind::kIdentifier;
    }
    if (c == '$' && is_identifier_start(peek(1))) {
      ++pos_;
      while (pos_ < text_.size() && is_identifier_char(text_[pos_])) ++pos_;
      return TokenKind::kSystemIdentifier;
    }
    if (c == '`' && (is_identifier_start(peek(1)))) {
      ++pos_;
      while (pos_ < text_.size() && is_identifier_char(text_[pos_])) ++pos_;
      return TokenKind::kDirective;
    }
    if (c == '"') {
      lex_string();
      return TokenKind::kString;
    }
    if (is_digit(c)) {
      lex_decimal();
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
    if (static_cast<unsigned char>(c) < 0x80 && c > ' ' && c != 0x7f) {
      ++pos_;
      return TokenKind::kPunctuation;
    }
    char code[8];
    std::snprintf(code, sizeof code, "0x%02x", static_cast<unsigned char>(c));
    fail_at(pos_, std::string("unexpected byte ") + code + " outside a comment or string");
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

  void lex_based() {
    ++pos_;  // '
    if (peek() == 's' || peek() == 'S') ++pos_;
    ++pos_;  // base letter
    while (is_space(peek())) ++pos_;
    while (pos_ < text_.size() && is_based_digit(text_[pos_])) ++pos_;
  }

  void lex_string() {
    std::size_t start = pos_;
    ++pos_;
    while (pos_ < text_.size()) {
      char c = text_[pos_];
      if (c == '\\' && pos_ + 1 < text_.size()) {
        pos_ += 2;
        continue;
      }
      if (c == '"') {
        ++pos_;
        return;
      }
      if (c == '\n') break;
      ++pos_;
    }
    fail_at(start, "unterminated string literal");
  }

  const SourceText& source_;
  std::string_view text_;
  std::size_t pos_ = 0;
};

}  // namespace

std::vector<Token> lex(const SourceText& source) {
  return Lexer(source).run();
}

}  // namespace noc::rtl
