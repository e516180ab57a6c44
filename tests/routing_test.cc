// Routes on the networks users build: the port map read back from the plan, each algorithm on
// meshes, tori, rings and irregular graphs, and the dependency check that refuses what can
// deadlock.
#include "route/routing.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>

#include "model/design.h"
#include "route/dependency_check.h"
#include "route/port_map.h"
#include "test_util.h"

namespace noc::route {
namespace {

// A description from router adjacency: router i is R_i, with `tiles[i]` tiles T_i_k.
std::string description(const std::vector<std::vector<int>>& links, const std::vector<int>& tiles) {
  std::string text = "{\n";
  std::string tile_nodes;
  for (std::size_t r = 0; r < links.size(); ++r) {
    text += "\"R_" + std::to_string(r) + "\": {\"is_Router\": true, \"neighbors\": [";
    std::string comma;
    for (int other : links[r]) {
      text += comma + "\"R_" + std::to_string(other) + "\"";
      comma = ", ";
    }
    for (int k = 0; k < tiles[r]; ++k) {
      std::string tile = "\"T_" + std::to_string(r) + "_" + std::to_string(k) + "\"";
      text += comma + tile;
      comma = ", ";
      tile_nodes +=
          ",\n" + tile + ": {\"is_Router\": false, \"top_module_fname\": \"compute_tile.sv\"}";
    }
    text += "], \"top_module_fname\": \"noc_router.sv\"},\n";
  }
  text.erase(text.size() - 2);  // the last router's ",\n"
  return text + tile_nodes + "\n}\n";
}

std::vector<std::vector<int>> mesh(int w, int h, bool torus = false) {
  std::vector<std::vector<int>> links(static_cast<std::size_t>(w * h));
  auto add = [&](int a, int b) {
    if (a == b) return;
    auto& list = links[static_cast<std::size_t>(a)];
    if (std::find(list.begin(), list.end(), b) == list.end()) list.push_back(b);
  };
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) {
      int id = y * w + x;
      if (x + 1 < w || torus) add(id, y * w + (x + 1) % w);
      if (x > 0 || torus) add(id, y * w + (x + w - 1) % w);
      if (y + 1 < h || torus) add(id, ((y + 1) % h) * w + x);
      if (y > 0 || torus) add(id, ((y + h - 1) % h) * w + x);
    }
  return links;
}

std::vector<std::vector<int>> ring(int n) {
  std::vector<std::vector<int>> links(static_cast<std::size_t>(n));
  for (int i = 0; i < n; ++i) links[static_cast<std::size_t>(i)] = {(i + 1) % n, (i + n - 1) % n};
  return links;
}

// Seven routers, one of them (R_3) a hub of a cycle and a tail: no grid, no ring.
std::vector<std::vector<int>> irregular() {
  return {{1, 3}, {0, 2, 3}, {1, 3}, {0, 1, 2, 4, 5}, {3, 6}, {3, 6}, {4, 5}};
}

class Network : public testing::Test {
 protected:
  PortMap load(const std::vector<std::vector<int>>& links, std::vector<int> tiles = {}) {
    if (tiles.empty()) tiles.assign(links.size(), 1);
    test::copy_example(dir_.path());
    test::write_file(dir_.path() + "/noc_soc.json", description(links, tiles));
    model::DesignRequest request;
    request.base_dir = dir_.path();
    design_ = std::make_unique<model::Design>(model::load_design(request));
    if (const model::Diagnostic* error = design_->first_error()) ADD_FAILURE() << render(*error);
    return build_port_map(*design_->resolution->plan, 2);
  }

  test::TempDir dir_;
  std::unique_ptr<model::Design> design_;
};

TEST_F(Network, SlotsFollowTheTopsOrder) {
  // R_0 lists R_1 then R_2, then two tiles: R_2 is slot 0, R_1 slot 1, the first tile highest.
  PortMap map = load({{1, 2}, {0, 2}, {0, 1}}, {2, 1, 1});
  const std::vector<Slot>& slots = map.routers[0].slots;
  ASSERT_EQ(slots.size(), 6u);
  EXPECT_EQ(slots[0].router, 2);
  EXPECT_EQ(slots[1].router, 1);
  EXPECT_EQ(slots[0].far_slot, 1);  // R_2 lists R_0 first, so R_0 is R_2's slot 1
  EXPECT_EQ(slots[0].link, "R_0_2");
  EXPECT_EQ((std::pair(slots[4].tile, slots[4].channel)), (std::pair(0, 0)));  // T_0_0
  EXPECT_EQ((std::pair(slots[5].tile, slots[5].channel)), (std::pair(0, 1)));
  EXPECT_EQ((std::pair(slots[2].tile, slots[3].channel)), (std::pair(1, 1)));  // T_0_1
  // Destinations: tile instances in noc_top's order, two channels each.
  ASSERT_EQ(map.destinations.size(), 8u);
  EXPECT_EQ(map.tile_instances[1], "compute_tile_T_0_1_inst");
  EXPECT_EQ((std::pair(map.destinations[3].router, map.destinations[3].slot)), (std::pair(0, 3)));
  EXPECT_EQ(map.destinations[6].router, 2);
}

struct RoutingCase {
  const char* label;
  std::vector<std::vector<int>> links;
  Algorithm algorithm;
  Algorithm used;
};

class Routes : public Network, public testing::WithParamInterface<RoutingCase> {};

// Every table must deliver from every router to every destination, without turning back, and
// (but for shortest paths where they may deadlock) with no cycle of waiting channels.
TEST_P(Routes, DeliverEverywhereWithoutACycle) {
  const RoutingCase& row = GetParam();
  PortMap map = load(row.links);
  RoutingTable table = compute_routes(map, row.algorithm);
  EXPECT_EQ(table.algorithm, row.used);
  RouteCheck check = check_routes(map, table);
  EXPECT_TRUE(check.problems.empty()) << check.problems.front();
  EXPECT_TRUE(check.cycle.empty()) << cycle_text(map, check.cycle);
}

INSTANTIATE_TEST_SUITE_P(
    Networks, Routes,
    testing::Values(
        RoutingCase{"xy_mesh_3x3", mesh(3, 3), Algorithm::kXy, Algorithm::kXy},
        RoutingCase{"xy_mesh_4x2", mesh(4, 2), Algorithm::kXy, Algorithm::kXy},
        RoutingCase{"xy_line_4", mesh(4, 1), Algorithm::kXy, Algorithm::kXy},
        RoutingCase{"auto_mesh_is_xy", mesh(3, 2), Algorithm::kAuto, Algorithm::kXy},
        RoutingCase{"auto_torus_is_updown", mesh(4, 4, true), Algorithm::kAuto, Algorithm::kUpDown},
        RoutingCase{"updown_ring_8", ring(8), Algorithm::kUpDown, Algorithm::kUpDown},
        RoutingCase{"updown_irregular", irregular(), Algorithm::kUpDown, Algorithm::kUpDown},
        RoutingCase{"shortest_mesh", mesh(3, 3), Algorithm::kShortest, Algorithm::kShortest},
        RoutingCase{"shortest_line", mesh(5, 1), Algorithm::kShortest, Algorithm::kShortest}),
    test::RowLabel());

TEST_F(Network, UpDownCarriesTrafficThroughTransitRouters) {
  PortMap map = load(irregular(), {1, 0, 1, 0, 1, 1, 1});
  RoutingTable table = compute_routes(map, Algorithm::kUpDown);
  RouteCheck check = check_routes(map, table);
  EXPECT_TRUE(check.problems.empty()) << check.problems.front();
  EXPECT_TRUE(check.cycle.empty()) << cycle_text(map, check.cycle);
  EXPECT_EQ(map.routers[3].slots.size(), 5u);  // the hub: links alone
  EXPECT_EQ(map.destinations.size(), 10u);
}

TEST_F(Network, XyGoesAlongTheRowFirst) {
  PortMap map = load(mesh(3, 3));
  RoutingTable table = compute_routes(map, Algorithm::kXy);
  ASSERT_EQ(table.width, 3);
  // From R_0 to R_8's tile: towards R_1 (the row), not R_3 (the column).
  EXPECT_EQ(table.out[0][16], slot_to(map, 0, 1));
  EXPECT_EQ(table.out[2][16], slot_to(map, 2, 5));
}

TEST_F(Network, XyRefusesWhatIsNoMeshSayingWhy) {
  PortMap map = load(ring(6));
  try {
    compute_routes(map, Algorithm::kXy);
    FAIL() << "a ring was routed as a mesh";
  } catch (const Error& error) {
    EXPECT_NE(error.message().find("has 6 (\"R_0\", \"R_1\", \"R_2\" and 3 more)"),
              std::string::npos)
        << error.message();
  }
}

TEST_F(Network, ShortestPathsOnARingAreADeadlockTheCheckNames) {
  PortMap map = load(ring(6));
  RouteCheck check = check_routes(map, compute_routes(map, Algorithm::kShortest));
  ASSERT_FALSE(check.cycle.empty());
  EXPECT_EQ(check.cycle.front(), check.cycle.back());
  EXPECT_NE(cycle_text(map, check.cycle).find(" out "), std::string::npos);
}

TEST_F(Network, ATableThatTurnsBackIsNamed) {
  PortMap map = load(mesh(3, 1));
  RoutingTable table = compute_routes(map, Algorithm::kXy);
  table.out[1][0] = slot_to(map, 1, 2);  // R_1 sends R_0's traffic away from it
  RouteCheck check = check_routes(map, table);
  ASSERT_FALSE(check.problems.empty());
  EXPECT_NE(check.problems.front().find("back out of slot"), std::string::npos)
      << check.problems.front();
}

}  // namespace
}  // namespace noc::route
