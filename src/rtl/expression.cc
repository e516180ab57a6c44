#include "rtl/expression.h"

#include "common/text.h"

#include <string_view>

namespace noc::rtl {
namespace {

constexpr std::string_view kBinary[] = {
    "+",   "-",  "*",  "/",   "%",   "**", "==",  "!=",     "===",  "!==", "==?",
    "!=?", "&&", "||", "&",   "|",   "^",  "^~",  "~^",     "<",    "<=",  ">",
    ">=",  "<<", ">>", "<<<", ">>>", "->", "<->", "inside", "dist",
};
constexpr std::string_view kUnary[] = {"+", "-", "!", "~", "&", "~&", "|", "~|", "^", "~^", "^~"};
constexpr std::string_view kBuiltinTypes[] = {
    "bit",  "logic",     "reg",      "byte",   "shortint", "int",   "longint", "integer",  "time",
    "real", "shortreal", "realtime", "string", "chandle",  "event", "signed",  "unsigned", "void",
};

bool is_operator(const Token& t, std::string_view op) {
  return t.kind == TokenKind::kPunctuation ? t.text == op : t.is(op);
}

void skip_group(TokenReader& reader) {
  reader.seek(reader.group_end(reader.pos()));
}

void skip_primary(TokenReader& reader);

void skip_postfix(TokenReader& reader) {
  for (;;) {
    if (reader.cur().is("::") || reader.cur().is(".")) {
      reader.advance();
      if (!reader.at_name()) reader.fail_expected("a name");
      reader.advance();
    } else if (reader.cur().is("[") || reader.cur().is("(")) {
      skip_group(reader);  // an index, a slice or the arguments of a call
    } else if (reader.cur().is("#") && reader.peek(1).is("(")) {
      reader.advance();
      skip_group(reader);
    } else if (reader.cur().is("'") && reader.peek(1).is("(")) {
      reader.advance();  // a cast: type'(x)
      skip_group(reader);
    } else {
      return;
    }
  }
}

void skip_primary(TokenReader& reader) {
  const Token& t = reader.cur();
  switch (t.kind) {
    case TokenKind::kNumber:
    case TokenKind::kString:
      reader.advance();
      skip_postfix(reader);  // 8'(x)
      return;
    case TokenKind::kSystemIdentifier:
      reader.advance();
      if (reader.cur().is("(")) skip_group(reader);
      return;
    case TokenKind::kIdentifier:
    case TokenKind::kEscapedIdentifier:
      if (one_of(t.text, kBinary) && t.kind == TokenKind::kIdentifier) break;
      reader.advance();
      skip_postfix(reader);
      return;
    default:
      break;
  }
  if (t.is("(")) {
    std::size_t end = reader.group_end(reader.pos());
    reader.advance();
    skip_expression(reader);
    while (reader.accept(":")) skip_expression(reader);  // min:typ:max
    if (reader.pos() + 1 != end) reader.fail_expected("')'");
    reader.advance();
    skip_postfix(reader);
    return;
  }
  if (t.is("{") || t.is("'{")) {
    std::size_t end = reader.group_end(reader.pos());
    if (reader.pos() + 2 == end && t.is("{")) reader.fail(t, "an empty concatenation '{}'");
    reader.seek(end);
    skip_postfix(reader);
    return;
  }
  if (t.is("$")) {  // the last element of a queue: [$]
    reader.advance();
    return;
  }
  reader.fail_expected("an expression");
}

void skip_unary(TokenReader& reader) {
  while (reader.cur().kind == TokenKind::kPunctuation && one_of(reader.cur().text, kUnary))
    reader.advance();
  skip_primary(reader);
}

}  // namespace

bool is_builtin_type(std::string_view word) {
  return one_of(word, kBuiltinTypes);
}

void skip_expression(TokenReader& reader) {
  skip_unary(reader);
  for (;;) {
    const Token& t = reader.cur();
    if ((t.kind == TokenKind::kPunctuation || t.kind == TokenKind::kIdentifier) &&
        one_of(t.text, kBinary)) {
      reader.advance();
      skip_unary(reader);
    } else if (is_operator(t, "?")) {
      reader.advance();
      skip_expression(reader);
      reader.expect(":", "in a conditional expression");
      skip_expression(reader);
    } else {
      return;
    }
  }
}

std::string read_dimension(TokenReader& reader) {
  std::size_t open = reader.pos();
  std::size_t end = reader.group_end(open);
  reader.advance();
  const Token& first = reader.cur();
  bool builtin = first.kind == TokenKind::kIdentifier && is_builtin_type(first.text);
  if (reader.pos() + 1 == end || ((first.is("*") || first.is("$")) && reader.pos() + 2 == end)) {
    reader.seek(end - 1);  // [], [*], [$]
  } else if (builtin) {
    reader.seek(end - 1);  // an associative array indexed by a built-in type
  } else {
    if (first.is("$") && reader.peek(1).is(":")) {
      reader.advance();
    } else {
      skip_expression(reader);
    }
    if (reader.accept(":") || reader.accept("+:") || reader.accept("-:")) skip_expression(reader);
    if (reader.pos() + 1 != end) reader.fail_expected("']'");
  }
  reader.advance();
  return join_tokens(&reader.raw(open), &reader.raw(open) + (end - open));
}

}  // namespace noc::rtl
