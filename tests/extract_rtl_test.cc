// The extractor over short SystemVerilog snippets.
#include <gtest/gtest.h>

#include "common/error.h"
#include "rtl/extract_rtl.h"

namespace noc::rtl {
namespace {

std::string ports(const std::vector<PortTuple>& list) {
  std::string out;
  for (const PortTuple& p : list) out += (out.empty() ? "" : "|") + p.join_from(0);
  return out;
}

struct PortCase {
  const char* label;
  const char* source;
  const char* inputs;
  const char* outputs;
};

class ExtractPorts : public testing::TestWithParam<PortCase> {};

TEST_P(ExtractPorts, ReadsInputsAndOutputsInOrder) {
  ParsedSource parsed = parse_source_text("t.sv", GetParam().source);
  EXPECT_EQ(ports(parsed.first.inputs), GetParam().inputs);
  EXPECT_EQ(ports(parsed.first.outputs), GetParam().outputs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractPorts,
    testing::Values(
        PortCase{"ansi_inherit",
                 "module m(input clk, rst, output logic [ W - 1 : 0 ] q, r);\nendmodule",
                 " clk| rst", "[W-1:0] q|[W-1:0] r"},
        PortCase{"packed_and_unpacked",
                 "module m(input wire [3:0][7:0] d [2], output pkg::req_t req);endmodule",
                 "[3:0][7:0] d [2]", " req"},
        PortCase{"inout_and_interface_left_out",
                 "module m(bus_if.master bus, inout io, input a, output b);endmodule", " a", " b"},
        PortCase{
            "comments_and_attributes",
            "// module fake(input x);\nmodule m /* c */ ((* keep *) input a /* x */, output b);"
            "endmodule",
            " a", " b"},
        PortCase{"non_ansi",
                 "module m(a, b, c);\noutput [1:0] c; input a;\ninput b;\n"
                 "function f; input x; endfunction\nendmodule",
                 " a| b", "[1:0] c"},
        PortCase{"macros_and_ifdef",
                 "`define W 8\n`define DIM(n) [n-1:0]\n`ifdef NOPE\nmodule x(input q);endmodule\n"
                 "`else\nmodule m(input `DIM(`W) a, output [`OTHER:0] b);endmodule\n`endif",
                 "[8-1:0] a", "[`OTHER:0] b"},
        PortCase{"params_and_imports",
                 "module m import p::*; #(parameter int W = 4, localparam X = W*2) "
                 "(input [X-1:0] a, output b);endmodule",
                 "[X-1:0] a", " b"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(Extract, ModulesIncludesAndParameters) {
  ParsedSource parsed =
      parse_source_text("t.sv",
                        "`include \"a.vh\"\nmodule one #(parameter W = 8, T = 2)(); endmodule\n"
                        "macromodule two; endmodule\n`include \"b.vh\"\n");
  EXPECT_EQ(parsed.includes, (std::vector<std::string>{"a.vh", "b.vh"}));
  EXPECT_EQ(parsed.module_names, (std::vector<std::string>{"one", "two"}));
  ASSERT_EQ(parsed.first.params.size(), 2u);
  EXPECT_EQ(parsed.first.params[1].name, "T");
  EXPECT_EQ(parsed.first.params[1].default_text, "2");
}

TEST(Extract, PortTupleHasTheNameAtPositionThree) {
  ParsedSource parsed = parse_source_text("t.sv", "module m(input [A:0][B:0] x);endmodule");
  const PortTuple& port = parsed.first.inputs.at(0);
  EXPECT_EQ(port.pieces, (std::vector<std::string>{"[A:0]", "[B:0]", " ", "x"}));
  EXPECT_EQ(port.name_index, 3u);
}

struct ErrorCase {
  const char* label;
  const char* source;
  const char* where;
  const char* message;
};

class ExtractErrors : public testing::TestWithParam<ErrorCase> {};

TEST_P(ExtractErrors, NameFileLineAndColumn) {
  try {
    parse_source_text("t.sv", GetParam().source);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find(GetParam().where), std::string::npos) << error.what();
    EXPECT_NE(error.message().find(GetParam().message), std::string::npos) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExtractErrors,
    testing::Values(
        ErrorCase{"open_comment", "module m;\n/* open", "t.sv:2:1", "unterminated block comment"},
        ErrorCase{"no_endmodule", "module m(input a);\n", "t.sv:1:1", "has no endmodule"},
        ErrorCase{"open_ifdef", "`ifdef X\nmodule m; endmodule\n", "t.sv:1:1", "has no `endif"},
        ErrorCase{"open_string", "module m(input \"a);", "t.sv:1:16", "unterminated string"}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace noc::rtl
