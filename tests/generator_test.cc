// End-to-end runs of the generator over small trees.
#include <gtest/gtest.h>

#include <ostream>

#include <cstdio>
#include <filesystem>

#include "app/soc_generator.h"
#include "common/error.h"
#include "test_util.h"

namespace noc {
namespace {

using test::copy_example;
using test::has_temp_file;
using test::read_file;
using test::run_error;
using test::TempDir;
using test::write_file;

TEST(Generator, BundledExampleMatchesTheHandCheckedFile) {
  TempDir dir;
  copy_example(dir.path());
  RunSummary summary = soc_generator_noc(dir.path() + "/", "noc_soc.json");
  EXPECT_EQ(read_file(dir.path() + "/noc_soc.sv"),
            read_file(std::string(NOC_SOURCE_DIR) + "/tests/golden/mesh_2x2.sv"));
  EXPECT_EQ(summary.routers, 4u);
  EXPECT_EQ(summary.tiles, 4u);
  EXPECT_EQ(summary.links, 4u);
  EXPECT_FALSE(has_temp_file(dir.path()));
}

// Networks the 2x2 example does not show, each checked by hand and linted with Verilator once:
// a ring (a link that wraps round, owned by its lower-numbered end), a torus (five ports, links
// listed in both orders) and a mesh with two tiles on a router (the first listed tile highest).
struct GoldenCase {
  const char* label;
  std::size_t routers, tiles, links;
};

class GoldenNetwork : public testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenNetwork, MatchesTheHandCheckedFile) {
  const GoldenCase& row = GetParam();
  const std::string golden = std::string(NOC_SOURCE_DIR) + "/tests/golden/" + row.label;
  TempDir dir;
  copy_example(dir.path());
  write_file(dir.path() + "/noc_soc.json", read_file(golden + ".json"));
  RunSummary summary = soc_generator_noc(dir.path(), "noc_soc.json");
  EXPECT_EQ(read_file(dir.path() + "/noc_soc.sv"), read_file(golden + ".sv"));
  EXPECT_EQ(summary.routers, row.routers);
  EXPECT_EQ(summary.tiles, row.tiles);
  EXPECT_EQ(summary.links, row.links);
  EXPECT_TRUE(summary.warnings.empty());
}

INSTANTIATE_TEST_SUITE_P(Networks, GoldenNetwork,
                         testing::Values(GoldenCase{"ring_4", 4, 4, 4},
                                         GoldenCase{"torus_3x3", 9, 9, 18},
                                         GoldenCase{"mesh_2x2_two_tiles", 4, 8, 4}),
                         test::RowLabel());

// A router whose neighbours are all routers carries traffic between the others: it gets no
// endpoint wires, and its port lines carry its links alone.
TEST(Generator, ATransitRouterCarriesItsLinksAlone) {
  TempDir dir;
  copy_example(dir.path());
  write_file(dir.path() + "/noc_soc.json", R"({
"R_0": {"is_Router": true, "neighbors": ["R_1", "T_0"], "top_module_fname": "noc_router.sv"},
"R_1": {"is_Router": true, "neighbors": ["R_0", "R_2"], "top_module_fname": "noc_router.sv"},
"R_2": {"is_Router": true, "neighbors": ["R_1", "T_2"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_2": {"is_Router": false, "top_module_fname": "compute_tile.sv"}})");
  RunSummary summary = soc_generator_noc(dir.path(), "noc_soc.json");
  EXPECT_EQ(summary.routers, 3u);
  std::string top = read_file(dir.path() + "/noc_soc.sv");
  EXPECT_EQ(top.find("R_1_EP"), std::string::npos);
  EXPECT_EQ(top.find("[-1:0]"), std::string::npos);
  EXPECT_NE(top.find(".INPUTS (2),\n.OUTPUTS (2)"), std::string::npos);
  EXPECT_NE(top.find(".in_flit ({out_flit_R_0_1,in_flit_R_1_2}),"), std::string::npos);
}

// A stale copy deeper down (backup/, a build folder) never wins over the user's own file in
// the base directory; among copies below it, the last by path wins, whatever the walk's order.
TEST(Generator, TheBaseDirectorysDescriptionWinsOverCopiesBelowIt) {
  TempDir dir;
  copy_example(dir.path());
  write_file(dir.path() + "/backup/noc_soc.json", "{}");
  RunSummary summary = soc_generator_noc(dir.path(), "noc_soc.json");
  EXPECT_EQ(last_description_path(), dir.path() + "/noc_soc.json");
  ASSERT_EQ(summary.warnings.size(), 1u);
  EXPECT_EQ(summary.warnings[0].rule, model::Rule::kDescriptionNameTwice);
  EXPECT_NE(summary.warnings[0].message.find("directly in the base directory"), std::string::npos);
}

TEST(Generator, BelowTheBaseDirectoryTheLastDescriptionByPathWins) {
  TempDir dir;
  copy_example(dir.path());
  std::string design = read_file(dir.path() + "/noc_soc.json");
  std::remove((dir.path() + "/noc_soc.json").c_str());
  write_file(dir.path() + "/a/noc_soc.json", "{}");
  write_file(dir.path() + "/b/noc_soc.json", design);
  soc_generator_noc(dir.path(), "noc_soc.json");
  EXPECT_EQ(last_description_path(), dir.path() + "/b/noc_soc.json");
  EXPECT_NE(read_file(dir.path() + "/noc_soc.sv").find("noc_router_R_3_inst"), std::string::npos);
}

TEST(Generator, RepeatedTileGetsItsOwnInstanceName) {
  TempDir dir;
  copy_example(dir.path());
  write_file(dir.path() + "/noc_soc.json", R"({
    "R_0": {"is_Router": 1, "neighbors": ["T_0", "R_1", "T_0"], "top_module_fname": "noc_router.sv"},
    "R_1": {"is_Router": true, "neighbors": ["R_0", "T_0"], "top_module_fname": "noc_router.sv"},
    "T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"}})");
  soc_generator_noc(dir.path(), "noc_soc.json");
  std::string text = read_file(dir.path() + "/noc_soc.sv");
  EXPECT_NE(text.find("compute_tile_T_0_inst(\n.clk (clk),\n.rst_sys (rst),\n"
                      ".noc_in_flit (noc_in_flit_R_0_EP[1]),"),
            std::string::npos);
  EXPECT_NE(text.find("compute_tile_T_0_inst_1(\n.clk (clk),\n.rst_sys (rst),\n"
                      ".noc_in_flit (noc_in_flit_R_0_EP[0]),"),
            std::string::npos);
  EXPECT_NE(text.find("compute_tile_T_0_inst_2(\n"), std::string::npos);
  EXPECT_NE(text.find(".INPUTS (5),"), std::string::npos);  // one router and two tiles
}

struct FailureCase {
  const char* label;
  const char* description;
  const char* message;
};
void PrintTo(const FailureCase& c, std::ostream* os) {
  *os << c.label;
}

class GeneratorFailure : public testing::TestWithParam<FailureCase> {};

TEST_P(GeneratorFailure, LeavesTheEarlierOutputAlone) {
  TempDir dir;
  copy_example(dir.path());
  write_file(dir.path() + "/noc_soc.sv", "earlier output\n");
  write_file(dir.path() + "/noc_soc.json", GetParam().description);
  std::string error = run_error(dir.path());
  EXPECT_NE(error.find(GetParam().message), std::string::npos) << error;
  EXPECT_NE(error.find("noc_soc.json"), std::string::npos) << error;
  EXPECT_EQ(read_file(dir.path() + "/noc_soc.sv"), "earlier output\n");
  EXPECT_FALSE(has_temp_file(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, GeneratorFailure,
    testing::Values(
        FailureCase{"empty", "", "the description is not valid JSON"},
        FailureCase{"array", "[1, 2]", "must be a JSON object"},
        FailureCase{
            "unknown_neighbour",
            R"({"R_3": {"is_Router": true, "neighbors": ["T_9"], "top_module_fname": "x"}})",
            "node \"R_3\": neighbour \"T_9\" is not a node of the description"},
        FailureCase{"missing_neighbors", R"({"R_1": {"is_Router": true, "top_module_fname": "x"}})",
                    "node \"R_1\": member \"neighbors\" is missing"},
        FailureCase{"numbers_as_neighbors",
                    R"({"R_1": {"is_Router": true, "neighbors": [1], "top_module_fname": "x"}})",
                    "member \"neighbors\" must be an array of node names"},
        FailureCase{"fname_not_text", R"({"T_1": {"is_Router": false, "top_module_fname": 7}})",
                    "member \"top_module_fname\" must be a text"},
        FailureCase{"no_router_neighbour", R"({
          "R_4": {"is_Router": true, "neighbors": ["T_4"], "top_module_fname": "noc_router.sv"},
          "T_4": {"is_Router": false, "top_module_fname": "compute_tile.sv"}})",
                    "node \"R_4\": has no router neighbour; every router needs at least one"},
        FailureCase{"no_number", R"({
          "R": {"is_Router": true, "neighbors": ["R_1"], "top_module_fname": "noc_router.sv"},
          "R_1": {"is_Router": true, "neighbors": ["R"], "top_module_fname": "noc_router.sv"}})",
                    "node \"R\": has router neighbours but no number"},
        FailureCase{
            "no_tile_source",
            R"({"R_0": {"is_Router": true, "neighbors": [], "top_module_fname": "noc_router.sv"}})",
            "no compute tile source: the description has no endpoint node"}),
    test::RowLabel());

TEST(Generator, ParseFailurePrintsTheParserLineOnce) {
  TempDir dir;
  copy_example(dir.path());
  write_file(dir.path() + "/noc_soc.json", "{\"R_0\": ");
  std::vector<std::string> lines;
  RunOptions options;
  options.print_line = [&](const std::string& line) { lines.push_back(line); };
  EXPECT_THROW(soc_generator_noc(dir.path(), "noc_soc.json", options), Error);
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_NE(lines[0].find("parse error"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(dir.path() + "/noc_soc.sv"));
}

TEST(Generator, KeepsAnIdenticalOutputWhenAsked) {
  TempDir dir;
  copy_example(dir.path());
  soc_generator_noc(dir.path(), "noc_soc.json");
  RunOptions keep;
  keep.keep_identical_output = true;
  EXPECT_TRUE(soc_generator_noc(dir.path(), "noc_soc.json", keep).unchanged);
  EXPECT_FALSE(soc_generator_noc(dir.path(), "noc_soc.json").unchanged);
}

TEST(Generator, OutputThatIsASymlinkIsReplacedNotFollowed) {
  TempDir dir;
  copy_example(dir.path());
  write_file(dir.path() + "/target.txt", "keep me\n");
  std::filesystem::create_symlink(dir.path() + "/target.txt", dir.path() + "/noc_soc.sv");
  soc_generator_noc(dir.path(), "noc_soc.json");
  EXPECT_EQ(read_file(dir.path() + "/target.txt"), "keep me\n");
  EXPECT_FALSE(std::filesystem::is_symlink(dir.path() + "/noc_soc.sv"));
}

}  // namespace
}  // namespace noc
