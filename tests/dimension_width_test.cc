// Counting a port's elements from its dimensions, as far as the dimensions are known.
#include "model/dimension_width.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <ostream>

namespace noc::model {
namespace {

struct ElementCase {
  const char* label;
  const char* dimensions;
  std::optional<std::int64_t> elements;
};
void PrintTo(const ElementCase& c, std::ostream* os) {
  *os << c.label;
}

const std::vector<rtl::ModuleParameter> kParams = {
    {"WIDTH", "32", false, ""},      {"CHANNELS", "2", true, ""},
    {"HALF", "WIDTH / 2", true, ""}, {"DEPTH", "$clog2(WIDTH) + 1", false, ""},
    {"CONFIG", "'x", false, ""},     {"FLIT", "CONFIG.NOC_FLIT_WIDTH", true, ""},
    {"LOOP", "LOOP + 1", true, ""},
};

class Elements : public testing::TestWithParam<ElementCase> {};

TEST_P(Elements, AreCountedOnlyWhenEveryBoundIsKnown) {
  EXPECT_EQ(dimension_elements(GetParam().dimensions, parameter_values(kParams)),
            GetParam().elements);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Elements,
    testing::Values(ElementCase{"no_dimension_is_one_bit", "", 1},
                    ElementCase{"descending_range", "[WIDTH-1:0]", 32},
                    ElementCase{"ascending_range", "[0:7]", 8},
                    ElementCase{"ranges_multiply", "[CHANNELS-1:0][WIDTH-1:0]", 64},
                    ElementCase{"parameters_name_each_other", "[HALF-1:0]", 16},
                    ElementCase{"clog2", "[DEPTH-1:0]", 6},
                    ElementCase{"based_literals", "[8'h1f:'d0]", 32},
                    ElementCase{"c_style_size", "[4]", 4},
                    ElementCase{"indexed_part", "[WIDTH+:8]", 8},
                    ElementCase{"conditional", "[(CHANNELS>1?WIDTH:8)-1:0]", 32},
                    ElementCase{"member_of_config_is_unknown", "[FLIT-1:0]", std::nullopt},
                    ElementCase{"package_item_is_unknown", "[pkg::W-1:0]", std::nullopt},
                    ElementCase{"undeclared_name_is_unknown", "[OTHER-1:0]", std::nullopt},
                    ElementCase{"a_cycle_is_unknown", "[LOOP:0]", std::nullopt},
                    ElementCase{"division_by_zero_is_unknown", "[WIDTH/0:0]", std::nullopt}),
    test::RowLabel());

}  // namespace
}  // namespace noc::model
