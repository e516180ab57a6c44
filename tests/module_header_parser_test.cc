// The grammar of module headers: how each port list reads, and where a broken one is refused.
#include "rtl/module_header_parser.h"

#include <gtest/gtest.h>

#include <ostream>

#include "common/error.h"
#include "rtl/extract_rtl.h"
#include "test_util.h"

namespace noc::rtl {
namespace {

struct HeaderCase {
  const char* label;
  const char* source;
  const char* inputs;
  const char* outputs;
};
void PrintTo(const HeaderCase& c, std::ostream* os) {
  *os << c.label;
}

class ReadsHeader : public testing::TestWithParam<HeaderCase> {};

TEST_P(ReadsHeader, InputsAndOutputsInOrder) {
  ParsedSource parsed = parse_source_text("t.sv", GetParam().source);
  EXPECT_EQ(test::port_list(parsed.first.inputs), GetParam().inputs);
  EXPECT_EQ(test::port_list(parsed.first.outputs), GetParam().outputs);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadsHeader,
    testing::Values(
        HeaderCase{"direction_and_type_inherited",
                   "module m(input clk, rst, output logic [W-1:0] q, r);endmodule", "| clk, | rst",
                   "logic|[W-1:0] q, logic|[W-1:0] r"},
        HeaderCase{"packed_and_unpacked",
                   "module m(input wire [3:0][7:0] d [2][N], output pkg::req_t req);endmodule",
                   "wire|[3:0][7:0] d [2][N]", "pkg::req_t| req"},
        HeaderCase{"member_access_in_dimension",
                   "module m #(parameter cfg_pkg::cfg_t Cfg = '{W: 8, N: 4})"
                   "(input logic [Cfg.W-1:0] a, output logic [$clog2(Cfg.N)-1:0] y);endmodule",
                   "logic|[Cfg.W-1:0] a", "logic|[$clog2(Cfg.N)-1:0] y"},
        HeaderCase{"calls_concatenations_and_conditionals",
                   "module m(input [f(A,{B,C})-1:0] a, input [A>B ? A : B:0] b, "
                   "input [W*(2**N)-1:0] c);endmodule",
                   "|[f(A,{B,C})-1:0] a, |[A>B?A:B:0] b, |[W*(2**N)-1:0] c", ""},
        HeaderCase{"indexed_part_select_bounds",
                   "module m(output [B+:8] o, output [B-:8] p);endmodule", "",
                   "|[B+:8] o, |[B-:8] p"},
        HeaderCase{
            "type_parameter_names_a_type",
            "module m #(parameter type T = logic [7:0], int N = 2)(input T d, output T q [N]);"
            "endmodule",
            "T| d", "T| q [N]"},
        HeaderCase{"type_parameter_defaults_to_an_imported_typedef",
                   "import p::*;\nmodule m #(parameter type T = beat_t, parameter type U = "
                   "q::w_t)(input T d, output U e);endmodule",
                   "T| d", "U| e"},
        HeaderCase{"type_parameter_defaults_to_a_prelude_typedef",
                   "module m #(parameter type T = beat_t [1:0])(input T d);endmodule", "T| d", ""},
        HeaderCase{"parameterised_class_type",
                   "module m(input cls#(8)::t a, output var logic signed [3:0] b);endmodule",
                   "cls#(8)::t| a", "var logic signed|[3:0] b"},
        HeaderCase{"interface_ports_left_out",
                   "interface bus_if; endinterface\nmodule m(bus_if.master bus, inout io, input a, "
                   "bus_if b2, output b, interface.slave s);endmodule",
                   "| a", "| b"},
        HeaderCase{
            "interface_without_modport_after_input",
            "interface bus_if; endinterface\nmodule m(input logic clk, bus_if bus, output o);"
            "endmodule",
            "logic| clk", "| o"},
        HeaderCase{"typedef_after_input_inherits_direction",
                   "typedef logic [3:0] nib_t;\nmodule m(input logic clk, nib_t n, output o);"
                   "endmodule",
                   "logic| clk, nib_t| n", "| o"},
        HeaderCase{"default_values", "module m(input a = 1'b0, output int b = W + 1);endmodule",
                   "| a", "int| b"},
        HeaderCase{"escaped_names_keep_their_space",
                   "module m(input \\a.b , output \\c );endmodule", "| \\a.b ", "| \\c "},
        HeaderCase{"imports_before_parameters",
                   "module m import p::*, q::x; #(W = 4)(input word_t a);endmodule", "word_t| a",
                   ""},
        HeaderCase{"struct_type", "module m(input struct packed {logic a; logic b;} s);endmodule",
                   "struct packed{logic a;logic b;}| s", ""},
        HeaderCase{"specific_import_declares_the_type",
                   "import tag_pkg::tag_t, cfg_pkg::cfg_t;\n"
                   "module m(input tag_t t, output cfg_t c);endmodule",
                   "tag_t| t", "cfg_t| c"},
        HeaderCase{"time_parameter_defaults",
                   "module m #(parameter time HOLD = 1.5ns, realtime T = 20ps)(input a);endmodule",
                   "| a", ""},
        HeaderCase{"trailing_comma_reads_the_ports_before_it",
                   "module m(input a, output b,);endmodule", "| a", "| b"},
        HeaderCase{"empty_ports_are_skipped", "module m(, input a, , b);endmodule", "| a, | b",
                   ""}),
    test::RowLabel());

TEST(ModuleHeader, ParametersWithDefaultsAndKinds) {
  ParsedSource parsed = parse_source_text(
      "t.sv",
      "module m #(parameter int W = 4, T = 2, localparam X = W*2, parameter type D = "
      "logic [3:0])();endmodule");
  ASSERT_EQ(parsed.first.params.size(), 4u);
  EXPECT_EQ(parsed.first.params[1].name, "T");
  EXPECT_EQ(parsed.first.params[1].default_text, "2");
  EXPECT_TRUE(parsed.first.params[2].local);
  EXPECT_EQ(parsed.first.params[3].default_text, "logic[3:0]");
}

TEST(ModuleHeader, PortTupleHasTheNameAtPositionThree) {
  ParsedSource parsed = parse_source_text("t.sv", "module m(input [A:0][B:0] x);endmodule");
  const PortTuple& port = parsed.first.inputs.at(0);
  EXPECT_EQ(port.pieces, (std::vector<std::string>{"[A:0]", "[B:0]", " ", "x"}));
  EXPECT_EQ(port.name_index, 3u);
}

TEST(ModuleHeader, EmptyPortsAreReadWithAWarningWhereTheyStand) {
  ParsedSource parsed = parse_source_text("t.sv", "module m(input a,\n , output b,\n);endmodule");
  ASSERT_EQ(parsed.warnings.size(), 2u);
  EXPECT_EQ(parsed.warnings[0].line, 2);
  EXPECT_EQ(parsed.warnings[0].column, 2);
  EXPECT_EQ(parsed.warnings[1].line, 2);
  EXPECT_EQ(parsed.warnings[1].column, 12);
  EXPECT_NE(parsed.warnings[1].message.find("ends with ','"), std::string::npos);
}

using BrokenCase = test::LocatedErrorCase;

class RefusesHeader : public testing::TestWithParam<BrokenCase> {};

TEST_P(RefusesHeader, AtTheOffendingToken) {
  test::expect_located_error([] { parse_source_text("t.sv", GetParam().source); }, GetParam());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusesHeader,
    testing::Values(
        BrokenCase{"missing_comma_between_declarations",
                   "module r(\ninput [1:0] noc_in_valid\noutput [1:0] noc_in_ready);endmodule", 3,
                   1, "expected ',' or ')' after port \"noc_in_valid\""},
        BrokenCase{"missing_comma_between_names", "module r(input clk rst, output q);endmodule", 1,
                   16, "unknown type 'clk'"},
        BrokenCase{"trailing_comma_in_parameters",
                   "module r #(parameter A = 1,)(input a);"
                   "endmodule",
                   1, 28, "expected a parameter name"},
        BrokenCase{"parameter_without_value", "module r #(parameter W = )(input a);endmodule", 1,
                   26, "expected an expression, found ')'"},
        BrokenCase{"unclosed_dimension", "module r(input [7:0 a, output b);endmodule", 1, 16,
                   "'[' is not closed"},
        BrokenCase{"dimension_with_two_ranges", "module r(input [7:0:1] a);endmodule", 1, 20,
                   "expected ']'"},
        BrokenCase{"missing_operand", "module r(input [W-] a);endmodule", 1, 19,
                   "expected an expression"},
        BrokenCase{"keyword_as_name", "module r(input logic output);endmodule", 1, 22,
                   "is a keyword, not a port name"},
        BrokenCase{"port_expressions", "module r(.d(din), .q(qout));endmodule", 1, 10,
                   "port expressions"},
        BrokenCase{"part_select_in_old_style_list", "module r(a[3:0]);endmodule", 1, 11,
                   "port expressions"},
        BrokenCase{"unknown_interface_or_type", "module r(input logic clk, bus_if bus);endmodule",
                   1, 27, "cannot tell whether 'bus_if' is an interface or a data type"},
        BrokenCase{"undefined_macro_in_header", "module r(input [`W:0] a);endmodule", 1, 17,
                   "`W is not defined"},
        BrokenCase{"stray_byte_in_header", "module r(input \xC3\xA4);endmodule", 1, 16,
                   "unexpected byte 0xc3"},
        BrokenCase{"no_semicolon", "module r(input a)\nendmodule", 2, 1, "expected ';'"},
        BrokenCase{"no_module_name", "module (input a);endmodule", 1, 8, "expected a module name"}),
    test::RowLabel());

}  // namespace
}  // namespace noc::rtl
