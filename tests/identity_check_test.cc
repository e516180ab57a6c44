// A top is held to the identity a routing hands its modules, and a ROUTES literal is read back
// into the slot each destination leaves by.
#include "verify/identity_check.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace noc::verify {
namespace {

struct LiteralRow {
  const char* name;
  const char* text;
  int outputs, dests;
  std::optional<std::vector<int>> slots;
};

class RoutesLiteral : public ::testing::TestWithParam<LiteralRow> {};

TEST_P(RoutesLiteral, GivesTheSlotOfEachDestination) {
  const LiteralRow& row = GetParam();
  EXPECT_EQ(route::routes_of_literal(row.text, row.outputs, row.dests), row.slots);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, RoutesLiteral,
    ::testing::Values(
        // bit d * outputs + o: destination 0 by slot 1, destination 1 by slot 0, 2 by none
        LiteralRow{"Hex", "6'h06", 2, 3, std::vector<int>{1, 0, -1}},
        LiteralRow{"BinaryWithUnderscores", "6'b00_01_10", 2, 3, std::vector<int>{1, 0, -1}},
        LiteralRow{"SeveralBitsForOneDestination", "4'b0011", 2, 2, std::vector<int>{-2, -1}},
        LiteralRow{"Decimal", "4'd9", 2, 2, std::vector<int>{0, 1}},
        LiteralRow{"FillWithZeros", "'0", 2, 2, std::vector<int>{-1, -1}},
        LiteralRow{"Unknown", "4'hx", 2, 2, std::nullopt},
        LiteralRow{"WiderThanTheTable", "8'h80", 2, 2, std::nullopt},
        LiteralRow{"NotALiteral", "TABLE", 2, 2, std::nullopt},
        LiteralRow{"FillWithOnes", "'1", 2, 2, std::nullopt}),
    test::RowLabel());

// Two routers joined by a link, a tile on each; each router sends its own tile's destinations
// to the tile, the others over the link.
route::DesignRoutes two_routers() {
  route::DesignRoutes routes;
  routes.map.routers = {
      {"R_0",
       {route::Slot{true, 1, 0, "R_0_1", -1, 0}, route::Slot{false, -1, -1, {}, 0, 0},
        route::Slot{false, -1, -1, {}, 0, 1}}},
      {"R_1",
       {route::Slot{true, 0, 0, "R_0_1", -1, 0}, route::Slot{false, -1, -1, {}, 1, 0},
        route::Slot{false, -1, -1, {}, 1, 1}}}};
  routes.map.destinations = {{0, 0, 0, 1}, {0, 1, 0, 2}, {1, 0, 1, 1}, {1, 1, 1, 2}};
  routes.map.tile_instances = {"tile_T_0_inst", "tile_T_1_inst"};
  routes.map.slots_per_tile = 2;
  routes.table.algorithm = route::Algorithm::kXy;
  routes.table.out = {{1, 2, 0, 0}, {0, 0, 1, 2}};
  routes.identity = route::make_identity(routes.map, routes.table, 32, {true, true}, {"ID", ""});
  return routes;
}

TopInstance router(const std::string& name, std::vector<ParameterValue> parameters) {
  return TopInstance{"noc_router", name, std::move(parameters), {}};
}

TEST(IdentityProblems, NamesEachInstanceThatIsGivenOtherThanItsIdentity) {
  route::DesignRoutes routes = two_routers();
  const route::Identity& identity = routes.identity;
  std::vector<TopInstance> right = {
      router("noc_router_R_0_inst", {{"DESTS", "32"}, {"ROUTES", identity.routes[0]}}),
      router("noc_router_R_1_inst", {{"DESTS", "32"}, {"ROUTES", identity.routes[1]}}),
      TopInstance{"tile", "tile_T_0_inst", {{"CONFIG", "CONFIG"}, {"ID", "0"}}, {}}};
  EXPECT_EQ(identity_problems(right, routes, {"noc_router", "noc_router"}),
            std::vector<std::string>{});

  std::vector<TopInstance> wrong = right;
  // destination 0 by slot 2 (bit 2), the others as the table has them (bits 5, 6 and 9)
  wrong[0].parameters[1].value = "96'h" + std::string(21, '0') + "264";
  wrong[1].parameters = {{"DESTS", "32"}};
  wrong[2].parameters = {{"CONFIG", "CONFIG"}, {"ID", "2"}};
  EXPECT_EQ(identity_problems(wrong, routes, {"noc_router", "noc_router"}),
            (std::vector<std::string>{
                "noc_router_R_0_inst: ROUTES sends destination 0 by slot 2, while xy routing "
                "sends it by slot 1",
                "noc_router_R_1_inst: ROUTES is not given: the router keeps its default",
                "tile_T_0_inst: ID is 2, while its number is 0"}));
}

}  // namespace
}  // namespace noc::verify
