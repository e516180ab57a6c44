// Hostile and broken inputs: each run fails with one clear line and leaves the design directory
// as it was (an earlier noc_soc.sv unchanged, no temporary file).
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>
#include <ostream>

#include <filesystem>
#include <fstream>

#include "app/soc_generator.h"
#include "common/error.h"
#include "test_util.h"

namespace noc {
namespace {

namespace fs = std::filesystem;
using test::copy_example;
using test::has_temp_file;
using test::read_file;
using test::run_error;
using test::TempDir;
using test::write_file;

constexpr const char* kEarlier = "earlier output\n";

// A copy of the example with an earlier output in place.
struct Design {
  TempDir dir;
  Design() {
    copy_example(dir.path());
    write_file(path("noc_soc.sv"), kEarlier);
  }
  std::string path(const std::string& name) const { return dir.path() + "/" + name; }

  void expect_failure(const std::string& message) const {
    std::string error = run_error(dir.path());
    EXPECT_NE(error.find(message), std::string::npos) << error;
    EXPECT_EQ(error.find('\n'), std::string::npos) << error;
    EXPECT_EQ(read_file(path("noc_soc.sv")), kEarlier);
    EXPECT_FALSE(has_temp_file(dir.path()));
  }
};

struct BadDescription {
  const char* label;
  std::string text;
  const char* message;
};
void PrintTo(const BadDescription& c, std::ostream* os) {
  *os << c.label;
}

class BadDescriptions : public testing::TestWithParam<BadDescription> {};

TEST_P(BadDescriptions, FailWithOneLineAndKeepTheOutput) {
  Design design;
  write_file(design.path("noc_soc.json"), GetParam().text);
  design.expect_failure(GetParam().message);
}

std::string deep_arrays(std::size_t depth) {
  return "{\"R_0\": {\"is_Router\": true, \"neighbors\": " + std::string(depth, '[') +
         std::string(depth, ']') + "}}";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadDescriptions,
    testing::Values(
        BadDescription{"truncated", R"({"R_0": {"is_Router": tr)", "not valid JSON"},
        BadDescription{"not_utf8", "{\"R_\xff\": {\"is_Router\": true}}", "not valid JSON"},
        BadDescription{"number_top", "42", "must be a JSON object"},
        BadDescription{"record_is_array", R"({"R_0": [1, 2]})", "not a JSON object"},
        BadDescription{"record_is_text", R"({"T_0": "tile"})", "not a JSON object"},
        BadDescription{
            "nested_neighbours",
            R"({"R_0": {"is_Router": true, "neighbors": [["R_1"]], "top_module_fname": "a"}})",
            "must be an array of node names"},
        BadDescription{"fname_null", R"({"T_0": {"is_Router": false, "top_module_fname": null}})",
                       "must be a text"},
        BadDescription{"deep_nesting", deep_arrays(100000), "must be an array of node names"}),
    test::RowLabel());

TEST(BadInput, HugeDescriptionIsReadInOnePass) {
  Design design;
  {
    std::ofstream out(design.path("noc_soc.json"), std::ios::binary);
    out << "{\"R_0\": ";
    std::string spaces(1 << 20, ' ');
    for (int i = 0; i < 200; ++i) out << spaces;
    out << "[1,";
  }
  design.expect_failure("not valid JSON");
}

TEST(BadInput, SymlinkLoopInTheTreeIsNotEntered) {
  Design design;
  fs::create_directory_symlink(design.dir.path(), design.path("loop"));
  EXPECT_EQ(run_error(design.dir.path()), "");
  EXPECT_NE(read_file(design.path("noc_soc.sv")).find("module noc_top"), std::string::npos);
}

TEST(BadInput, TileSourceThatIsADirectoryIsNotASource) {
  Design design;
  fs::remove(design.path("compute_tile.sv"));
  fs::create_directory(design.path("compute_tile.sv"));
  design.expect_failure("no source named \"compute_tile.sv\"");
}

TEST(BadInput, EmptyRouterSourceDeclaresNoModule) {
  Design design;
  write_file(design.path("noc_router.sv"), "");
  design.expect_failure("declares no module");
}

TEST(BadInput, TilePortWithAnEscapedNameIsRefused) {
  Design design;
  std::string tile = read_file(design.path("compute_tile.sv"));
  tile.replace(tile.find("noc_in_valid"), 12, "\\noc_in_valid ");
  write_file(design.path("compute_tile.sv"), tile);
  design.expect_failure("compute tile port \"\\noc_in_valid \" has an escaped name");
}

TEST(BadInput, RouterHeaderThatCannotBeReadExactlyNamesTheToken) {
  Design design;
  std::string router = read_file(design.path("noc_router.sv"));
  router.replace(router.find("input clk"), 9, "input clk_i clk");
  write_file(design.path("noc_router.sv"), router);
  design.expect_failure("unknown type 'clk_i'");
}

TEST(BadInput, TilesWithoutRoutersWriteAnEmptyNetwork) {
  // A tile NoC input without a second field pairs with nothing; with no router no wire is named.
  Design design;
  write_file(design.path("noc_soc.json"),
             R"({"T_0": {"is_Router": false, "top_module_fname": "tile.sv"}})");
  write_file(design.path("tile.sv"),
             "module tile(input clk, input noc, output noc_out_x); endmodule\n");
  EXPECT_EQ(run_error(design.dir.path()), "");
  std::string top = read_file(design.path("noc_soc.sv"));
  EXPECT_TRUE(top.ends_with("VCHANNELS = 2;\n\n\n\n\nendmodule\n")) << top;
}

TEST(BadInput, UnreadableTileSourceNamesTheFile) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads every file";
  Design design;
  chmod(design.path("compute_tile.sv").c_str(), 0);
  design.expect_failure("compute_tile.sv");
}

TEST(BadInput, ReadOnlyOutputDirectoryFailsCleanly) {
  if (geteuid() == 0) GTEST_SKIP() << "root writes every directory";
  Design design;
  chmod(design.dir.path().c_str(), 0555);
  design.expect_failure("cannot create the output file");
  chmod(design.dir.path().c_str(), 0755);
}

}  // namespace
}  // namespace noc
