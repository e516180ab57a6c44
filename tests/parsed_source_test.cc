// A source whose header includes a file that was not found: read under every alternative of the
// macros that file could define, accepted only when they all give one interface.
#include "rtl/parsed_source.h"

#include <gtest/gtest.h>

#include <ostream>

#include "common/error.h"
#include "test_util.h"

namespace noc::rtl {
namespace {

// Headers come from a map, as the catalog would find them below a base directory; any other
// include is missing.
PreprocessOptions with_headers(const std::map<std::string, std::string>& headers,
                               test::TempDir& dir) {
  PreprocessOptions options;
  for (const auto& [name, text] : headers) test::write_file(dir.path() + "/" + name, text);
  std::string root = dir.path();
  std::map<std::string, std::string> known = headers;
  options.find_include = [root, known](std::string_view name,
                                       const std::string&) -> std::optional<std::string> {
    if (!known.count(std::string(name))) return std::nullopt;
    return root + "/" + std::string(name);
  };
  return options;
}

const std::map<std::string, std::string> kLocalHeaders = {
    {"tile_defs.vh", "`ifndef TILE_DEFS_VH\n`define TILE_DEFS_VH\n`endif\n"},
    {"widths.vh", "`ifndef WIDTHS_VH\n  `define WIDTHS_VH\n  `define FLIT 32\n`endif  // guard\n"},
};

struct AcceptCase {
  const char* label;
  const char* source;
  const char* inputs;
};
void PrintTo(const AcceptCase& c, std::ostream* os) {
  *os << c.label;
}

class ReadsDespiteMissingHeader : public testing::TestWithParam<AcceptCase> {};

TEST_P(ReadsDespiteMissingHeader, SameInterfaceEitherWay) {
  test::TempDir dir;
  std::string source = std::string("`include \"dbg_config.vh\"\n") + GetParam().source;
  ParsedSource parsed = parse_source_text("t.sv", source, with_headers(kLocalHeaders, dir));
  EXPECT_EQ(test::port_list(parsed.first.inputs), GetParam().inputs);
  EXPECT_EQ(parsed.includes.front(), "dbg_config.vh") << "the top still includes it";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadsDespiteMissingHeader,
    testing::Values(
        AcceptCase{"guarded_local_header", "`include \"tile_defs.vh\"\nmodule t(input a);endmodule",
                   "| a"},
        AcceptCase{"guard_with_a_width_macro",
                   "`include \"widths.vh\"\nmodule t(input [`FLIT-1:0] a);endmodule",
                   "|[32-1:0] a"},
        AcceptCase{"conditional_in_the_body_only",
                   "module t(input a);\n`ifdef DBG_TRACE\nlogic [7:0] trace;\n`endif\nendmodule",
                   "| a"},
        AcceptCase{"both_branches_give_the_same_ports",
                   "module t(\n`ifdef FAST\ninput a\n`else\ninput a\n`endif\n);endmodule", "| a"},
        AcceptCase{"conditional_before_the_module_that_changes_nothing",
                   "`ifdef SYNTHESIS\n`timescale 1ns/1ps\n`endif\nmodule t(input a);endmodule",
                   "| a"},
        AcceptCase{"many_conditionals_after_the_header",
                   "module t(input a);\n`ifdef A\n`endif\n`ifdef B\n`endif\n`ifdef C\n`endif\n"
                   "`ifdef D\n`endif\n`ifdef E\n`endif\n`ifdef F\n`endif\n`ifdef G\n`endif\n"
                   "endmodule",
                   "| a"},
        AcceptCase{"later_module_depends_on_it",
                   "module t(input a);endmodule\n`ifdef X\nmodule u;endmodule\n`endif\n", "| a"}),
    test::RowLabel());

using RefuseCase = test::LocatedErrorCase;

class RefusesWhatTheHeaderDecides : public testing::TestWithParam<RefuseCase> {};

TEST_P(RefusesWhatTheHeaderDecides, NamingTheMacro) {
  test::TempDir dir;
  PreprocessOptions options = with_headers(kLocalHeaders, dir);
  test::expect_located_error([&] { parse_source_text("t.sv", GetParam().source, options); },
                             GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusesWhatTheHeaderDecides,
    testing::Values(
        RefuseCase{"port_under_ifdef",
                   "`include \"dbg_config.vh\"\nmodule t(input a,\n`ifdef DBG_PORTS\ninput dbg,\n"
                   "`endif\noutput b);endmodule",
                   3, 1, "depend on whether DBG_PORTS is defined"},
        RefuseCase{"width_macro_it_may_define",
                   "`include \"dbg_config.vh\"\nmodule t(input [`DBG_W-1:0] a);endmodule", 2, 17,
                   "`DBG_W is not defined; it may come from \"dbg_config.vh\""},
        RefuseCase{"parameter_default_under_ifdef",
                   "`include \"dbg_config.vh\"\n`ifdef NARROW\n`define W 16\n`else\n`define W 32\n"
                   "`endif\nmodule t #(parameter W = `W)(input a);endmodule",
                   2, 1, "on whether NARROW is defined"},
        RefuseCase{"which_module_comes_first",
                   "`include \"dbg_config.vh\"\n`ifdef WIDE\nmodule m(input [63:0] a);endmodule\n"
                   "`else\nmodule m(input [31:0] a);endmodule\n`endif\n",
                   2, 1, "depend on whether WIDE is defined"},
        RefuseCase{"nested_conditional_met_only_under_one_branch",
                   "`include \"dbg_config.vh\"\nmodule t(input a\n`ifdef OUTER\n`ifdef INNER\n"
                   ", input b\n`endif\n`endif\n);endmodule",
                   3, 1, "whether OUTER is defined"},
        RefuseCase{"more_macros_than_are_tried",
                   "`include \"dbg_config.vh\"\n`ifdef M1\n`endif\n`ifdef M2\n`endif\n`ifdef M3\n"
                   "`endif\n`ifdef M4\n`endif\n`ifdef M5\n`endif\n`ifdef M6\n`endif\n`ifdef M7\n"
                   "`endif\nmodule t(input a);endmodule",
                   2, 1, "depend on whether M1 is defined"}),
    test::RowLabel());

TEST(ParsedSource, AHeaderFoundReadsAsItSays) {
  test::TempDir dir;
  std::map<std::string, std::string> headers = kLocalHeaders;
  headers["dbg_config.vh"] = "`define DBG_PORTS\n";
  ParsedSource parsed = parse_source_text(
      "t.sv",
      "`include \"dbg_config.vh\"\nmodule t(input a,\n`ifdef DBG_PORTS\ninput dbg,\n`endif\n"
      "output b);endmodule",
      with_headers(headers, dir));
  EXPECT_EQ(test::port_list(parsed.first.inputs), "| a, | dbg");
}

}  // namespace
}  // namespace noc::rtl
