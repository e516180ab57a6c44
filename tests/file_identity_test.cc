// Which outputs are refused: the same file as an input or as another output, whatever path
// names it; and which are not: another file, or standard output.
#include "common/file_identity.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <ostream>

#include "common/error.h"
#include "test_util.h"

namespace noc {
namespace {

struct OutputCase {
  const char* label;
  std::vector<RunFile> outputs;  ///< paths relative to the test's folder
  const char* refused_with;      ///< part of the message; nullptr: allowed
};
void PrintTo(const OutputCase& c, std::ostream* os) {
  *os << c.label;
}

class RefusesOutputs : public testing::TestWithParam<OutputCase> {};

TEST_P(RefusesOutputs, ThatAreTheRunsOwnFiles) {
  test::TempDir dir;
  test::write_file(dir.path() + "/noc_router.sv", "module r; endmodule\n");
  test::write_file(dir.path() + "/noc_soc.json", "{}");
  std::filesystem::create_directories(dir.path() + "/sub");
  std::filesystem::create_symlink("noc_router.sv", dir.path() + "/link.sv");
  std::filesystem::create_hard_link(dir.path() + "/noc_soc.json", dir.path() + "/hard.json");
  std::vector<RunFile> inputs{{"the description", dir.path() + "/noc_soc.json"},
                              {"the source", dir.path() + "/noc_router.sv"}};
  std::vector<RunFile> outputs = GetParam().outputs;
  for (RunFile& output : outputs)
    if (output.path != "-" && !output.path.empty()) output.path = dir.path() + "/" + output.path;
  if (!GetParam().refused_with) {
    EXPECT_NO_THROW(refuse_outputs_that_are_inputs(outputs, inputs));
    return;
  }
  try {
    refuse_outputs_that_are_inputs(outputs, inputs);
    ADD_FAILURE() << "not refused";
  } catch (const Error& error) {
    EXPECT_NE(error.message().find(GetParam().refused_with), std::string::npos) << error.message();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, RefusesOutputs,
    testing::Values(OutputCase{"a_new_file", {{"-o", "top.sv"}, {"--depfile", "top.d"}}, nullptr},
                    OutputCase{"standard_output", {{"-o", "-"}, {"--depfile", ""}}, nullptr},
                    OutputCase{"the_source", {{"-o", "noc_router.sv"}}, "-o is the source"},
                    OutputCase{
                        "the_description", {{"--depfile", "noc_soc.json"}}, "the description"},
                    OutputCase{"another_spelling", {{"-o", "sub/../noc_router.sv"}}, "the source"},
                    OutputCase{"a_link_to_the_source", {{"-o", "link.sv"}}, "the source"},
                    OutputCase{"a_hard_link", {{"-o", "hard.json"}}, "the description"},
                    OutputCase{"two_outputs_not_yet_there",
                               {{"-o", "top.sv"}, {"--depfile", "sub/../top.sv"}},
                               "--depfile and -o name the same file"}),
    test::RowLabel());

}  // namespace
}  // namespace noc
