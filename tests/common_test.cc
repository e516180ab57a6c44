// The ordered tables and the "_"-field helpers that every name of the generated file goes
// through.
#include "common/ordered_map.h"
#include "common/text.h"

#include <gtest/gtest.h>

#include <string>

namespace noc {
namespace {

std::string keys_of(const OrderedMap<int>& map) {
  std::string keys;
  for (const auto& [key, value] : map) keys += key + "=" + std::to_string(value) + " ";
  return keys;
}

// Small maps search in place and large ones switch to a hash index; both must agree.
TEST(OrderedMap, LaterValueKeepsTheFirstPlace) {
  OrderedMap<int> map;
  map.set("R_1", 1);
  map.set("R_0", 2);
  map.set("R_1", 3);
  EXPECT_EQ(keys_of(map), "R_1=3 R_0=2 ");
  EXPECT_EQ(*map.find("R_1"), 3);
  EXPECT_EQ(map.find("R_2"), nullptr);
}

// Sizes on both sides of the point where the index is built, with keys set again after it.
TEST(OrderedMap, LookupsAgreeAcrossSizes) {
  for (int size : {1, 7, 8, 9, 10, 40}) {
    OrderedMap<int> map;
    for (int i = 0; i < size; ++i) map.set("k" + std::to_string(i), i);
    for (int i = 0; i < size; i += 3) map.set("k" + std::to_string(i), -i);
    ASSERT_EQ(map.size(), static_cast<std::size_t>(size)) << size;
    for (int i = 0; i < size; ++i) {
      const int* value = map.find("k" + std::to_string(i));
      ASSERT_NE(value, nullptr) << size << " k" << i;
      EXPECT_EQ(*value, i % 3 == 0 ? -i : i) << size << " k" << i;
      EXPECT_EQ(map.entries()[static_cast<std::size_t>(i)].first, "k" + std::to_string(i));
    }
    EXPECT_FALSE(map.contains("k" + std::to_string(size)));
  }
}

// The wire-to-port lookup takes the leading fields without splitting; it must match what
// joining the split fields gives, empty fields included.
TEST(Text, LeadingFieldsMatchJoinedSplit) {
  for (const char* text : {"", "noc", "noc_in", "noc_in_flit", "noc_in_flit_R_0_EP", "a__",
                           "_a_b_c", "a_b_c_", "___", "noc_in_flit_"}) {
    for (std::size_t count : {1u, 2u, 3u, 4u}) {
      std::vector<std::string_view> fields = split_fields(text);
      fields.resize(std::min(fields.size(), count));
      EXPECT_EQ(leading_fields(text, count), join_fields(fields)) << text << " " << count;
    }
  }
}

}  // namespace
}  // namespace noc
