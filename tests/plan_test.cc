// The plan: module and instance names resolved before the first byte, in output order.
#include "model/plan.h"
#include "model/description_reader.h"

#include <gtest/gtest.h>

#include "model/resolve.h"
#include "test_util.h"

namespace noc::model {
namespace {

struct Planned {
  test::TempDir dir;
  std::optional<Description> description;
  std::unique_ptr<rtl::RtlCatalog> catalog;
  DiagnosticSink sink;
  std::unique_ptr<Resolution> resolved;

  explicit Planned(const std::string& text) {
    test::copy_example(dir.path());
    std::string tile = test::read_file(test::example_dir() + "/compute_tile.sv");
    test::write_file(dir.path() + "/tile_b.sv",
                     tile.replace(tile.find("module compute_tile"), 19, "module tile_b"));
    description = parse_description(dir.path() + "/d.json", text, {});
    catalog = std::make_unique<rtl::RtlCatalog>(dir.path());
    resolved = resolve(*description, *catalog, sink);
  }
};

TEST(Plan, NamesEveryInstanceBeforeWriting) {
  Planned p(R"({
    "R_0": {"is_Router": true, "neighbors": ["T_0", "R_1", "T_1"], "top_module_fname": "noc_router.sv"},
    "R_1": {"is_Router": true, "neighbors": ["R_0", "T_0"], "top_module_fname": "noc_router.sv"},
    "T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
    "T_1": {"is_Router": false, "top_module_fname": "tile_b.sv"}})");
  ASSERT_FALSE(p.sink.has_error()) << render(*p.sink.first_error());
  const std::vector<RouterBlock>& blocks = p.resolved->plan->blocks;
  ASSERT_EQ(blocks.size(), 2u);
  EXPECT_EQ(blocks[0].module, "noc_router");
  ASSERT_EQ(blocks[0].tiles.size(), 2u);
  EXPECT_EQ(blocks[0].tiles[0].module, "compute_tile");
  EXPECT_EQ(blocks[0].tiles[0].instance(), "compute_tile_T_0_inst");
  EXPECT_EQ(blocks[0].tiles[0].index, 1);
  EXPECT_EQ(blocks[0].tiles[1].module, "tile_b");
  EXPECT_EQ(blocks[0].tiles[1].index, 0);
  // T_0 listed by a second router is a second instance with a name of its own.
  EXPECT_EQ(blocks[1].tiles[0].instance(), "compute_tile_T_0_inst_1");
}

TEST(Plan, ASourceThatCannotBeReadIsFoundBeforeAnyOutput) {
  Planned p(R"({
    "R_0": {"is_Router": true, "neighbors": ["R_1", "T_0"], "top_module_fname": "noc_router.sv"},
    "R_1": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "gone.sv"},
    "T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
    "T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"}})");
  const Diagnostic* error = p.sink.first_error();
  ASSERT_NE(error, nullptr);
  EXPECT_EQ(error->rule, Rule::kSourceProblem);
  EXPECT_EQ(error->node, "R_1");
  EXPECT_EQ(error->line, 3);
  EXPECT_NE(error->message.find("no source named \"gone.sv\""), std::string::npos);
}

}  // namespace
}  // namespace noc::model
