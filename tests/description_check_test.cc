// check and generate apply one rule book: over a corpus of random descriptions, check reports an
// error exactly when generate fails, and generate's error is one of check's lines, word for word.
#include "app/description_check.h"

#include <gtest/gtest.h>

#include "random_description.h"
#include "test_util.h"

namespace noc::app {
namespace {

TEST(CheckAndGenerate, AgreeOnEveryRandomDescription) {
  test::TempDir dir;
  test::copy_example(dir.path());
  std::string tile = test::read_file(test::example_dir() + "/compute_tile.sv");
  test::write_file(dir.path() + "/tile_b.sv",
                   tile.replace(tile.find("module compute_tile"), 19, "module tile_b"));
  int failures = 0;
  for (std::uint32_t seed = 0; seed < 300; ++seed) {
    std::string description = test::random_description(seed);
    test::write_file(dir.path() + "/noc_soc.json", description);
    CheckReport report = check_description(dir.path(), "noc_soc.json");
    std::string lines;
    for (const Diagnostic& d : report.diagnostics) lines += compiler_line(d) + "\n";
    std::string error = test::run_error(dir.path());
    ASSERT_EQ(has_errors(report.diagnostics), !error.empty()) << "seed " << seed << "\n"
                                                              << description << "check:\n"
                                                              << lines << "generate: " << error;
    if (error.empty()) continue;
    ++failures;
    EXPECT_NE(lines.find(error + "\n"), std::string::npos) << "seed " << seed << "\n"
                                                           << description << "check:\n"
                                                           << lines << "generate: " << error;
  }
  // The corpus must exercise both sides of the rule book.
  EXPECT_GT(failures, 30);
  EXPECT_LT(failures, 270);
}

struct ChannelsRow {
  const char* name;
  const char* config;  ///< what tb_noc_top.sv assigns
  int warned_line;     ///< the line NOC129 names; 0: no warning
};

class ChannelsCheck : public ::testing::TestWithParam<ChannelsRow> {};

// The top gives each tile two slots; a CONFIG that sizes the tile's channels otherwise makes the
// two sides of every endpoint wire differ, and check says so where the value is assigned.
TEST_P(ChannelsCheck, WarnsWhereTheDesignAssignsOtherThanTwo) {
  const ChannelsRow& row = GetParam();
  test::TempDir dir;
  test::copy_example(dir.path());
  test::write_file(dir.path() + "/tb_noc_top.sv", row.config);
  CheckReport report = check_description(dir.path(), "noc_soc.json");
  std::vector<const Diagnostic*> warned;
  for (const Diagnostic& d : report.diagnostics)
    if (std::string(d.code()) == "NOC129") warned.push_back(&d);
  if (row.warned_line == 0) {
    EXPECT_TRUE(warned.empty()) << warned.front()->message;
    return;
  }
  ASSERT_EQ(warned.size(), 1u);
  EXPECT_EQ(warned[0]->line, row.warned_line);
  EXPECT_NE(warned[0]->file.find("tb_noc_top.sv"), std::string::npos) << warned[0]->file;
  EXPECT_NE(warned[0]->message.find("NOC_CHANNELS is 1 here"), std::string::npos)
      << warned[0]->message;
}

INSTANTIATE_TEST_SUITE_P(
    Rows, ChannelsCheck,
    ::testing::Values(
        ChannelsRow{"OneChannel",
                    "// config\nlocalparam C = '{NOC_FLIT_WIDTH: 32,\n  NOC_CHANNELS: 1};\n", 3},
        ChannelsRow{"TwoChannels", "localparam C = '{NOC_CHANNELS: 2};\n", 0},
        ChannelsRow{"NotAssigned", "module tb; endmodule\n", 0},
        ChannelsRow{"ScopedNameIsNoAssignment", "int x = NOC_CHANNELS::y;\n", 0}),
    test::RowLabel());

}  // namespace
}  // namespace noc::app
