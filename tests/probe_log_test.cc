// What a simulation printed, read back: an input's words per step become per-bit codes.
#include "verify/probe_log.h"

#include <gtest/gtest.h>

#include <ostream>

#include "common/error.h"
#include "test_util.h"
#include "verify/probe_code.h"

namespace noc::verify {
namespace {

// The RECV line of a 3-bit input that saw `words[s]` at step s (all other steps zero).
std::string recv_line(const std::vector<std::string>& words) {
  std::string line = "RECV top.i 0 3";
  for (int s = 0; s < kProbeSteps; ++s)
    line += " " + (s < static_cast<int>(words.size()) ? words[s] : std::string("0"));
  return line + "\n";
}

TEST(ProbeLog, StepWordsBecomeCodesFirstStepHighest) {
  std::vector<std::string> words(kProbeSteps, "0");
  words[0] = "5";                // bits 0 and 2 at the first step
  words[kProbeSteps - 1] = "2";  // bit 1 at the last
  ProbeLog log = parse_probe_log("INST top.i 7 1\n" + recv_line(words));
  ASSERT_EQ(log.instances.size(), 1u);
  const LoggedPort& port = log.instances[0].ports.at(0);
  ASSERT_EQ(port.codes.size(), 3u);
  EXPECT_EQ(port.codes[0], std::uint64_t{1} << 63);
  EXPECT_EQ(port.codes[1], 1u);
  EXPECT_EQ(port.codes[2], std::uint64_t{1} << 63);
}

struct BadLineCase {
  const char* name;
  std::string line;
};
void PrintTo(const BadLineCase& c, std::ostream* os) {
  *os << c.name;
}

class ProbeLogRefuses : public testing::TestWithParam<BadLineCase> {};

TEST_P(ProbeLogRefuses, ALineItCannotRead) {
  EXPECT_THROW(parse_probe_log("INST top.i 7 1\n" + GetParam().line), Error);
}

const BadLineCase kBadLines[] = {
    {"bit_beyond_width", recv_line({"8"})},
    {"not_hex", recv_line({"g"})},
    {"too_few_steps", "RECV top.i 0 3 1 2\n"},
    {"unknown_instance", "RECV top.j 0 1\n"},
};

INSTANTIATE_TEST_SUITE_P(Lines, ProbeLogRefuses, testing::ValuesIn(kBadLines), test::RowLabel());

}  // namespace
}  // namespace noc::verify
