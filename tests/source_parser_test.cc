// Whole sources: which modules a file declares, bodies skipped to their endmodule, and the ports
// of old-style modules merged from their body declarations.
#include "rtl/source_parser.h"

#include <gtest/gtest.h>

#include <ostream>

#include "common/error.h"
#include "rtl/extract_rtl.h"
#include "test_util.h"

namespace noc::rtl {
namespace {

struct BodyCase {
  const char* label;
  const char* source;
  const char* inputs;
  const char* outputs;
};
void PrintTo(const BodyCase& c, std::ostream* os) {
  *os << c.label;
}

class ReadsSource : public testing::TestWithParam<BodyCase> {};

TEST_P(ReadsSource, FirstModulePorts) {
  ParsedSource parsed = parse_source_text("t.sv", GetParam().source);
  EXPECT_EQ(test::port_list(parsed.first.inputs), GetParam().inputs);
  EXPECT_EQ(test::port_list(parsed.first.outputs), GetParam().outputs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadsSource,
    testing::Values(
        BodyCase{"concurrent_assertions",
                 "module m(input clk, req, output ack);\n"
                 "a1: assert property (@(posedge clk) req |-> ack);\n"
                 "assume property (@(posedge clk) req);\ncover property (@(posedge clk) ack);\n"
                 "property p; @(posedge clk) req |=> ack; endproperty\n"
                 "sequence s; req ##1 ack; endsequence\nendmodule",
                 "| clk, | req", "| ack"},
        BodyCase{"classes_functions_checkers",
                 "module m(input a, output b);\nclass c; virtual function void f(); endfunction\n"
                 "pure virtual task t(); extern function int g(input x); endclass\n"
                 "checker ck(input y); endchecker\ncovergroup cg; endgroup\n"
                 "import \"DPI-C\" function int h(input int q);\nendmodule",
                 "| a", "| b"},
        BodyCase{"event_control_with_spaces",
                 "module m(input a, output b);\nalways @(* ) begin end\nalways @( * ) b = a;\n"
                 "endmodule",
                 "| a", "| b"},
        BodyCase{"generate_and_nested_module",
                 "module m(input a, output b);\ngenerate if (1) begin : g wire x; end endgenerate\n"
                 "module inner(input z); endmodule\nendmodule : m",
                 "| a", "| b"},
        BodyCase{"old_style_with_redeclared_range",
                 "module m(y, a, b);\noutput y;\nreg [3:0] y;\ninput a;\nwire signed [7:0] a;\n"
                 "input [1:0] b;\nendmodule",
                 "wire signed|[7:0] a, |[1:0] b", "reg|[3:0] y"},
        BodyCase{"old_style_net_declared_first",
                 "module m(q, d);\nwire [2:0] d;\ninput d;\noutput reg q;\nendmodule",
                 "wire|[2:0] d", "reg| q"},
        BodyCase{"old_style_function_inputs_are_not_ports",
                 "module m(a, b, c);\noutput [1:0] c; input a;\ninput b;\n"
                 "function f; input x; begin f = x; end endfunction\n"
                 "task t; input y; endtask\nalways begin : blk reg [7:0] a; end\nendmodule",
                 "| a, | b", "|[1:0] c"},
        BodyCase{"included_ports_in_order",
                 "`define P input logic p,\nmodule m(`P output o);endmodule", "logic| p", "| o"}),
    test::RowLabel());

TEST(SourceParser, ModuleNamesInFileOrderAndLaterModulesOnlyNamed) {
  ParsedSource parsed = parse_source_text(
      "t.sv",
      "`define CELL(k) module cell_``k (input logic a, output logic y); endmodule\n"
      "`CELL(buf)\nmacromodule two; module nested; endmodule endmodule\n"
      "extern module ext(input a);\nmodule `UNDEFINED_NAME (input [`X:0] q); endmodule\n");
  EXPECT_EQ(parsed.module_names, (std::vector<std::string>{"cell_buf", "two", "nested"}));
  EXPECT_EQ(test::port_list(parsed.first.inputs), "logic| a");
}

// An old-style module declares the parameters its ports use in its body; whoever instantiates
// it (or stands in for it) needs them. With a parameter port list they are local.
TEST(SourceParser, OldStyleBodyParametersAreParameters) {
  ParsedSource parsed = parse_source_text(
      "t.sv",
      "module m(d, q);\n  parameter CHANNELS = 2;\n  localparam int W = CHANNELS * 8, X = 1;\n"
      "  input [CHANNELS-1:0] d;\n  output [W-1:0] q;\n"
      "  function f; input a; parameter Z = 3; endfunction\nendmodule\n"
      "module n #(parameter A = 1)(a);\n  parameter B = 2;\n  input a;\nendmodule\n");
  std::vector<std::string> declared;
  for (const ModuleParameter& p : parsed.first.params) declared.push_back(p.declaration);
  EXPECT_EQ(declared,
            (std::vector<std::string>{"parameter CHANNELS = 2", "localparam int W = CHANNELS*8",
                                      "localparam int X = 1"}));
  ParsedSource second = parse_source_text(
      "t.sv", "module n #(parameter A = 1)(a);\n  parameter B = 2;\n  input a;\nendmodule\n");
  ASSERT_EQ(second.first.params.size(), 2u);
  EXPECT_EQ(second.first.params[1].declaration, "localparam B = 2");
  EXPECT_TRUE(second.first.params[1].local);
}

TEST(SourceParser, IncludeEntriesInFileOrder) {
  ParsedSource parsed =
      parse_source_text("t.sv", "`include \"a.vh\"\nmodule one(); endmodule\n`include \"b.vh\"\n");
  EXPECT_EQ(parsed.includes, (std::vector<std::string>{"a.vh", "b.vh"}));
}

using BrokenCase = test::LocatedErrorCase;

class RefusesSource : public testing::TestWithParam<BrokenCase> {};

TEST_P(RefusesSource, AtTheOffendingToken) {
  test::expect_located_error([] { parse_source_text("t.sv", GetParam().source); }, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusesSource,
    testing::Values(
        BrokenCase{"unknown_macro_before_the_first_module", "`MODULE_DECL\nmodule m; endmodule", 1,
                   1, "`MODULE_DECL is not defined"},
        BrokenCase{"no_endmodule", "module m(input a);\n", 1, 1, "has no endmodule"},
        BrokenCase{"old_style_port_without_direction", "module m(a, b);\ninput a;\nendmodule", 1,
                   13, "port \"b\" of module \"m\" has no input"},
        BrokenCase{"old_style_direction_not_listed", "module m(a);\ninput a, z;\nendmodule", 2, 10,
                   "is not in the port list"},
        BrokenCase{"old_style_macro_may_hold_ports", "module m(a);\n`PORTS\nendmodule", 2, 1,
                   "`PORTS is not defined"},
        BrokenCase{"old_style_bad_redeclaration", "module m(a);\ninput a;\nwire [3:0 a;\nendmodule",
                   3, 6, "'[' is not closed"}),
    test::RowLabel());

}  // namespace
}  // namespace noc::rtl
