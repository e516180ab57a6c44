// The destinations a fixed pattern gives each source, and the bits of the first flit that carry
// the destination.
#include "verify/traffic_config.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "test_util.h"
#include "traffic_test_util.h"

namespace noc::verify {
namespace {

struct PartnerRow {
  const char* name;
  Pattern pattern;
  int routers;
  std::vector<int> partners;
};

class Partners : public ::testing::TestWithParam<PartnerRow> {};

TEST_P(Partners, AreTheBitsOfTheSourceAsThePatternSays) {
  const PartnerRow& row = GetParam();
  route::DesignRoutes routes = test::ring_routes(row.routers, route::Algorithm::kUpDown);
  EXPECT_EQ(pattern_partners(row.pattern, routes.map), row.partners);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Partners,
    ::testing::Values(
        // 8 destinations, 3 bits: 1 = 001 -> 110 = 6
        PartnerRow{"BitComplement", Pattern::kBitComplement, 4, {7, 6, 5, 4, 3, 2, 1, 0}},
        // 6 destinations: partners 7 and 6 do not exist, so 0 and 1 send nothing
        PartnerRow{
            "BitComplementBeyondTheNetwork", Pattern::kBitComplement, 3, {-1, -1, 5, 4, 3, 2}},
        // 16 destinations, 4 bits: (upper, lower) -> (lower, upper); 1 = 00 01 -> 01 00 = 4
        PartnerRow{"Transpose",
                   Pattern::kTranspose,
                   8,
                   {-1, 4, 8, 12, 1, -1, 9, 13, 2, 6, -1, 14, 3, 7, 11, -1}},
        // Slot 0 is the previous router: its tile's same channel.
        PartnerRow{"Neighbour", Pattern::kNeighbour, 3, {4, 5, 0, 1, 2, 3}}),
    test::RowLabel());

struct DestFieldRow {
  const char* name;
  const char* text;
  int width, destinations;
  const char* error;  ///< a part of the message; empty when the field is taken
};

class DestFields : public ::testing::TestWithParam<DestFieldRow> {};

TEST_P(DestFields, AreTakenOnlyWhenTheyFitAndNumberEveryDestination) {
  const DestFieldRow& row = GetParam();
  try {
    DestField field = parse_dest_field(row.text, row.width, row.destinations);
    EXPECT_STREQ(row.error, "") << field.hi << ":" << field.lo;
  } catch (const Error& error) {
    EXPECT_NE(std::string(row.error), "");
    EXPECT_NE(error.message().find(row.error), std::string::npos) << error.message();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, DestFields,
    ::testing::Values(DestFieldRow{"TopByte", "31:24", 32, 200, ""},
                      DestFieldRow{"LowBits", "4:0", 32, 32, ""},
                      DestFieldRow{"TooFewBits", "4:0", 32, 33, "too few to number 33"},
                      DestFieldRow{"AboveTheFlit", "32:28", 32, 4, "above the flit's 32 bits"},
                      DestFieldRow{"Reversed", "24:31", 32, 4, "not HI:LO"},
                      DestFieldRow{"Trailing", "31:24x", 32, 4, "not HI:LO"}),
    test::RowLabel());

TEST(DefaultDestField, IsTheTopBitsThatNumberDests) {
  EXPECT_EQ(default_dest_field(32, 32).lo, 27);
  EXPECT_EQ(default_dest_field(32, 33).lo, 26);
  EXPECT_EQ(default_dest_field(64, 32).hi, 63);
}

}  // namespace
}  // namespace noc::verify
