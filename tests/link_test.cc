// Link names, the first-end test, and the table's names spelled once for both ends.
#include <gtest/gtest.h>

#include "model/description.h"
#include "model/description_reader.h"
#include "model/link.h"
#include "model/router_table.h"
#include "test_util.h"

namespace noc::model {
namespace {

TEST(LinkName, SmallerNumberFirstAndNeighbourPrefix) {
  EXPECT_EQ(link_name("R_10", "R_9"), "R_9_10");
  EXPECT_EQ(link_name("R_01", "R_2"), "R_1_2");
  EXPECT_EQ(link_name("R_1", "X_2"), "X_1_2");
  EXPECT_EQ(link_name("R_0_1", "R_1_1"), "R_0_1");
  EXPECT_EQ(link_name("R", "R_1"), std::nullopt);
}

TEST(LinkName, NumbersOfAnyLengthCompareAsIntegers) {
  EXPECT_EQ(link_name("R_9223372036854775808", "R_1"), "R_1_9223372036854775808");
  EXPECT_EQ(link_name("R_100000000000000000000", "R_99999999999999999999"),
            "R_99999999999999999999_100000000000000000000");
  EXPECT_EQ(link_name("R_-3", "R_+2"), "R_-3_2");
  EXPECT_EQ(link_name("R_-0", "R_007"), "R_0_7");
}

struct FirstEndCase {
  const char* name;
  const char* router;
  const char* neighbour;
  bool first_end;
};

class FirstEnd : public testing::TestWithParam<FirstEndCase> {};

// The end that declares a link's wires is the one whose own fields spell the link name.
TEST_P(FirstEnd, IsTheEndWhoseFieldsSpellTheLinkName) {
  const FirstEndCase& c = GetParam();
  EXPECT_EQ(is_first_end(c.router, c.neighbour), c.first_end);
  std::optional<std::string> link = link_name(c.router, c.neighbour);
  if (link) {
    EXPECT_EQ(reads_as_first_end(*link, c.router, c.neighbour), c.first_end);
  }
}

INSTANTIATE_TEST_SUITE_P(Names, FirstEnd,
                         testing::Values(FirstEndCase{"lower_number", "R_9", "R_10", true},
                                         FirstEndCase{"higher_number", "R_10", "R_9", false},
                                         FirstEndCase{"leading_zero_here", "R_01", "R_2", false},
                                         FirstEndCase{"leading_zero_there", "R_2", "R_01", false},
                                         FirstEndCase{"other_prefix", "R_1", "X_2", false},
                                         FirstEndCase{"plus_sign", "R_+1", "R_2", false},
                                         FirstEndCase{"negative", "R_-3", "R_2", true},
                                         FirstEndCase{"third_field_ignored", "R_1_a", "R_2_b",
                                                      true},
                                         FirstEndCase{"itself", "R_4", "R_4", true},
                                         FirstEndCase{"no_number", "R", "R_2", false}),
                         test::RowLabel());

Description parse(const std::string& text) {
  return parse_description("d.json", text, {});
}

TEST(LinkNames, BothEndsOfALinkShareOneName) {
  Description d = parse(R"({
    "R_0": {"is_Router": true, "neighbors": ["R_1", "R_2"], "top_module_fname": "r.sv"},
    "R_1": {"is_Router": true, "neighbors": ["R_0", "R_0"], "top_module_fname": "r.sv"},
    "R_2": {"is_Router": true, "neighbors": ["R_0"], "top_module_fname": "r.sv"}})");
  RouterTable table = build_router_table(d);
  ASSERT_EQ(table.link_names.size(), 2u);
  const RouterRecord& r1 = table.routers[1];
  EXPECT_EQ(table.link_names[r1.links[0].name], "R_0_1");
  EXPECT_EQ(r1.links[0].name, table.routers[0].links[0].name);
  EXPECT_EQ(r1.links[1].name, r1.links[0].name);
  EXPECT_TRUE(table.routers[0].links[0].first_end);
  EXPECT_FALSE(r1.links[0].first_end);
  EXPECT_EQ(table.link_names[table.routers[2].links[0].name], "R_0_2");
}

// Each end spells the link with the other's prefix: two prefixes make two names, and neither
// end reads as the first.
TEST(LinkNames, EndsWithOtherPrefixesSpellTwoNames) {
  Description d = parse(R"({
    "R_1": {"is_Router": true, "neighbors": ["X_2"], "top_module_fname": "r.sv"},
    "X_2": {"is_Router": true, "neighbors": ["R_1"], "top_module_fname": "r.sv"}})");
  RouterTable table = build_router_table(d);
  ASSERT_EQ(table.link_names.size(), 2u);
  EXPECT_EQ(table.link_names[table.routers[0].links[0].name], "X_1_2");
  EXPECT_EQ(table.link_names[table.routers[1].links[0].name], "R_1_2");
  EXPECT_FALSE(table.routers[0].links[0].first_end);
  EXPECT_FALSE(table.routers[1].links[0].first_end);
}

}  // namespace
}  // namespace noc::model
