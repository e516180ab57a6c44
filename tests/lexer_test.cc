// The lexer over short texts: each row's tokens, as "kind:text" joined by spaces.
#include "rtl/lexer.h"

#include <gtest/gtest.h>

#include <ostream>

#include "common/error.h"
#include "test_util.h"

namespace noc::rtl {
namespace {

const char* kind_name(TokenKind kind) {
  switch (kind) {
    case TokenKind::kIdentifier:
      return "id";
    case TokenKind::kEscapedIdentifier:
      return "esc";
    case TokenKind::kSystemIdentifier:
      return "sys";
    case TokenKind::kNumber:
      return "num";
    case TokenKind::kString:
      return "str";
    case TokenKind::kDirective:
      return "dir";
    case TokenKind::kMacroPaste:
      return "paste";
    case TokenKind::kMacroQuote:
      return "quote";
    case TokenKind::kMacroEscapedQuote:
      return "escquote";
    case TokenKind::kPunctuation:
      return "p";
    case TokenKind::kUnknown:
      return "unknown";
    case TokenKind::kUnterminatedString:
      return "openstr";
    case TokenKind::kUncertain:
      return "uncertain";
    case TokenKind::kEndOfFile:
      return "eof";
  }
  return "?";
}

std::string lexed(const std::string& text) {
  SourceManager sources;
  std::uint32_t id = sources.add("t.sv", text);
  std::string out;
  for (const Token& t : lex(sources, id)) {
    if (t.kind == TokenKind::kEndOfFile) break;
    out += (out.empty() ? "" : " ") + std::string(kind_name(t.kind)) + ":" + std::string(t.text);
  }
  return out;
}

struct LexCase {
  const char* label;
  const char* text;
  const char* tokens;
};
void PrintTo(const LexCase& c, std::ostream* os) {
  *os << c.label;
}

class Lexes : public testing::TestWithParam<LexCase> {};

TEST_P(Lexes, IntoTheseTokens) {
  EXPECT_EQ(lexed(GetParam().text), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Lexes,
    testing::Values(
        LexCase{"byte_order_mark_dropped", "\xEF\xBB\xBFmodule", "id:module"},
        LexCase{"escaped_identifier_ends_at_space", "\\a.b c", "esc:\\a.b id:c"},
        LexCase{"escaped_identifier_ends_at_newline", "\\bus[0]\n,", "esc:\\bus[0] p:,"},
        LexCase{"event_star_is_not_an_attribute", "@(* )", "p:@ p:( p:* p:)"},
        LexCase{"event_star_without_space", "@(*)", "p:@ p:( p:* p:)"},
        LexCase{"attribute_dropped", "(* keep = \"yes\" *) input", "id:input"},
        LexCase{"based_numbers", "8'hFF 'x 4'sb1010 1.5e3",
                "num:8'hFF num:'x num:4'sb1010 num:1.5e3"},
        LexCase{"longest_operator_wins", "a|->b |=> c<<<=d",
                "id:a p:|-> id:b p:|=> id:c p:<<<= id:d"},
        LexCase{"scope_and_member", "pkg::t Cfg.W", "id:pkg p::: id:t id:Cfg p:. id:W"},
        LexCase{"assignment_pattern_opener", "'{W: 8}", "p:'{ id:W p:: num:8 p:}"},
        LexCase{"macro_pieces", "`define X(k) a_``k `\"k`\" `\\`\"",
                "dir:`define id:X p:( id:k p:) id:a_ paste:`` id:k quote:`\" id:k quote:`\" "
                "escquote:`\\`\""},
        LexCase{"comments_dropped", "a // b\n/* c */ d", "id:a id:d"},
        LexCase{"stray_bytes_are_tokens", "a \xC3\xBC b", "id:a unknown:\xC3\xBC id:b"},
        LexCase{"open_string_is_a_token", "\"abc\nx", "openstr:\"abc id:x"},
        LexCase{"system_identifier", "$clog2(N)", "sys:$clog2 p:( id:N p:)"},
        LexCase{"time_literals", "1.5ns 20ps 3 s 10us", "num:1.5ns num:20ps num:3 id:s num:10us"},
        LexCase{"unit_letters_inside_a_name_stay_apart", "2step 4nsx",
                "num:2 id:step num:4 id:nsx"}),
    test::RowLabel());

TEST(Lexer, MarksTokensThatStartALine) {
  SourceManager sources;
  std::uint32_t id = sources.add("t.sv", "`define A 1 \\\n 2\nb");
  std::vector<Token> tokens = lex(sources, id);
  ASSERT_EQ(tokens.size(), 6u);
  EXPECT_TRUE(tokens[0].starts_line);
  EXPECT_FALSE(tokens[3].starts_line) << "a continued line is the same line";
  EXPECT_TRUE(tokens[4].starts_line);
}

TEST(Lexer, UnterminatedCommentIsAnErrorAtItsStart) {
  SourceManager sources;
  std::uint32_t id = sources.add("t.sv", "module m;\n  /* open");
  try {
    lex(sources, id);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.line(), 2);
    EXPECT_EQ(error.column(), 3);
    EXPECT_NE(error.message().find("unterminated block comment"), std::string::npos);
  }
}

}  // namespace
}  // namespace noc::rtl
