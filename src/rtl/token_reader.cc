#include "rtl/token_reader.h"

#include <cstdio>

#include "common/text.h"

namespace noc::rtl {
namespace {

bool is_word_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '\'' || c == '`';
}
bool is_operator_char(char c) {
  return std::string_view("+-*/%&|^~<>=!:?#@.").find(c) != std::string_view::npos;
}

bool needs_space(const Token& before, const Token& after) {
  char last = before.text.back();
  char first = after.text.front();
  if (before.kind == TokenKind::kEscapedIdentifier) return true;  // it ends at white space
  if (is_word_char(last) && is_word_char(first)) return true;
  return before.kind == TokenKind::kPunctuation && after.kind == TokenKind::kPunctuation &&
         is_operator_char(last) && is_operator_char(first);
}

const char* closer_of(std::string_view opener) {
  if (opener == "(") return ")";
  if (opener == "[") return "]";
  return "}";
}

}  // namespace

const Token& TokenReader::expect(std::string_view text, std::string_view where) {
  if (!cur().is(text))
    fail(cur(), "expected '" + std::string(text) + "' " + std::string(where) + ", found " +
                    describe(cur()));
  return take();
}

bool TokenReader::at_name() const {
  const Token& t = cur();
  return t.kind == TokenKind::kIdentifier || t.kind == TokenKind::kEscapedIdentifier;
}

std::size_t TokenReader::group_end(std::size_t open) const {
  std::vector<const char*> closers;
  for (std::size_t i = open; i < tokens_.size(); ++i) {
    const Token& t = tokens_[i];
    if (t.kind == TokenKind::kEndOfFile) break;
    if (t.is("(") || t.is("[") || t.is("{") || t.is("'{")) {
      closers.push_back(closer_of(t.text.substr(t.text.size() - 1)));
    } else if (t.is(")") || t.is("]") || t.is("}")) {
      if (t.text != closers.back()) break;
      closers.pop_back();
      if (closers.empty()) return i + 1;
    } else if (t.is(";") && !tokens_[open].is("{") && !tokens_[open].is("'{")) {
      break;  // a statement ends inside the group: the bracket was never closed
    }
  }
  const Token& opener = tokens_[open];
  fail(opener, "'" + std::string(opener.text) + "' is not closed");
}

void TokenReader::fail(const Token& at, const std::string& message) const {
  sources_.fail(at.location, message);
}

void TokenReader::fail_expected(std::string_view what) const {
  fail(cur(), "expected " + std::string(what) + ", found " + describe(cur()));
}

std::string TokenReader::describe(const Token& token) {
  if (token.kind == TokenKind::kEndOfFile) return "the end of the file";
  return "'" + std::string(token.text) + "'";
}

std::string TokenReader::unreadable(const Token& token) const {
  switch (token.kind) {
    case TokenKind::kDirective:
      if (!missing_includes_.empty())
        return std::string(token.text) + " is not defined; it may come from " +
               quoted_list(missing_includes_) +
               ", which was not found (give its directory with -I, or define it with -D)";
      return std::string(token.text) + " is not defined (define it with -D NAME=VALUE)";
    case TokenKind::kUncertain:
      return "the ports here depend on whether " + std::string(token.text) +
             " is defined, and it may be defined in " + quoted_list(missing_includes_) +
             ", which was not found (give its directory with -I, or say -D or -U " +
             std::string(token.text) + ")";
    case TokenKind::kUnterminatedString:
      return "unterminated string literal";
    case TokenKind::kMacroPaste:
    case TokenKind::kMacroQuote:
    case TokenKind::kMacroEscapedQuote:
      return "'" + std::string(token.text) + "' is allowed only inside a `define";
    default: {
      char code[8];
      std::snprintf(code, sizeof code, "0x%02x", static_cast<unsigned char>(token.text[0]));
      return std::string("unexpected byte ") + code + " outside a comment or string";
    }
  }
}

std::string join_tokens(const Token* begin, const Token* end) {
  std::string out;
  for (const Token* t = begin; t != end; ++t) {
    if (t != begin && needs_space(*(t - 1), *t)) out += ' ';
    out += t->text;
  }
  return out;
}

}  // namespace noc::rtl
