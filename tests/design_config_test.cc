// The simulation's CONFIG values as the design assigns them.
#include "model/design_config.h"

#include <gtest/gtest.h>

#include "rtl/parsed_source.h"
#include "test_util.h"

namespace noc::model {
namespace {

TEST(DesignConfig, TakesWhatEveryAssignmentAgreesOn) {
  test::TempDir dir;
  test::write_file(dir.path() + "/tb/tb.sv",
                   "localparam config_t C = '{NOC_FLIT_WIDTH: 64, NOC_CHANNELS : 3};\n");
  test::write_file(dir.path() + "/pkg/cfg.sv", "// NOC_FLIT_WIDTH: 64 again\nint NOC_CHANNELS;\n");
  DesignConfig config = read_design_config(SourceTree(dir.path()), nullptr);
  ASSERT_TRUE(config.flit_width && config.channels);
  EXPECT_EQ(config.flit_width->value, 64);
  EXPECT_EQ(config.channels->value, 3);
  EXPECT_EQ(config.channels->from, "tb/tb.sv");
  EXPECT_TRUE(config.notes.empty());
}

TEST(DesignConfig, DisagreementDecidesNothingAndTheRoutersDefaultFollows) {
  test::TempDir dir;
  test::write_file(dir.path() + "/a.sv", "'{NOC_CHANNELS: 2}");
  test::write_file(dir.path() + "/b.sv", "'{NOC_CHANNELS: 4}");
  rtl::ParsedSource router = rtl::parse_source_text(
      "r.sv", "module noc_router #(parameter W = 8, parameter FLIT_WIDTH = W * 2)();endmodule");
  DesignConfig config = read_design_config(SourceTree(dir.path()), &router.first);
  EXPECT_FALSE(config.channels);
  ASSERT_EQ(config.notes.size(), 1u);
  EXPECT_NE(config.notes[0].find("2 in a.sv, 4 in b.sv"), std::string::npos) << config.notes[0];
  ASSERT_TRUE(config.flit_width);
  EXPECT_EQ(config.flit_width->value, 16);
  EXPECT_EQ(config.flit_width->from, "noc_router's FLIT_WIDTH default");
}

}  // namespace
}  // namespace noc::model
