// What every input slot must receive, from the description alone: routers give slots to their
// neighbours in the order the description lists them, and bundles meet bundles of their kind.
#include "verify/expected_wiring.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>

#include "model/description_reader.h"
#include "test_util.h"

namespace noc::verify {
namespace {

struct Resolved {
  test::TempDir dir;
  std::optional<model::Description> description;
  std::unique_ptr<rtl::RtlCatalog> catalog;
  model::DiagnosticSink sink;
  std::unique_ptr<model::Resolution> resolution;

  explicit Resolved(const std::string& text) {
    test::copy_example(dir.path());
    description = model::parse_description(dir.path() + "/d.json", text, {});
    catalog = std::make_unique<rtl::RtlCatalog>(dir.path());
    resolution = model::resolve(*description, *catalog, sink);
  }
};

std::string slot_text(const ExpectedWiring& w, const SlotRef& s) {
  return w.instances[s.instance].node + "." + s.port + "[" + std::to_string(s.slot) + "]";
}

// receiver -> sender, as "R_0.in_valid[0]" -> "R_2.out_valid[1]".
std::map<std::string, std::string> senders(const ExpectedWiring& w) {
  std::map<std::string, std::string> out;
  for (const ExpectedInput& input : w.inputs)
    out[slot_text(w, input.receiver)] = slot_text(w, input.sender);
  return out;
}

constexpr const char* kExample = R"({
  "R_0": {"is_Router": true, "neighbors": ["R_1", "R_2", "T_0"], "top_module_fname": "noc_router.sv"},
  "R_1": {"is_Router": true, "neighbors": ["R_0", "R_3", "T_1"], "top_module_fname": "noc_router.sv"},
  "R_2": {"is_Router": true, "neighbors": ["R_0", "R_3", "T_2"], "top_module_fname": "noc_router.sv"},
  "R_3": {"is_Router": true, "neighbors": ["R_1", "R_2", "T_3"], "top_module_fname": "noc_router.sv"},
  "T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
  "T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
  "T_2": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
  "T_3": {"is_Router": false, "top_module_fname": "compute_tile.sv"}})";

// Two tiles on R_0, listed around its one router neighbour.
constexpr const char* kTwoTiles = R"({
  "R_0": {"is_Router": true, "neighbors": ["T_0", "R_1", "T_1"], "top_module_fname": "noc_router.sv"},
  "R_1": {"is_Router": true, "neighbors": ["R_0", "T_2"], "top_module_fname": "noc_router.sv"},
  "T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
  "T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
  "T_2": {"is_Router": false, "top_module_fname": "compute_tile.sv"}})";

struct SlotCase {
  const char* label;
  const char* description;
  const char* receiver;
  const char* sender;
};
void PrintTo(const SlotCase& c, std::ostream* os) {
  *os << c.label;
}

class ExpectsSender : public testing::TestWithParam<SlotCase> {};

TEST_P(ExpectsSender, FromTheDescription) {
  Resolved r(GetParam().description);
  ASSERT_FALSE(r.sink.has_error()) << model::render(*r.sink.first_error());
  std::map<std::string, std::string> table = senders(expected_wiring(*r.resolution, 2));
  ASSERT_TRUE(table.count(GetParam().receiver)) << GetParam().receiver;
  EXPECT_EQ(table.at(GetParam().receiver), GetParam().sender);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExpectsSender,
    testing::Values(
        // The last router neighbour takes slot 0; the other end counts the same way.
        SlotCase{"last_router_neighbour_on_slot_0", kExample, "R_0.in_valid[0]",
                 "R_2.out_valid[1]"},
        SlotCase{"first_router_neighbour_above_it", kExample, "R_0.in_flit[1]", "R_1.out_flit[1]"},
        SlotCase{"ready_comes_back_from_the_receiver", kExample, "R_1.out_ready[1]",
                 "R_0.in_ready[1]"},
        SlotCase{"tile_channels_above_the_links", kExample, "R_0.in_flit[2]",
                 "T_0.noc_out_flit[0]"},
        SlotCase{"tile_ready_into_router_output_bundle", kExample, "R_0.out_ready[3]",
                 "T_0.noc_in_ready[1]"},
        SlotCase{"tile_input_from_its_router", kExample, "T_0.noc_in_flit[1]", "R_0.out_flit[3]"},
        SlotCase{"tile_ready_from_router_input_bundle", kExample, "T_3.noc_out_ready[0]",
                 "R_3.in_ready[2]"},
        SlotCase{"first_listed_tile_on_the_highest_slots", kTwoTiles, "R_0.in_flit[4]",
                 "T_0.noc_out_flit[1]"},
        SlotCase{"last_listed_tile_next_to_the_links", kTwoTiles, "R_0.in_flit[1]",
                 "T_1.noc_out_flit[0]"},
        SlotCase{"router_neighbour_between_tiles_keeps_slot_0", kTwoTiles, "R_0.in_flit[0]",
                 "R_1.out_flit[0]"},
        SlotCase{"router_clock_from_the_top", kTwoTiles, "R_1.clk[0]", "noc_top.clk[0]"},
        SlotCase{"router_reset_from_the_top", kTwoTiles, "R_0.rst[0]", "noc_top.rst[0]"},
        SlotCase{"tile_clock_from_the_top", kTwoTiles, "T_1.clk[0]", "noc_top.clk[0]"},
        SlotCase{"tile_system_reset_from_rst", kTwoTiles, "T_0.rst_sys[0]", "noc_top.rst[0]"}));

TEST(ExpectedWiring, CountsSlotsAndGroups) {
  Resolved r(kTwoTiles);
  ExpectedWiring w = expected_wiring(*r.resolution, 2);
  ASSERT_EQ(w.instances.size(), 6u);
  EXPECT_EQ(w.instances[0].kind, NodeKind::kTop);
  EXPECT_EQ(w.instances[1].slots, 5);  // one link and two tiles of two channels
  EXPECT_EQ(w.instances[1].instance, "noc_router_R_0_inst");
  int links = 0, tiles = 0, routers = 0;
  for (const Group& g : w.groups)
    (g.kind == GroupKind::kLink ? links : g.kind == GroupKind::kTile ? tiles : routers) += 1;
  EXPECT_EQ(links, 1);
  EXPECT_EQ(tiles, 3);
  EXPECT_EQ(routers, 2);
}

}  // namespace
}  // namespace noc::verify
