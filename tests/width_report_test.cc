// Verilator's width warnings about the top's connections, read back as root causes.
#include "verify/width_report.h"

#include <gtest/gtest.h>

namespace noc::verify {
namespace {

constexpr const char* kTop =
    "module noc_top();\n"     // 1
    "noc_router\n"            // 2
    "#(\n"                    // 3
    ".INPUTS (4)\n"           // 4
    ")\n"                     // 5
    "\n"                      // 6
    "noc_router_R_0_inst(\n"  // 7
    ".clk (clk),\n"           // 8
    ".in_valid ({a,b}),\n"    // 9
    ".out_valid (c));\n"      // 10
    "noc_router\n"            // 11
    "#(\n"                    // 12
    ")\n"                     // 13
    "noc_router_R_1_inst(\n"  // 14
    ".in_valid ({d,e}));\n"   // 15
    "endmodule\n";

constexpr const char* kLog =
    "%Warning-WIDTH: /d/noc_soc.sv:9:2: Input port connection 'in_valid' expects 12 bits on the "
    "pin connection, but pin connection's CONCAT generates 10 bits.\n"
    "                        : ... In instance noc_verify_bench.noc_top\n"
    "%Warning-WIDTH: /d/stand_ins.sv:3:4: Operator ASSIGN expects 3 bits\n"
    "%Warning-WIDTH: /d/noc_soc.sv:15:2: Input port connection 'in_valid' expects 12 bits on the "
    "pin connection, but pin connection's CONCAT generates 10 bits.\n"
    "%Warning-WIDTH: /d/noc_soc.sv:10:2: Output port connection 'out_valid' expects 4 bits on the "
    "pin connection, but pin connection's VARREF 'c' generates 2 bits.\n";

TEST(WidthReport, ReadsTheTopsConnectionsWithTheirInstances) {
  std::vector<WidthMismatch> found = read_width_mismatches(kLog, "/d/noc_soc.sv", kTop);
  ASSERT_EQ(found.size(), 3u);
  EXPECT_EQ(found[0].module, "noc_router");
  EXPECT_EQ(found[0].instance, "noc_router_R_0_inst");
  EXPECT_EQ(found[0].port, "in_valid");
  EXPECT_EQ(found[0].port_bits, 12);
  EXPECT_EQ(found[0].connected_bits, 10);
  EXPECT_EQ(found[1].instance, "noc_router_R_1_inst");
  EXPECT_EQ(found[2].port, "out_valid");
}

TEST(WidthReport, GroupsOneLinePerPortAndWidthsWithTheCause) {
  std::vector<WidthMismatch> found = read_width_mismatches(kLog, "/d/noc_soc.sv", kTop);
  std::vector<std::string> lines =
      width_root_causes(found, [](const std::string&, const std::string& port) {
        return port == "in_valid" ? std::optional<std::string>("VCHANNELS differs") : std::nullopt;
      });
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0],
            "width: noc_router port in_valid is 12 bits, but noc_top connects 10 bits to it on 2 "
            "instances (noc_router_R_0_inst, noc_router_R_1_inst; line 9): VCHANNELS differs");
  EXPECT_EQ(lines[1],
            "width: noc_router port out_valid is 4 bits, but noc_top connects 2 bits to it on 1 "
            "instance (noc_router_R_0_inst; line 10)");
}

}  // namespace
}  // namespace noc::verify
