// The comparison of what a simulation's inputs received with what the description demands:
// each class of miswiring gives its own line, naming node, port and slot.
#include "verify/wiring_check.h"

#include <gtest/gtest.h>

#include <ostream>

#include <functional>

#include "verify/probe_code.h"

namespace noc::verify {
namespace {

// Two routers A and B joined by one link, one slot each: A.in_x[0] must receive B.out_x[0] and
// B.in_x[0] must receive A.out_x[0]. Slots are two bits wide, so bit order can be checked.
ExpectedWiring two_routers() {
  ExpectedWiring w;
  w.instances = {{"A", "r_A_inst", "r", NodeKind::kRouter, 1, 7},
                 {"B", "r_B_inst", "r", NodeKind::kRouter, 1, 9}};
  w.groups = {{"A and B", GroupKind::kLink}};
  w.inputs = {{{0, "in_x", 0}, {1, "out_x", 0}, "A slot 0 to B", 0},
              {{1, "in_x", 0}, {0, "out_x", 0}, "B slot 0 to A", 0}};
  return w;
}

const std::vector<ModulePorts> kModules = {
    {"r", {{"in_x", true, true}, {"out_x", false, true}}},
    {"other", {{"in_x", true, true}, {"out_x", false, true}}},
};

std::uint64_t out_bit(std::uint32_t instance, std::uint32_t bit) {
  return encode(ProbeCode{instance, 1, bit});
}

LoggedInstance instance(const char* path, std::uint32_t id, std::vector<std::uint64_t> received,
                        int module = 0) {
  LoggedInstance i{path, id, module, {}};
  i.ports[0] = LoggedPort{received.size(), true, std::move(received)};
  i.ports[1] = LoggedPort{2, false, {}};
  return i;
}

// A correct simulation: each router receives the other's output bits in order.
ProbeLog correct_log() {
  return ProbeLog{{instance("top.r_A_inst", 7, {out_bit(9, 0), out_bit(9, 1)}),
                   instance("top.r_B_inst", 9, {out_bit(7, 0), out_bit(7, 1)})}};
}

struct MiswireCase {
  const char* label;
  std::function<void(ProbeLog&)> break_it;
  const char* problem;  // the first line of the report
  int links_proven;
};
void PrintTo(const MiswireCase& c, std::ostream* os) {
  *os << c.label;
}

class ReportsMiswire : public testing::TestWithParam<MiswireCase> {};

TEST_P(ReportsMiswire, NamesNodePortAndSlot) {
  ProbeLog log = correct_log();
  GetParam().break_it(log);
  WiringReport report = check_wiring(two_routers(), kModules, log);
  ASSERT_FALSE(report.problems.empty());
  EXPECT_EQ(report.problems.front(), GetParam().problem);
  EXPECT_EQ(report.links, 1);
  EXPECT_EQ(report.links_proven, GetParam().links_proven);
}

std::vector<std::uint64_t>& a_received(ProbeLog& log) {
  return log.instances[0].ports[0].codes;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReportsMiswire,
    testing::Values(
        MiswireCase{"looped_back_to_itself",
                    [](ProbeLog& l) {
                      a_received(l) = {out_bit(7, 0), out_bit(7, 1)};
                    },
                    "A.in_x[0] receives A.out_x[0]; the description links A slot 0 to B "
                    "(B.out_x[0])",
                    0},
        MiswireCase{"undriven",
                    [](ProbeLog& l) {
                      a_received(l) = {0, 0};
                    },
                    "A.in_x[0] is not driven; the description links A slot 0 to B (B.out_x[0])", 0},
        MiswireCase{"half_driven", [](ProbeLog& l) { a_received(l)[1] = 0; },
                    "A.in_x[0] receives B.out_x[0] and nothing; the description links A slot 0 "
                    "to B (B.out_x[0])",
                    0},
        MiswireCase{"two_drivers_mixed",
                    [](ProbeLog& l) { a_received(l)[0] = out_bit(9, 0) | out_bit(7, 0); },
                    "A.in_x[0] receives a mix of several outputs and B.out_x[0]; the "
                    "description links A slot 0 to B (B.out_x[0])",
                    0},
        MiswireCase{"bits_reversed",
                    [](ProbeLog& l) {
                      a_received(l) = {out_bit(9, 1), out_bit(9, 0)};
                    },
                    "A.in_x[0] receives B.out_x[0] with its bits in another order; the "
                    "description links A slot 0 to B (B.out_x[0])",
                    0},
        MiswireCase{"instance_missing", [](ProbeLog& l) { l.instances.pop_back(); },
                    "B: noc_top has no instance r_B_inst", 0},
        MiswireCase{"unexpected_instance",
                    [](ProbeLog& l) {
                      l.instances.push_back(instance("top.extra", 0, {0, 0}));
                    },
                    "noc_top holds top.extra, an instance the description does not make", 1},
        MiswireCase{"instance_of_another_module", [](ProbeLog& l) { l.instances[1].module = 1; },
                    "B: r_B_inst is an instance of other; the description makes it one of r", 0}));

TEST(WiringCheck, CorrectSimulationProvesTheLink) {
  WiringReport report = check_wiring(two_routers(), kModules, correct_log());
  EXPECT_TRUE(report.problems.empty());
  EXPECT_EQ(report.links_proven, 1);
}

}  // namespace
}  // namespace noc::verify
