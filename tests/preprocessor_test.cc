// The preprocessor over short texts: each row's output tokens joined by spaces.
#include "rtl/preprocessor.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include "common/error.h"
#include "test_util.h"

namespace noc::rtl {
namespace {

std::string expanded(const std::string& text, const PreprocessOptions& options = {}) {
  SourceManager sources;
  std::uint32_t id = sources.add("t.sv", text);
  PreprocessedSource out = preprocess(sources, id, options);
  std::string joined;
  for (const Token& t : out.tokens) {
    if (t.kind == TokenKind::kEndOfFile) break;
    if (!joined.empty()) joined += ' ';
    joined += t.kind == TokenKind::kUncertain ? "?" + std::string(t.text) : std::string(t.text);
  }
  return joined;
}

struct ExpandCase {
  const char* label;
  const char* text;
  const char* tokens;
};
void PrintTo(const ExpandCase& c, std::ostream* os) {
  *os << c.label;
}

class Expands : public testing::TestWithParam<ExpandCase> {};

TEST_P(Expands, ToTheseTokens) {
  EXPECT_EQ(expanded(GetParam().text), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Expands,
    testing::Values(
        ExpandCase{"object_macro", "`define W 8\n[`W-1:0]", "[ 8 - 1 : 0 ]"},
        ExpandCase{"function_macro", "`define D(n) [n-1:0]\n`D(4)", "[ 4 - 1 : 0 ]"},
        ExpandCase{"argument_default", "`define D(n=8) [n]\n`D() `D(2)", "[ 8 ] [ 2 ]"},
        ExpandCase{"nested_call_in_body", "`define A(x) x+1\n`define B(y) `A(y)*2\n`B(3)",
                   "3 + 1 * 2"},
        ExpandCase{"argument_with_commas_in_brackets", "`define F(a, b) a|b\n`F({x,y}, z)",
                   "{ x , y } | z"},
        ExpandCase{"token_pasting", "`define CELL(k) cell_``k\n`CELL(buf)", "cell_buf"},
        ExpandCase{"pasting_an_empty_argument", "`define P(a) x``a``y\n`P()", "xy"},
        ExpandCase{"pasting_joins_text", "`define F(s, sep) s``sep``id\n`F(aw, .) `F(aw, _)",
                   "aw . id aw_id"},
        ExpandCase{"pasted_comment_dropped", "`define FF(q) /``* pragma `\"q`\" *``/ q\n`FF(x)",
                   "x"},
        ExpandCase{"stringification", "`define S(x) `\"x is `\\`\"q`\\`\"`\"\n`S(a)",
                   "\"a is \\\"q\\\"\""},
        ExpandCase{"space_before_paren_is_object_like", "`define F (x)\n`F", "( x )"},
        ExpandCase{"undef", "`define W 1\n`undef W\n`ifdef W a `else b `endif", "b"},
        ExpandCase{"undefineall",
                   "`define A\n`define B\n`undefineall\n`ifdef A a `elsif B b "
                   "`else c `endif",
                   "c"},
        ExpandCase{"nested_conditionals", "`define A\n`ifdef A `ifndef B x `else y `endif `endif",
                   "x"},
        ExpandCase{"elsif_after_taken_branch", "`define A\n`define B\n`ifdef A a `elsif B b `endif",
                   "a"},
        ExpandCase{"skipped_branch_holds_anything",
                   "`ifdef FORMAL\n`ifdef 0\n\xC3\xBC \"open\n`foo(\n`endif\n`endif\nok", "ok"},
        ExpandCase{"directives_that_change_nothing",
                   "`timescale 1ns/1ps\n`default_nettype none\n`celldefine\n`resetall\n"
                   "`pragma protect begin\n`line 3 \"x.sv\" 0\n`begin_keywords \"1800-2017\"\nok",
                   "ok"},
        ExpandCase{"file_and_line", "\n`__LINE__ `__FILE__", "2 \"t.sv\""},
        ExpandCase{"undefined_macro_stays", "[`W:0]", "[ `W : 0 ]"},
        ExpandCase{"empty_argument_without_default_is_nothing", "`define P(a, b) [a b]\n`P(x, )",
                   "[ x ]"},
        ExpandCase{"comment_with_continuation_keeps_the_define_going",
                   "`define M(x) \\\n  // the port \\\n  input x\n(`M(c))", "( input c )"},
        ExpandCase{"define_inside_a_multi_line_expansion_ends_with_its_line",
                   "`define DEFIF(A, C) \\\n  `undef C \\\n  `ifdef A \\\n    `define C \\\n"
                   "  `endif\n`define X\n`DEFIF(X, USE)\n`ifdef USE u `else n `endif",
                   "u"},
        ExpandCase{"conditionals_inside_an_expansion",
                   "`define A\n`define C(x) \\\n`ifdef A x `else y `endif\n`C(p)", "p"}),
    test::RowLabel());

using ErrorCase = test::LocatedErrorCase;

class Refuses : public testing::TestWithParam<ErrorCase> {};

TEST_P(Refuses, AtTheDirectiveOrUsage) {
  test::expect_located_error([] { expanded(GetParam().source); }, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Refuses,
    testing::Values(
        ErrorCase{"open_ifdef", "`ifdef X\nm", 1, 1, "has no `endif"},
        ErrorCase{"stray_endif", "a\n`endif", 2, 1, "without a matching `ifdef"},
        ErrorCase{"else_twice", "`ifdef A\n`else\n`else\n`endif", 3, 1, "second `else"},
        ErrorCase{"ifdef_without_name", "`ifdef\nx", 1, 1, "needs a macro name"},
        ErrorCase{"too_many_arguments", "`define F(a) a\n  `F(1, 2)", 2, 3, "takes 1 arguments"},
        ErrorCase{"missing_argument", "`define F(a, b) a\n`F(1)", 2, 1,
                  "no value for its argument"},
        ErrorCase{"arguments_not_closed", "`define F(a) a\n`F(1", 2, 1, "have no ')'"},
        ErrorCase{"argument_left_out_without_default", "`define P(a, b) a b\n`P(x)", 2, 1,
                  "has no value for its argument \"b\""},
        ErrorCase{"recursive_macro", "`define R `R\ninput `R a", 2, 7, "more than 64 levels"},
        ErrorCase{"doubling_macros",
                  "`define M0 x x\n`define M1 `M0 `M0\n`define M2 `M1 `M1\n`define M3 `M2 `M2\n"
                  "`define M4 `M3 `M3\n`define M5 `M4 `M4\n`define M6 `M5 `M5\n"
                  "`define M7 `M6 `M6\n`define M8 `M7 `M7\n`define M9 `M8 `M8\n"
                  "`define M10 `M9 `M9\n`define M11 `M10 `M10\n`define M12 `M11 `M11\n"
                  "`define M13 `M12 `M12\n`define M14 `M13 `M13\n`define M15 `M14 `M14\n"
                  "`define M16 `M15 `M15\n`define M17 `M16 `M16\n`define M18 `M17 `M17\n"
                  "`define M19 `M18 `M18\n`define M20 `M19 `M19\n  `M20",
                  22, 3, "expand to more than"}),
    test::RowLabel());

TEST(Preprocessor, CommandLineDefinesAndUndefines) {
  PreprocessOptions options;
  options.defines = {{"WIDTH", "16"}, {"FAST", ""}, {"GONE", "1"}};
  options.undefines = {"GONE"};
  EXPECT_EQ(expanded("`WIDTH `ifdef FAST f `endif `ifdef GONE g `endif", options), "16 f");
}

// Headers below a temporary directory, found by name as the catalog finds them.
class Includes : public testing::Test {
 protected:
  test::TempDir dir;
  PreprocessOptions options;
  void SetUp() override {
    options.find_include = [this](std::string_view name, const std::string&) {
      std::string path = dir.path() + "/" + std::string(name);
      return access(path.c_str(), R_OK) == 0 ? std::optional<std::string>(path) : std::nullopt;
    };
  }
  PreprocessedSource run(const std::string& text) {
    std::uint32_t id = sources.add(dir.path() + "/top.sv", text);
    return preprocess(sources, id, options);
  }
  SourceManager sources;
};

TEST_F(Includes, MacrosOfAHeaderAreSeenAndItsTokensStandInPlace) {
  test::write_file(dir.path() + "/defs.vh",
                   "`ifndef DEFS\n`define DEFS\n`define BYTE [7:0]\n`endif\n");
  test::write_file(dir.path() + "/ports.vh", "input b,\n");
  PreprocessedSource out =
      run("`include \"defs.vh\"\n`include \"defs.vh\"\n(input `BYTE a,\n"
          "`include \"ports.vh\"\noutput c)");
  std::string text;
  for (const Token& t : out.tokens) text += t.text;
  EXPECT_EQ(text, "(input[7:0]a,inputb,outputc)");
  EXPECT_EQ(out.includes, (std::vector<std::string>{"defs.vh", "defs.vh", "ports.vh"}));
  EXPECT_EQ(out.headers_read.size(), 3u);
  EXPECT_TRUE(out.missing_includes.empty());
}

TEST_F(Includes, AMissingHeaderMakesLaterConditionalsUncertain) {
  PreprocessedSource out =
      run("`include \"gone.vh\"\n`ifdef HAS_B b `endif\n`undef X\n"
          "`ifdef X x `endif");
  EXPECT_EQ(out.missing_includes, std::vector<std::string>{"gone.vh"});
  ASSERT_EQ(out.tokens.size(), 2u) << "one marker for HAS_B; X was undefined on purpose";
  EXPECT_EQ(out.tokens[0].kind, TokenKind::kUncertain);
  EXPECT_EQ(out.tokens[0].text, "HAS_B");
}

TEST_F(Includes, AnIncludeGuardIsNoGuessButOtherConditionalsAre) {
  test::write_file(dir.path() + "/defs.vh",
                   "`ifndef DEFS_VH\n`define DEFS_VH\n`ifdef TRACE\n`define T 1\n`endif\n`endif\n");
  PreprocessedSource out = run("`include \"framework.vh\"\n`include \"defs.vh\"\nm");
  ASSERT_EQ(out.uncertain.size(), 1u);
  EXPECT_EQ(out.uncertain[0].macro, "TRACE");
}

TEST_F(Includes, AnAssumedMacroTakesItsBranchWithoutAMarker) {
  options.assumed = {{"WIDE", true}};
  PreprocessedSource out = run("`include \"gone.vh\"\n`ifdef WIDE w `else n `endif");
  ASSERT_EQ(out.tokens.size(), 2u);
  EXPECT_EQ(out.tokens[0].text, "w");
  ASSERT_EQ(out.uncertain.size(), 1u);
  EXPECT_EQ(out.uncertain[0].macro, "WIDE");
}

TEST_F(Includes, UnitFilesComeFirstAndTheirMacrosHold) {
  test::write_file(dir.path() + "/defs.svh", "`define W 8\ntypedef logic [`W-1:0] byte_t;\n");
  options.unit_files = {dir.path() + "/defs.svh"};
  PreprocessedSource out = run("[`W]");
  std::string unit, text;
  for (const Token& t : out.unit_tokens) unit += t.text;
  for (const Token& t : out.tokens) text += t.text;
  EXPECT_EQ(unit, "typedeflogic[8-1:0]byte_t;");
  EXPECT_EQ(text, "[8]");
  EXPECT_TRUE(out.includes.empty());
  EXPECT_EQ(out.headers_read, std::vector<std::string>{dir.path() + "/defs.svh"});
}

TEST_F(Includes, AHeaderThatIncludesItselfIsRefused) {
  test::write_file(dir.path() + "/loop.vh", "`include \"loop.vh\"\n");
  EXPECT_THROW(run("`include \"loop.vh\"\n"), Error);
}

}  // namespace
}  // namespace noc::rtl
