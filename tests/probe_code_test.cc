// The probe codes that stand-ins send: what is decoded is what was sent, and neither an
// undriven input nor two drivers at once can pass for a code.
#include "verify/probe_code.h"

#include <gtest/gtest.h>

#include <set>

namespace noc::verify {
namespace {

TEST(ProbeCode, RoundTripsAtTheLimits) {
  for (ProbeCode code :
       {ProbeCode{1, 0, 0}, ProbeCode{kMaxInstances - 1, kMaxPorts - 1, kMaxPortBits - 1}})
    EXPECT_EQ(decode(encode(code)), code);
}

TEST(ProbeCode, NothingAndMixesAreNoCode) {
  EXPECT_FALSE(decode(0));
  int accepted = 0;
  for (std::uint32_t bit = 0; bit < 256; ++bit)
    accepted += decode(encode({1, 2, bit}) | encode({2, 1, bit + 1})).has_value();
  // A wired OR of two codes passes the check byte by chance at most rarely.
  EXPECT_LE(accepted, 4);
}

TEST(ProbeCode, SeedGivesDistinctNumbersThatAreNeverZero) {
  std::vector<std::string> names;
  for (int i = 0; i < 5000; ++i) names.push_back("noc_router_R_" + std::to_string(i) + "_inst");
  std::uint32_t seed = distinct_seed(names);
  std::set<std::uint32_t> numbers;
  for (const std::string& name : names) {
    std::uint32_t number = instance_number(name, seed);
    EXPECT_NE(number, 0u);
    EXPECT_LT(number, kMaxInstances);
    numbers.insert(number);
  }
  EXPECT_EQ(numbers.size(), names.size());
  EXPECT_NE(probe_package_text(seed).find("32'd" + std::to_string(seed) + ";"), std::string::npos);
}

}  // namespace
}  // namespace noc::verify
