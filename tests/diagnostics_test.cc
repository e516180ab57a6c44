// The rule book: one row per rule, each a small design that breaks it, asserting the rule's code
// and where it points (node, line, column); the table's own shape; one golden rendering.
#include "model/diagnostics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <ostream>
#include <set>

#include "app/description_check.h"
#include "test_util.h"

namespace noc::model {
namespace {

using test::read_file;
using test::write_file;

// Two routers with a tile each, one node per line: line 2 is R_0, 3 R_1, 4 T_0, 5 T_1.
constexpr const char* kPair = R"({
"R_0": {"is_Router": true, "neighbors": ["R_1", "T_0"], "top_module_fname": "noc_router.sv"},
"R_1": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})";

// Two routers with 17 tiles each, one node per line: line 2 is R_0, 3 R_1, 4 + i T_i.
std::string many_tiles() {
  std::string r0 = "\"R_1\"", r1 = "\"R_0\"", tiles;
  for (int i = 0; i < 34; ++i) {
    std::string name = "\"T_" + std::to_string(i) + "\"";
    (i < 17 ? r0 : r1) += ", " + name;
    tiles += ",\n" + name + ": {\"is_Router\": false, \"top_module_fname\": \"compute_tile.sv\"}";
  }
  auto router = [](const char* name, const std::string& neighbours) {
    return std::string("\"") + name + "\": {\"is_Router\": true, \"neighbors\": [" + neighbours +
           "], \"top_module_fname\": \"noc_router.sv\"}";
  };
  return "{\n" + router("R_0", r0) + ",\n" + router("R_1", r1) + tiles + "\n}";
}

// A source of the design made from an example source by one replacement.
struct SourceEdit {
  const char* target;
  const char* from_file;
  const char* find;
  const char* replace;
};

struct RuleCase {
  const char* label;
  Rule rule;
  std::string description;  ///< empty: no description file at all
  const char* node;
  int line;
  int column;
  std::vector<SourceEdit> edits = {};
};
void PrintTo(const RuleCase& c, std::ostream* os) {
  *os << c.label;
}

// kPair with one text replaced.
std::string pair_with(const std::string& find, const std::string& replace) {
  std::string text = kPair;
  std::size_t at = text.find(find);
  if (at == std::string::npos) throw std::runtime_error("no " + find + " in the design");
  return text.replace(at, find.size(), replace);
}

std::vector<Diagnostic> check(const RuleCase& row, const test::TempDir& dir) {
  test::copy_example(dir.path());
  std::remove((dir.path() + "/noc_soc.json").c_str());
  if (!row.description.empty()) write_file(dir.path() + "/noc_soc.json", row.description);
  std::set<std::string> edited;
  for (const SourceEdit& edit : row.edits) {
    std::string from = edited.count(edit.target) ? edit.target : edit.from_file;
    std::string text = read_file(dir.path() + "/" + from);
    edited.insert(edit.target);
    std::size_t at = text.find(edit.find);
    if (at == std::string::npos) throw std::runtime_error(std::string("no ") + edit.find);
    write_file(dir.path() + "/" + edit.target, text.replace(at, strlen(edit.find), edit.replace));
  }
  return app::check_description(dir.path(), "noc_soc.json").diagnostics;
}

class Rules : public testing::TestWithParam<RuleCase> {};

TEST_P(Rules, PointAtTheNodeThatBreaksThem) {
  const RuleCase& row = GetParam();
  test::TempDir dir;
  std::vector<Diagnostic> found = check(row, dir);
  std::string all;
  for (const Diagnostic& d : found) all += render(d) + "\n";
  auto first = std::find_if(found.begin(), found.end(),
                            [&](const Diagnostic& d) { return d.rule == row.rule; });
  ASSERT_NE(first, found.end()) << all;
  const Diagnostic& d = *first;
  EXPECT_EQ(d.node, row.node) << all;
  EXPECT_EQ(d.line, row.line) << all;
  EXPECT_EQ(d.column, row.column) << all;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Rules,
    testing::Values(
        RuleCase{"no_description", Rule::kNoDescription, "", "", 0, 0},
        RuleCase{"invalid_description", Rule::kInvalidDescription, "[1, 2]", "", 1, 1},
        RuleCase{"record_not_object", Rule::kRecordNotObject,
                 pair_with(R"("T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"})",
                           R"("T_1": "tile")"),
                 "T_1", 5, 1},
        RuleCase{"is_router_missing", Rule::kIsRouterMissing,
                 pair_with(R"("T_1": {"is_Router": false,)", R"("T_1": {)"), "T_1", 5, 1},
        RuleCase{"neighbors_missing", Rule::kNeighborsMissing,
                 pair_with(R"("neighbors": ["R_0", "T_1"], )", ""), "R_1", 3, 1},
        RuleCase{"neighbors_not_array", Rule::kNeighborsNotArray,
                 pair_with(R"(["R_0", "T_1"])", R"("R_0")"), "R_1", 3, 1},
        RuleCase{"source_name_missing", Rule::kSourceNameMissing,
                 pair_with(R"("T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"})",
                           R"("T_1": {"is_Router": false})"),
                 "T_1", 5, 1},
        RuleCase{"source_name_not_text", Rule::kSourceNameNotText,
                 pair_with(R"("T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"})",
                           R"("T_1": {"is_Router": false, "top_module_fname": 7})"),
                 "T_1", 5, 1},
        RuleCase{"unknown_neighbour", Rule::kUnknownNeighbour,
                 pair_with(R"(["R_1", "T_0"])", R"(["R_1", "T_0", "R_7"])"), "R_0", 2, 56},
        RuleCase{"tile_neighbors_not_array", Rule::kNeighborsNotArray,
                 pair_with(R"("T_1": {"is_Router": false,)",
                           R"("T_1": {"is_Router": false, "neighbors": "R_1",)"),
                 "T_1", 5, 1},
        RuleCase{"tile_neighbour_not_a_name", Rule::kNeighborsNotArray,
                 pair_with(R"("T_1": {"is_Router": false,)",
                           R"("T_1": {"is_Router": false, "neighbors": [1],)"),
                 "T_1", 5, 1},
        RuleCase{"tile_lists_unknown_router", Rule::kUnknownNeighbour,
                 pair_with(R"("T_1": {"is_Router": false,)",
                           R"("T_1": {"is_Router": false, "neighbors": ["R_33"],)"),
                 "T_1", 5, 43},
        RuleCase{"router_without_number", Rule::kRouterWithoutNumber,
                 R"({
"R": {"is_Router": true, "neighbors": ["R_1", "T_0"], "top_module_fname": "noc_router.sv"},
"R_1": {"is_Router": true, "neighbors": ["R", "T_1"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})",
                 "R", 2, 1},
        RuleCase{"router_number_not_decimal", Rule::kRouterNumberNotDecimal,
                 R"({
"R_0": {"is_Router": true, "neighbors": ["R_x", "T_0"], "top_module_fname": "noc_router.sv"},
"R_x": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})",
                 "R_x", 3, 1},
        RuleCase{"name_that_would_inject_code", Rule::kNameNotIdentifier,
                 R"({
"R_0": {"is_Router": true, "neighbors": ["R_1", "T_0 (); initial $display(\"INJECTED\"); compute_tile x"], "top_module_fname": "noc_router.sv"},
"R_1": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "noc_router.sv"},
"T_0 (); initial $display(\"INJECTED\"); compute_tile x": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})",
                 "T_0 (); initial $display(\"INJECTED\"); compute_tile x", 4, 1},
        RuleCase{"no_endpoint", Rule::kNoEndpoint, R"({
"R_0": {"is_Router": true, "neighbors": ["R_1"], "top_module_fname": "noc_router.sv"},
"R_1": {"is_Router": true, "neighbors": ["R_0"], "top_module_fname": "noc_router.sv"}
})",
                 "", 1, 1},
        RuleCase{"source_problem", Rule::kSourceProblem,
                 pair_with(R"("T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"})",
                           R"("T_1": {"is_Router": false, "top_module_fname": "missing.sv"})"),
                 "T_1", 5, 1},
        RuleCase{"no_router_neighbour", Rule::kNoRouterNeighbour, R"({
"R_0": {"is_Router": true, "neighbors": ["R_1", "T_0"], "top_module_fname": "noc_router.sv"},
"R_1": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "noc_router.sv"},
"R_2": {"is_Router": true, "neighbors": ["T_2"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_2": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})",
                 "R_2", 4, 1},
        RuleCase{"tile_without_noc_output",
                 Rule::kTileNoNocOutput,
                 kPair,
                 "T_1",
                 5,
                 1,
                 {{"compute_tile.sv", "compute_tile.sv", "(input clk,",
                   "(input clk, input noc_in_flit, output x);\nendmodule\nmodule unused("}}},
        RuleCase{"tile_port_with_two_fields",
                 Rule::kTilePortFields,
                 kPair,
                 "T_1",
                 13,
                 25,
                 {{"compute_tile.sv", "compute_tile.sv", "input [CHANNELS-1:0] noc_in_last,",
                   "input [CHANNELS-1:0] noc_in,"}}},
        RuleCase{"no_router_output_faces_the_tile",
                 Rule::kNoRouterOutputFacesTile,
                 kPair,
                 "R_0",
                 2,
                 1,
                 {{"compute_tile.sv", "compute_tile.sv", "(input clk,",
                   "(input clk, input noc_in_flit, output noc_out_nothing);\nendmodule\n"
                   "module unused("}}},
        RuleCase{"port_line_short",
                 Rule::kPortLineShort,
                 kPair,
                 "R_0",
                 2,
                 1,
                 {{"compute_tile.sv", "compute_tile.sv", "output [CHANNELS-1:0] noc_in_ready);",
                   "output [CHANNELS-1:0] noc_unused_ready);"}}},
        RuleCase{"not_mirrored", Rule::kNotMirrored, R"({
"R_0": {"is_Router": true, "neighbors": ["R_1", "R_2", "T_0"], "top_module_fname": "noc_router.sv"},
"R_1": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "noc_router.sv"},
"R_2": {"is_Router": true, "neighbors": ["R_1", "T_2"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_2": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})",
                 "R_0", 2, 49},
        RuleCase{"lists_itself", Rule::kListsItself,
                 pair_with(R"(["R_1", "T_0"])", R"(["R_1", "R_0", "T_0"])"), "R_0", 2, 49},
        RuleCase{"different_prefixes", Rule::kDifferentPrefixes, R"({
"R_0": {"is_Router": true, "neighbors": ["X_1", "T_0"], "top_module_fname": "noc_router.sv"},
"X_1": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})",
                 "R_0", 2, 1},
        RuleCase{"number_with_leading_zero", Rule::kNumberNotPlain, R"({
"R_0": {"is_Router": true, "neighbors": ["R_01", "T_0"], "top_module_fname": "noc_router.sv"},
"R_01": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})",
                 "R_01", 3, 1},
        RuleCase{"same_number_of_any_length", Rule::kSameNumber, R"({
"R_0": {"is_Router": true, "neighbors": ["R_18446744073709551617", "T_0"], "top_module_fname": "noc_router.sv"},
"R_18446744073709551617": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "noc_router.sv"},
"S_18446744073709551617": {"is_Router": true, "neighbors": ["S_2", "T_2"], "top_module_fname": "noc_router.sv"},
"S_2": {"is_Router": true, "neighbors": ["S_18446744073709551617", "T_3"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_2": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_3": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})",
                 "S_18446744073709551617", 4, 1},
        RuleCase{"link_wire_shared_through_a_sign", Rule::kLinkWireTwice, R"({
"R_0": {"is_Router": true, "neighbors": ["R_18446744073709551617", "R_+18446744073709551617", "T_0"], "top_module_fname": "noc_router.sv"},
"R_18446744073709551617": {"is_Router": true, "neighbors": ["R_0", "T_1"], "top_module_fname": "noc_router.sv"},
"R_+18446744073709551617": {"is_Router": true, "neighbors": ["R_0", "T_2"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_2": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})",
                 "R_+18446744073709551617", 4, 1},
        RuleCase{"link_wire_twice", Rule::kLinkWireTwice, R"({
"R_0_0": {"is_Router": true, "neighbors": ["R_1_0", "T_0"], "top_module_fname": "noc_router.sv"},
"R_1_0": {"is_Router": true, "neighbors": ["R_0_0", "T_1"], "top_module_fname": "noc_router.sv"},
"R_0_1": {"is_Router": true, "neighbors": ["R_1_1", "T_2"], "top_module_fname": "noc_router.sv"},
"R_1_1": {"is_Router": true, "neighbors": ["R_0_1", "T_3"], "top_module_fname": "noc_router.sv"},
"T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_2": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_3": {"is_Router": false, "top_module_fname": "compute_tile.sv"}
})",
                 "R_0_1", 4, 1},
        RuleCase{"tile_lists_a_stranger", Rule::kTileListsStranger,
                 pair_with(R"("T_0": {"is_Router": false,)",
                           R"("T_0": {"is_Router": false, "neighbors": ["R_1"],)"),
                 "T_0", 4, 1},
        RuleCase{"tile_lists_no_router", Rule::kTileListsNoRouter,
                 pair_with(R"("T_1": {"is_Router": false,)",
                           R"("T_1": {"is_Router": false, "neighbors": [],)"),
                 "T_1", 5, 1},
        RuleCase{"tile_listed_twice", Rule::kTileListedTwice,
                 pair_with(R"(["R_1", "T_0"])", R"(["R_1", "T_0", "T_0"])"), "T_0", 4, 1},
        RuleCase{"tile_is_router", Rule::kTileIsRouter,
                 pair_with(R"("T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"})",
                           R"("T_0": {"is_Router": false, "top_module_fname": "noc_router.sv"})"),
                 "T_0", 4, 1},
        RuleCase{"tile_port_missing",
                 Rule::kTilePortMissing,
                 pair_with(R"("T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"})",
                           R"("T_0": {"is_Router": false, "top_module_fname": "other_tile.sv"})"),
                 "T_0",
                 5,
                 1,
                 {{"other_tile.sv", "compute_tile.sv", "module compute_tile", "module other_tile"},
                  {"other_tile.sv", "", "   input [CHANNELS-1:0] noc_in_last,\n", ""}}},
        RuleCase{"tile_port_other_way",
                 Rule::kTilePortMissing,
                 pair_with(R"("T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"})",
                           R"("T_0": {"is_Router": false, "top_module_fname": "other_tile.sv"})"),
                 "T_0",
                 13,
                 26,
                 {{"other_tile.sv", "compute_tile.sv", "module compute_tile", "module other_tile"},
                  {"other_tile.sv", "", "input [CHANNELS-1:0] noc_in_last,",
                   "output [CHANNELS-1:0] noc_in_last,"}}},
        RuleCase{"tile_port_width",
                 Rule::kTilePortWidth,
                 pair_with(R"("T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"})",
                           R"("T_0": {"is_Router": false, "top_module_fname": "other_tile.sv"})"),
                 "T_0",
                 13,
                 16,
                 {{"other_tile.sv", "compute_tile.sv", "module compute_tile", "module other_tile"},
                  {"other_tile.sv", "", "[CHANNELS-1:0] noc_in_last,", "[2:0] noc_in_last,"},
                  {"compute_tile.sv", "compute_tile.sv", "[CHANNELS-1:0] noc_in_last,",
                   "[1:0] noc_in_last,"}}},
        RuleCase{"tile_dimension_differs",
                 Rule::kTileDimensionDiffers,
                 pair_with(R"("T_0": {"is_Router": false, "top_module_fname": "compute_tile.sv"})",
                           R"("T_0": {"is_Router": false, "top_module_fname": "other_tile.sv"})"),
                 "T_0",
                 13,
                 34,
                 {{"other_tile.sv", "compute_tile.sv", "module compute_tile", "module other_tile"},
                  {"other_tile.sv", "", "[CHANNELS-1:0] noc_in_last,",
                   "[CONFIG.NOC_CHANNELS:0] noc_in_last,"}}},
        RuleCase{"tile_input_open",
                 Rule::kTilePortOpen,
                 kPair,
                 "T_0",
                 11,
                 37,
                 {{"compute_tile.sv", "compute_tile.sv", "rst_sys, rst_dbg,",
                   "rst_sys, rst_dbg, irq,"}}},
        RuleCase{"is_router_not_boolean", Rule::kIsRouterNotBoolean,
                 pair_with(R"("T_1": {"is_Router": false,)", R"("T_1": {"is_Router": 0,)"), "T_1",
                 5, 1},
        RuleCase{"name_given_twice", Rule::kNameGivenTwice,
                 pair_with(R"("T_1": {"is_Router": false, "top_module_fname": "compute_tile.sv"})",
                           "\"T_1\": {\"is_Router\": true},\n\"T_1\": {\"is_Router\": false, "
                           "\"top_module_fname\": \"compute_tile.sv\"}"),
                 "T_1", 6, 1},
        RuleCase{"member_given_twice", Rule::kMemberGivenTwice,
                 pair_with(R"("T_1": {"is_Router": false,)",
                           R"("T_1": {"is_Router": true, "is_Router": false,)"),
                 "T_1", 5, 1},
        RuleCase{"tile_not_listed", Rule::kTileNotListed,
                 pair_with(R"("T_1": {)",
                           R"("T_9": {"is_Router": false, "top_module_fname": "compute_tile.sv"},
"T_1": {)"),
                 "T_9", 5, 1},
        RuleCase{"inout_port_left_open",
                 Rule::kUnconnectablePort,
                 kPair,
                 "T_1",
                 5,
                 1,
                 {{"compute_tile.sv", "compute_tile.sv", "(input clk,", "(inout io, input clk,"}}},
        RuleCase{"router_source_with_other_ports",
                 Rule::kRouterSourceDiffers,
                 pair_with(R"(["R_0", "T_1"], "top_module_fname": "noc_router.sv")",
                           R"(["R_0", "T_1"], "top_module_fname": "router2.sv")"),
                 "R_1",
                 3,
                 1,
                 {{"router2.sv", "noc_router.sv", "module noc_router", "module router2"},
                  {"router2.sv", "noc_router.sv", "(input clk, rst,", "(input clk, rst, scan,"}}},
        RuleCase{"noc_port_without_partner",
                 Rule::kPortWithoutPartner,
                 kPair,
                 "T_1",
                 5,
                 1,
                 {{"compute_tile.sv", "compute_tile.sv", "input [CHANNELS-1:0] noc_out_ready,",
                   "input [CHANNELS-1:0] noc_out_ready, input noc_in_extra,"}}},
        RuleCase{"typed_noc_port",
                 Rule::kTypedNocPort,
                 kPair,
                 "T_1",
                 15,
                 32,
                 {{"compute_tile.sv", "compute_tile.sv", "module compute_tile",
                   "typedef logic [1:0] pair_t;\nmodule compute_tile"},
                  {"compute_tile.sv", "compute_tile.sv", "input [CHANNELS-1:0] noc_in_valid,",
                   "input pair_t [CHANNELS-1:0] noc_in_valid,"}}},
        RuleCase{"router_clock_not_named",
                 Rule::kRouterClockNotNamed,
                 kPair,
                 "R_0",
                 9,
                 10,
                 {{"noc_router.sv", "noc_router.sv", "(input clk, rst,", "(input clk_i, rst,"}}},
        RuleCase{"tile_without_reset_input",
                 Rule::kTileWithoutResetInput,
                 kPair,
                 "T_0",
                 5,
                 1,
                 {{"compute_tile.sv", "compute_tile.sv", "input rst_cpu, rst_sys, rst_dbg,",
                   "input rst_cpu, rst_dbg,"}}},
        RuleCase{"router_without_dests",
                 Rule::kRouterParameterMissing,
                 kPair,
                 "R_0",
                 4,
                 1,
                 {{"noc_router.sv", "noc_router.sv", "parameter DESTS = 32)",
                   "parameter NUM_DESTS = 32)"}}},
        RuleCase{"parameter_not_passed",
                 Rule::kParameterNotPassed,
                 kPair,
                 "R_0",
                 12,
                 38,
                 {{"noc_router.sv", "noc_router.sv", "parameter DESTS = 32)",
                   "parameter DESTS = 32, parameter VCHANNELS = 3)"},
                  {"noc_router.sv", "noc_router.sv", "[INPUTS-1:0] in_valid,",
                   "[INPUTS-1:0][VCHANNELS-1:0] in_valid,"}}},
        RuleCase{"dimension_needs_package",
                 Rule::kDimensionNeedsPackage,
                 kPair,
                 "R_0",
                 12,
                 36,
                 {{"noc_router.sv", "noc_router.sv", "module noc_router\n",
                   "module noc_router\n  import soc_pkg::*;\n"},
                  {"noc_router.sv", "noc_router.sv", "[INPUTS-1:0] in_last,",
                   "[INPUTS-1:0][NOC_VCS-1:0] in_last,"}}},
        RuleCase{"tile_without_config",
                 Rule::kTileWithoutConfig,
                 kPair,
                 "T_0",
                 5,
                 1,
                 {{"compute_tile.sv", "compute_tile.sv", "#(parameter config_t CONFIG = 'x,",
                   "#(parameter config_t CFG = 'x,"}}},
        RuleCase{
            "dimension_names_own_parameter",
            Rule::kDimensionNamesOwnParameter,
            kPair,
            "T_1",
            13,
            19,
            {{"compute_tile.sv", "compute_tile.sv", "localparam CHANNELS = CONFIG.NOC_CHANNELS,",
              "localparam CH = CONFIG.NOC_CHANNELS, localparam CHANNELS = CH,"},
             {"compute_tile.sv", "compute_tile.sv", "input [CHANNELS-1:0] noc_in_last,",
              "input [CH-1:0] noc_in_last,"}}},
        RuleCase{"more_tiles_than_dests", Rule::kMoreTilesThanDests, many_tiles(), "T_32", 36, 1}),
    test::RowLabel());

TEST(RuleTable, EveryRuleHasOneRowAndAUniqueCode) {
  std::set<std::string> codes;
  for (std::size_t i = 0; i < all_rules().size(); ++i) {
    const RuleInfo& info = all_rules()[i];
    EXPECT_EQ(static_cast<std::size_t>(info.rule), i) << info.code;
    EXPECT_TRUE(codes.insert(info.code).second) << info.code;
    EXPECT_EQ(std::string(info.code).rfind("NOC", 0), 0u) << info.code;
    EXPECT_GT(std::string(info.example).size(), 5u) << info.code;  // nocgen explain shows them
    EXPECT_GT(std::string(info.fix).size(), 5u) << info.code;
  }
  EXPECT_EQ(all_rules().size(), static_cast<std::size_t>(Rule::kCount));
}

TEST(WarningPolicy, DropsWaivedWarningsMarksChosenOnesAndKeepsErrors) {
  WarningPolicy policy{{Rule::kTilePortOpen, Rule::kLinkWireTwice}, {Rule::kNotMirrored}};
  DiagnosticSink sink(policy);
  for (Rule rule :
       {Rule::kTilePortOpen, Rule::kNotMirrored, Rule::kLinkWireTwice, Rule::kSameNumber}) {
    Diagnostic d;
    d.rule = rule;
    sink.add(d);
  }
  ASSERT_EQ(sink.list().size(), 3u);
  EXPECT_EQ(sink.list()[0].severity(), Severity::kError);  // -Werror=NOC101
  EXPECT_EQ(render(sink.list()[0]).find("error:"), 0u) << render(sink.list()[0]);
  EXPECT_EQ(sink.list()[1].rule, Rule::kLinkWireTwice);  // an error stays, whatever was asked
  EXPECT_EQ(sink.list()[2].severity(), Severity::kWarning);
  EXPECT_EQ(sink.first_error(), &sink.list()[0]);
}

TEST(RuleTable, GenerationErrorAndCheckLineAreOneText) {
  Diagnostic d{Rule::kNoRouterNeighbour,
               "d.json",
               4,
               1,
               "R_2",
               {},
               "has no router neighbour; every router needs at least one"};
  EXPECT_EQ(render(d),
            "d.json:4:1: error: node \"R_2\": has no router neighbour; every router needs at "
            "least one [NOC015]");
  EXPECT_EQ(std::string(to_error(d).what()), render(d));
  Diagnostic w{Rule::kTileNotListed, "d.json", 7, 1, "T_9", {}, "no router lists this tile"};
  EXPECT_EQ(render(w), "d.json:7:1: warning: node \"T_9\": no router lists this tile [NOC111]");
}

}  // namespace
}  // namespace noc::model
