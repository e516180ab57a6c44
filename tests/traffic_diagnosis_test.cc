// What a traffic simulation wrote, read back and put into words: a deadlock is charged to the
// routes' cycle, lost packets to the router they entered, a held flit to the router that does
// not take it, a wrong turn to the router's table.
#include "verify/traffic_diagnosis.h"

#include <gtest/gtest.h>

#include "common/error.h"
#include "test_util.h"
#include "traffic_test_util.h"
#include "verify/traffic_log.h"

namespace noc::verify {
namespace {

std::string joined(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\n";
  return text;
}

TEST(TrafficLog, ReadsEveryLineTheHarnessWrites) {
  PointResult r = parse_traffic_log(
      "DRAINED 0 3000\nRESULT 3100 40 38 36 20 18\nLATENCY 12.5 30 41\nACCEPTED 0.25\n"
      "SLOWEST 3 5 7 41\nSTALL 3100 1001\nHOLD 1 0 0 3 5 7 1\nINFLIGHT 3 5 7 1 0 2\n"
      "WRONG_TURN 3 5 7 1 0\nWRONG_TURNS 1\nERROR MISDELIVERED 2 4 1 6 0 deadbeef\nERRORS 1\n"
      "END stall\n");
  EXPECT_EQ(r.cycles, 3100);
  EXPECT_EQ(r.measured_delivered, 18);
  EXPECT_FALSE(r.drained);
  EXPECT_DOUBLE_EQ(*r.average_latency, 12.5);
  EXPECT_DOUBLE_EQ(*r.accepted, 0.25);
  EXPECT_EQ(r.slowest, (PacketId{3, 5, 7}));
  ASSERT_EQ(r.held.size(), 1u);
  EXPECT_TRUE(r.held[0].head && !r.held[0].ready);
  ASSERT_EQ(r.in_flight.size(), 1u);
  EXPECT_EQ(r.in_flight[0].hops, 2);
  ASSERT_EQ(r.errors.size(), 1u);
  EXPECT_EQ(r.errors[0].at, 6);
  EXPECT_EQ(r.errors[0].value, "deadbeef");
  EXPECT_EQ(r.end, "stall");
}

TEST(TrafficLog, ALogWithoutItsEndIsAnError) {
  EXPECT_THROW(parse_traffic_log("RESULT 1 2 3 4 5 6\n"), Error);
  EXPECT_THROW(parse_traffic_log("RESULT x\nEND done\n"), Error);
}

struct StallRow {
  const char* name;
  route::Algorithm algorithm;
  const char* log;
  const char* said;  ///< a part of the first line
};

class Stalls : public ::testing::TestWithParam<StallRow> {};

TEST_P(Stalls, AreChargedToWhatExplainsThem) {
  const StallRow& row = GetParam();
  route::DesignRoutes routes = test::ring_routes(4, row.algorithm);
  std::vector<std::string> problems = traffic_problems(
      parse_traffic_log(std::string("STALL 2000 1001\n") + row.log + "END stall\n"), routes);
  ASSERT_FALSE(problems.empty());
  EXPECT_NE(problems[0].find(row.said), std::string::npos) << joined(problems);
}

INSTANTIATE_TEST_SUITE_P(
    Rows, Stalls,
    ::testing::Values(
        StallRow{
            "ShortestRoutesOnARingDeadlock", route::Algorithm::kShortest,
            "HOLD 0 1 0 0 4 0 1\nINFLIGHT 0 4 0 0 1 1\n",
            "a deadlock, since the shortest routes' channel dependency graph has the cycle R_"},
        // R_0 offers R_1 a flit, and R_1's outputs wait on nothing.
        StallRow{"ARouterThatTakesNothing", route::Algorithm::kUpDown,
                 "HOLD 0 1 0 0 4 0 1\nINFLIGHT 0 4 0 0 1 1\n",
                 "R_1 takes no flit offered to it while none of its own outputs waits"},
        // Nothing is offered anywhere: the packet left R_0 toward R_1 and vanished there.
        StallRow{"APacketLostInARouter", route::Algorithm::kUpDown, "INFLIGHT 0 4 0 0 1 1\n",
                 "a router dropped them; they were last seen entering R_1 (1)"}),
    test::RowLabel());

TEST(TrafficProblems, AWrongTurnIsChargedToTheRoutersTable) {
  route::DesignRoutes routes = test::ring_routes(4, route::Algorithm::kUpDown);
  int expected = routes.table.out[0][4];
  int wrong = expected == 0 ? 1 : 0;
  std::vector<std::string> problems = traffic_problems(
      parse_traffic_log("ERROR MISDELIVERED 0 4 0 6 0 00000000\nERRORS 1\nWRONG_TURN 0 4 0 0 " +
                        std::to_string(wrong) + "\nWRONG_TURNS 1\nEND done\n"),
      routes);
  std::string words = "R_0 sent it out of slot " + std::to_string(wrong) +
                      ", while its ROUTES send destination 4 by slot " + std::to_string(expected);
  ASSERT_EQ(problems.size(), 2u) << joined(problems);
  EXPECT_NE(problems[0].find("at R_0: the router does not route by its table"), std::string::npos);
  EXPECT_EQ(problems[1],
            "packet 0 → 4 #0 arrived at destination 6 (tile_T_3_inst channel 0); " + words);
}

TEST(TrafficProblems, NoneWhenEverythingArrived) {
  route::DesignRoutes routes = test::ring_routes(3, route::Algorithm::kUpDown);
  EXPECT_TRUE(
      traffic_problems(parse_traffic_log("RESULT 10 4 4 4 0 0\nEND done\n"), routes).empty());
}

}  // namespace
}  // namespace noc::verify
