// Stand-ins keep the interface of the module they replace, as the front end read it.
#include "verify/stand_in.h"

#include <gtest/gtest.h>

#include "rtl/extract_rtl.h"

namespace noc::verify {
namespace {

StandIn stand_in_of(const std::string& source) {
  rtl::ParsedSource parsed = rtl::parse_source_text("m.sv", source);
  return write_stand_in(parsed.first, "m.sv", 3);
}

TEST(StandIn, KeepsImportsParametersAndPortDeclarations) {
  StandIn s = stand_in_of(
      "`define W 8\nimport unit_pkg::*;\n"
      "module m import cfg_pkg::config_t; #(parameter config_t C = 'x, int N = 2, M = 3,\n"
      "  localparam int L = N * `W)\n"
      "  (input clk, input logic [N-1:0][L-1:0] d, output cfg_pkg::word_t [1:0] q,\n"
      "   output logic o [2]);\nendmodule");
  const std::string& t = s.text;
  EXPECT_NE(t.find("module m\n  import unit_pkg::*, cfg_pkg::config_t;"), std::string::npos) << t;
  EXPECT_NE(t.find("#(parameter config_t C = 'x,\n    parameter int N = 2,\n    parameter int M = "
                   "3,\n    localparam int L = N*8)"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("(input clk,\n   input logic [N-1:0][L-1:0] d,\n   output cfg_pkg::word_t "
                   "[1:0] q,\n   output logic o [2]);"),
            std::string::npos)
      << t;
  EXPECT_NE(t.find("$display(\"INST %s %0d 3\", nv_path, nv_id);"), std::string::npos);
}

TEST(StandIn, KeepsTheImportAnOldStyleBodyMakesBeforeItsDeclarations) {
  StandIn s = stand_in_of(
      "module t(clk, d);\n  import cfg_pkg::*;\n  parameter config_t CONFIG = 'x;\n"
      "  input clk;\n  input [CONFIG.W-1:0] d;\nendmodule");
  EXPECT_NE(s.text.find("module t\n  import cfg_pkg::*;\n  #(parameter config_t CONFIG = 'x)"),
            std::string::npos)
      << s.text;
}

TEST(StandIn, NumbersPortsInputsFirstAndSkipsUnpackedOnes) {
  StandIn s = stand_in_of("module m(output a, input b, output c [2]);endmodule");
  ASSERT_EQ(s.ports.size(), 3u);
  EXPECT_EQ(s.ports[0].name, "b");
  EXPECT_TRUE(s.ports[0].input);
  EXPECT_EQ(s.ports[1].name, "a");
  EXPECT_TRUE(s.ports[1].probed);
  EXPECT_FALSE(s.ports[2].probed);
  // The unpacked output is declared but neither driven nor reported.
  EXPECT_EQ(s.text.find("nv_out_2"), std::string::npos);
  EXPECT_NE(s.text.find("noc_verify_probe::step_word(nv_id, 1, $bits(a)"), std::string::npos);
}

// Verilator compiles these blocks once per instance: a loop over bits in one of them costs
// build time with every instance of a network.
TEST(StandIn, BlocksThatRunEveryStepHoldNoLoops) {
  StandIn s =
      stand_in_of("module m(input [7:0] a, output [63:0] b, output [1:0][3:0] c);endmodule");
  for (const char* block :
       {"always @(noc_verify_probe::drive_tick)", "always @(noc_verify_probe::sample_tick)"}) {
    std::size_t start = s.text.find(block);
    ASSERT_NE(start, std::string::npos) << block;
    std::string body = s.text.substr(start, s.text.find("\n  end\n", start) - start);
    EXPECT_EQ(body.find("for ("), std::string::npos) << body;
  }
}

}  // namespace
}  // namespace noc::verify
