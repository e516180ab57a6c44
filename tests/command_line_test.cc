// The warning flags every nocgen command takes, and the suggestion for a misspelt option.
#include "nocgen/command_line.h"

#include <gtest/gtest.h>

#include <ostream>

#include "common/error.h"
#include "test_util.h"

namespace noc::nocgen {
namespace {

std::vector<std::string> rest_of(std::vector<std::string> args, model::WarningPolicy& policy) {
  std::vector<char*> argv;
  for (std::string& arg : args) argv.push_back(arg.data());
  std::vector<std::string> rest;
  for (char* arg : take_warning_flags(static_cast<int>(argv.size()), argv.data(), policy))
    rest.emplace_back(arg);
  return rest;
}

TEST(WarningFlags, AreTakenWhereverTheyStandAndNotAfterTheEndOfOptions) {
  model::WarningPolicy policy;
  std::vector<std::string> rest = rest_of(
      {"nocgen", "-Wno-NOC124", "check", "dir", "-Werror=NOC101", "--", "-Wno-NOC105"}, policy);
  EXPECT_EQ(rest, (std::vector<std::string>{"nocgen", "check", "dir", "--", "-Wno-NOC105"}));
  EXPECT_EQ(policy.waived, std::vector<model::Rule>{model::Rule::kTilePortOpen});
  EXPECT_EQ(policy.made_errors, std::vector<model::Rule>{model::Rule::kNotMirrored});
}

// Codes are read as typed, in any case, on every command and in explain alike.
TEST(WarningFlags, TakeACodeInAnyCase) {
  model::WarningPolicy policy;
  rest_of({"nocgen", "-Werror=noc124", "-Wno-Noc101", "check", "."}, policy);
  EXPECT_EQ(policy.made_errors, std::vector<model::Rule>{model::Rule::kTilePortOpen});
  EXPECT_EQ(policy.waived, std::vector<model::Rule>{model::Rule::kNotMirrored});
}

struct BadFlag {
  const char* label;
  const char* flag;
  const char* says;
};
void PrintTo(const BadFlag& c, std::ostream* os) {
  *os << c.label;
}

class BadWarningFlags : public testing::TestWithParam<BadFlag> {};

TEST_P(BadWarningFlags, AreRefusedSayingWhy) {
  model::WarningPolicy policy;
  try {
    rest_of({"nocgen", GetParam().flag, "check", "."}, policy);
    FAIL() << "accepted " << GetParam().flag;
  } catch (const Error& error) {
    EXPECT_NE(std::string(error.what()).find(GetParam().says), std::string::npos) << error.what();
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BadWarningFlags,
    testing::Values(BadFlag{"unknown_code", "-Wno-NOC999", "is no rule's code"},
                    BadFlag{"error_waived", "-Wno-NOC022", "cannot be waived"}),
    test::RowLabel());

struct Spelling {
  const char* label;
  const char* wrong;
  const char* meant;  ///< empty: nothing is close enough
};
void PrintTo(const Spelling& c, std::ostream* os) {
  *os << c.label;
}

class ClosestName : public testing::TestWithParam<Spelling> {};

TEST_P(ClosestName, SuggestsOnlyWhatIsClose) {
  const std::vector<std::string> names = {"--werror", "--output", "--depfile",
                                          "-o",       "-q",       "NOC012"};
  EXPECT_EQ(closest_name(GetParam().wrong, names), GetParam().meant);
}

INSTANTIATE_TEST_SUITE_P(Cases, ClosestName,
                         testing::Values(Spelling{"swapped_letters", "--werorr", "--werror"},
                                         Spelling{"missing_letter", "--ouput", "--output"},
                                         Spelling{"missing_digit_of_a_code", "NOC12", "NOC012"},
                                         Spelling{"short_option_too_far", "-x", ""},
                                         Spelling{"unrelated_word", "--verbose", ""}),
                         test::RowLabel());

}  // namespace
}  // namespace noc::nocgen
