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

}  // namespace
}  // namespace noc::app
