// The readings the convention rules rest on: which types a wire of noc_top carries, and which
// names a copied dimension uses.
#include "model/convention_rules.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <ostream>

namespace noc::model {
namespace {

struct TypeCase {
  const char* name;
  const char* type_text;
  bool plain;
};
void PrintTo(const TypeCase& c, std::ostream* os) {
  *os << c.name;
}

class PlainVectorType : public testing::TestWithParam<TypeCase> {};

TEST_P(PlainVectorType, OnlyNetsAndBitVectors) {
  EXPECT_EQ(plain_vector_type(GetParam().type_text), GetParam().plain);
}

const TypeCase kTypeCases[] = {
    {"implicit", "", true},
    {"logic", "logic", true},
    {"wire_logic_signed", "wire logic signed", true},
    {"bit_unsigned", "bit unsigned", true},
    {"reg", "reg", true},
    {"typedef", "flit_t", false},
    {"package_struct", "noc_pkg::flit_t", false},
    {"int", "int", false},
    {"wire_of_a_type", "wire flit_t", false},
};

INSTANTIATE_TEST_SUITE_P(Types, PlainVectorType, testing::ValuesIn(kTypeCases), test::RowLabel());

struct DimensionCase {
  const char* name;
  const char* text;
  std::vector<std::string> identifiers;
};
void PrintTo(const DimensionCase& c, std::ostream* os) {
  *os << c.name;
}

class DimensionIdentifiers : public testing::TestWithParam<DimensionCase> {};

TEST_P(DimensionIdentifiers, NamesTheModulesOwnOnly) {
  EXPECT_EQ(dimension_identifiers(GetParam().text), GetParam().identifiers);
}

const DimensionCase kDimensionCases[] = {
    {"parameter", "[CH-1:0]", {"CH"}},
    {"two_names", "[W*N-1:0]", {"W", "N"}},
    {"package_constant", "[pkg::W-1:0]", {}},
    {"structure_member", "[CONFIG.NOC_FLIT_WIDTH-1:0]", {"CONFIG"}},
    {"system_function", "[$clog2(DEPTH)-1:0]", {"DEPTH"}},
    {"sized_number", "[8'hff:0]", {}},
    {"name_with_digits", "[W2_X-1:0]", {"W2_X"}},
};

INSTANTIATE_TEST_SUITE_P(Dimensions, DimensionIdentifiers, testing::ValuesIn(kDimensionCases),
                         test::RowLabel());

}  // namespace
}  // namespace noc::model
