#include "model/diagnostics.h"

#include <algorithm>
#include <cctype>

#include "common/text.h"

namespace noc::model {
namespace {

constexpr Severity E = Severity::kError;
constexpr Severity W = Severity::kWarning;

// One row per rule. Codes are stable: a retired rule keeps its number unused.
const std::vector<RuleInfo> kRules = {
    {Rule::kNoDescription, "NOC001", E, "no description of that name below the base directory",
     "nocgen check my_noc, where my_noc holds no file noc_soc.json at any depth",
     "write the description (nocgen topology writes a regular one), or name it with --description"},
    {Rule::kInvalidDescription, "NOC002", E, "the description is not a JSON object of nodes",
     "the description is [1, 2], or a JSON text cut short",
     "make the file one JSON object whose members are the nodes: {\"R_0\": {...}, \"T_0\": {...}}"},
    {Rule::kRecordNotObject, "NOC003", E, "a node record is not a JSON object", "\"T_1\": \"tile\"",
     "give the node an object: \"T_1\": {\"is_Router\": false, \"top_module_fname\": "
     "\"compute_tile.sv\"}"},
    {Rule::kIsRouterMissing, "NOC004", E, "a node has no is_Router",
     "\"T_1\": {\"top_module_fname\": \"compute_tile.sv\"}",
     "add \"is_Router\": true for a router, false for a tile"},
    {Rule::kNeighborsMissing, "NOC005", E, "a router has no neighbors",
     "\"R_1\": {\"is_Router\": true, \"top_module_fname\": \"noc_router.sv\"}",
     "list the router's neighbours: \"neighbors\": [\"R_0\", \"T_1\"]"},
    {Rule::kNeighborsNotArray, "NOC006", E, "neighbors is not an array of node names",
     "\"neighbors\": \"R_0\"", "write an array of node names: \"neighbors\": [\"R_0\"]"},
    {Rule::kSourceNameMissing, "NOC007", E, "a node has no top_module_fname",
     "\"T_1\": {\"is_Router\": false}",
     "name the node's source: \"top_module_fname\": \"compute_tile.sv\""},
    {Rule::kSourceNameNotText, "NOC008", E, "top_module_fname is not a text",
     "\"top_module_fname\": 3", "give the source's file name as a text"},
    {Rule::kUnknownNeighbour, "NOC009", E, "a neighbour is not a node of the description",
     "R_0 lists \"T_9\", and no node is named T_9",
     "add the node, or correct the name in the list"},
    {Rule::kRouterWithoutNumber, "NOC010", E, "a linked router's name has no second field",
     "a router named \"router\" linked to \"R_1\"",
     "name routers PREFIX_NUMBER (R_0, R_1): the number names the link wires"},
    {Rule::kRouterNumberNotDecimal, "NOC011", E, "a linked router's number is not decimal",
     "a router named \"R_x\" linked to \"R_1\"",
     "give the second field of the name as a decimal number: R_3"},
    {Rule::kNameNotIdentifier, "NOC012", E, "a node name is not a SystemVerilog identifier",
     "a node named \"tile-0\" or \"0T\"",
     "use a SystemVerilog simple identifier: letters, digits, \"_\" and \"$\", not starting with a "
     "digit"},
    {Rule::kNoEndpoint, "NOC013", E, "the description has no endpoint node",
     "a description of routers only",
     "add at least one tile node, is_Router false, listed by a router"},
    {Rule::kSourceProblem, "NOC014", E, "a source cannot be found, read or parsed",
     "\"top_module_fname\": \"missing.sv\", or a source with a syntax error",
     "put the source below the base directory (or name it in a -f list) and fix what the message "
     "points at"},
    {Rule::kNoRouterNeighbour, "NOC015", E, "a router has no router neighbour",
     "\"R_0\": {\"is_Router\": true, \"neighbors\": [\"T_0\"]}",
     "link every router to at least one other router"},
    {Rule::kNoTile, "NOC016", E, "retired: a router without tiles is a transit router",
     "(no longer reported)",
     "nothing: such a router generates, its port lines carry its links alone"},
    {Rule::kTileNoNocOutput, "NOC017", E, "the compute tile has no NoC output",
     "a tile module whose outputs have no \"noc\" in their names",
     "name the tile's NoC outputs noc_out_flit, noc_out_valid, ..."},
    {Rule::kTilePortFields, "NOC018", E, "a tile NoC port is not named like noc_in_flit",
     "a tile port named noc_flit (two fields) or noc_in_flit_x (four)",
     "name tile NoC ports with three \"_\" fields: noc_in_flit"},
    {Rule::kNoRouterOutputFacesTile, "NOC019", E, "no router output faces the compute tile",
     "tile outputs noc_out_flit facing no router output out_flit",
     "give the router outputs that mirror the tile's NoC outputs without their \"noc_\" (out_flit "
     "for noc_out_flit)"},
    {Rule::kPortLineShort, "NOC020", E, "a router port has no tile or partner port to pair with",
     "a router input in_credit with no tile output noc_out_credit to pair with",
     "give every router NoC port its tile and partner port, or remove it"},
    {Rule::kNotMirrored, "NOC101", W, "a neighbour does not list the router back",
     "R_0 lists R_1, and R_1 does not list R_0",
     "list the router back, or remove the one-way entry"},
    {Rule::kListsItself, "NOC102", W, "a router lists itself",
     "\"R_0\": {\"neighbors\": [\"R_0\", ...]}", "remove the router from its own list"},
    {Rule::kDifferentPrefixes, "NOC103", W, "linked routers have different prefixes",
     "R_0 linked to S_1", "give linked routers one prefix: R_0 and R_1"},
    {Rule::kNumberNotPlain, "NOC104", W, "a router number has a leading zero or a sign",
     "a router named R_01 or R_+1", "write the number without leading zeros or a sign: R_1"},
    {Rule::kSameNumber, "NOC105", W, "two routers have one number",
     "routers R_1 and X_1 in one description", "give every router a number of its own"},
    {Rule::kTileListedTwice, "NOC106", W, "a tile is listed more than once",
     "R_0 lists T_0 twice, or R_0 and R_1 both list it",
     "list each tile once, with the one router it is attached to"},
    {Rule::kTileSourcesDiffer, "NOC107", W,
     "retired: each tile source is checked against what noc_top connects", "(no longer reported)",
     "waivers of it are still accepted"},
    {Rule::kIsRouterNotBoolean, "NOC108", W, "is_Router is not a JSON boolean",
     "\"is_Router\": \"yes\" or 1", "write true or false"},
    {Rule::kNameGivenTwice, "NOC109", W, "a node name is given twice",
     "a node name that stands twice in the object",
     "keep one record per node; the last one is read"},
    {Rule::kMemberGivenTwice, "NOC110", W, "a member of a node record is given twice",
     "\"is_Router\" given twice in one record", "give each member once; the last one is read"},
    {Rule::kTileNotListed, "NOC111", W, "no router lists the tile", "a tile that no router lists",
     "list it in its router's neighbours, or remove it"},
    {Rule::kUnconnectablePort, "NOC112", W, "an inout or interface port is left unconnected",
     "inout [7:0] gpio, or an interface port",
     "connect it in a wrapper; noc_top leaves it unconnected"},
    {Rule::kRouterSourceDiffers, "NOC113", W, "a router's own source has other ports",
     "a router node naming router_v2.sv whose ports differ from noc_router.sv's",
     "give every router source the ports of noc_router.sv"},
    {Rule::kPortWithoutPartner, "NOC114", W, "a NoC port finds no partner, so pairing shifts",
     "tile input noc_in_flit with no partner noc_out_flit",
     "declare NoC ports in pairs, in the same order on router and tile"},
    {Rule::kSourceWarning, "NOC115", W, "a port list holds an empty port, which compilers skip",
     "module m(input a, , input b)", "remove the empty port"},
    {Rule::kTypedNocPort, "NOC021", E, "a NoC port has a data type the top's wires cannot carry",
     "input flit_t [N-1:0] in_flit",
     "declare the port as a packed vector: input logic [N-1:0][$bits(flit_t)-1:0] in_flit"},
    {Rule::kRouterClockNotNamed, "NOC116", W, "a router's clock or reset is not named clk or rst",
     "router input clk_i or rst_ni", "name the router's clock clk and its reset rst (active high)"},
    {Rule::kTileWithoutResetInput, "NOC117", W, "the compute tile has no input rst_sys",
     "a tile without input rst_sys", "give the tile an input rst_sys"},
    {Rule::kTileWithoutConfig, "NOC118", W, "the compute tile has no parameter CONFIG",
     "a tile without parameter CONFIG", "give the tile a parameter config_t CONFIG"},
    {Rule::kDimensionNamesOwnParameter, "NOC119", W,
     "a copied dimension names the module's own parameter",
     "input [W-1:0] noc_in_flit, W being the tile's own parameter",
     "size NoC ports with FLIT_WIDTH, CHANNELS, VCHANNELS, CONFIG or package constants"},
    {Rule::kMoreTilesThanDests, "NOC120", W, "more tiles than the DESTS every router is given",
     "33 tiles in one network", "keep to 32 tiles, the DESTS every router is given"},
    {Rule::kDescriptionNameTwice, "NOC121", W,
     "more than one description of that name below the base directory",
     "noc_soc.json in the base directory and backup/noc_soc.json below it",
     "remove the stale copies, or name the one meant with --description sub/noc_soc.json"},
    {Rule::kLinkWireTwice, "NOC022", E,
     "two links get one wire name, because their routers share a number",
     "routers R_0_0 and R_0_1, both router 0, linked to R_1_0",
     "give every router a number of its own in the second field of its name"},
    {Rule::kTileListsStranger, "NOC122", W, "a tile lists a router that does not list it",
     "T_2 lists R_3, while R_2 lists T_2",
     "make the tile's neighbors name the router that lists it"},
    {Rule::kTileListsNoRouter, "NOC123", W, "a tile lists no router",
     "\"T_2\": {\"neighbors\": []}",
     "list the tile's router in its neighbors, or leave the member out"},
    {Rule::kRouterParameterMissing, "NOC023", E,
     "the router has no parameter INPUTS, OUTPUTS or DESTS",
     "module noc_router #(parameter NUM_IN = 5, ...)",
     "declare parameters INPUTS, OUTPUTS and DESTS (they may go unused)"},
    {Rule::kTileIsRouter, "NOC024", E, "a tile names the router's source",
     "\"T_1\": {\"is_Router\": false, \"top_module_fname\": \"noc_router.sv\"}",
     "name the tile's own source in top_module_fname"},
    {Rule::kTilePortMissing, "NOC025", E,
     "a tile lacks a port noc_top connects, or has it the other way",
     "the last tile has noc_in_last and another tile module lacks it, or has it as an output",
     "give every tile module the NoC ports, clocks and directions of the last endpoint's source"},
    {Rule::kTilePortWidth, "NOC026", E, "a tile NoC port is wider or narrower than its wire",
     "input [15:0] noc_in_flit where the last endpoint's tile has [31:0]",
     "make every tile's NoC ports as wide as the last endpoint's"},
    {Rule::kTilePortOpen, "NOC124", W, "a tile input or NoC port is left unconnected",
     "a tile input irq, or a NoC output the last endpoint's tile lacks",
     "tie the input off inside the tile, or waive the warning when leaving it open is meant"},
    {Rule::kTileDimensionDiffers, "NOC125", W,
     "a tile NoC port's dimensions differ from its wire's and cannot be compared",
     "[CONFIG.NOC_CHANNELS-1:0] on one tile and [CHANNELS-1:0] on the last endpoint's",
     "write the same dimensions on every tile; nocgen verify proves the widths"},
    {Rule::kParameterNotPassed, "NOC126", W,
     "a copied dimension names a parameter noc_top does not pass, whose values differ",
     "router parameter VCHANNELS = 3 sizing in_valid, while noc_top declares VCHANNELS = 2",
     "give the router's VCHANNELS the default 2, or size the port otherwise"},
    {Rule::kDimensionNeedsPackage, "NOC027", E,
     "a copied dimension names a constant of a package noc_top does not import",
     "module noc_router import soc_pkg::*; (input [INPUTS-1:0][NOC_VCS-1:0] in_valid, ...)",
     "write the constant with its package in the dimension: [soc_pkg::NOC_VCS-1:0]"},
    {Rule::kFolderUnlisted, "NOC127", W, "a folder below the base directory cannot be listed",
     "rtl/ip/ with mode 711: noc_router.sv in it is not found, and a mock under tb/ is read",
     "let the folder be listed (chmod a+r), or move what it holds out of the base directory"},
    {Rule::kRoutesUnsound, "NOC028", E,
     "the routing asked for can deadlock, loses packets, or cannot route the network",
     "--routing shortest on a ring: its minimal paths wait on each other in a cycle",
     "use --routing updown (any connected network) or auto; xy needs a W x H mesh"},
    {Rule::kRoutesUnset, "NOC128", W,
     "the router declares ROUTES, and no routing is asked: no packet is routed",
     "module noc_router #(parameter [OUTPUTS*DESTS-1:0] ROUTES = '0) generated without --routing",
     "generate with --routing auto (or xy, updown), which passes each router its table"},
    {Rule::kChannelsNotTwo, "NOC129", W,
     "the design's CONFIG assigns NOC_CHANNELS other than 2, while noc_top gives each tile two "
     "slots",
     "localparam config_t CONFIG = '{NOC_FLIT_WIDTH: 32, NOC_CHANNELS: 1} in tb/tb_noc_top.sv",
     "assign NOC_CHANNELS: 2 (the top's two slots per tile, and two destinations per tile)"},
};

}  // namespace

const RuleInfo& rule_info(Rule rule) {
  return kRules[static_cast<std::size_t>(rule)];
}

const std::vector<RuleInfo>& all_rules() {
  return kRules;
}

const char* severity_name(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

std::string full_message(const Diagnostic& d) {
  if (d.node.empty()) return d.message;
  return "node " + in_quotes(d.node) + ": " + d.message;
}

std::string render(const Diagnostic& d) {
  return format_problem(severity_name(d.severity()), full_message(d), d.file, d.line, d.column,
                        d.code());
}

Error to_error(const Diagnostic& d) {
  return Error(full_message(d), d.file, d.line, d.column, d.errno_value, d.code());
}

Diagnostic from_error(Rule rule, const Error& error, std::string node) {
  return Diagnostic{rule, error.file(),    error.line(),       error.column(), std::move(node),
                    {},   error.message(), error.errno_value()};
}

std::optional<Rule> rule_by_code(std::string_view code) {
  // Codes are read as the user types them: noc124 is NOC124, on every command.
  auto same = [](std::string_view typed, std::string_view known) {
    return typed.size() == known.size() &&
           std::equal(typed.begin(), typed.end(), known.begin(), [](char a, char b) {
             return std::toupper(static_cast<unsigned char>(a)) == b;
           });
  };
  for (const RuleInfo& info : kRules)
    if (same(code, info.code)) return info.rule;
  return std::nullopt;
}

bool WarningPolicy::apply(Diagnostic& d) const {
  if (rule_info(d.rule).severity == Severity::kError) return true;
  if (std::find(waived.begin(), waived.end(), d.rule) != waived.end()) return false;
  if (std::find(made_errors.begin(), made_errors.end(), d.rule) != made_errors.end())
    d.made_error = true;
  return true;
}

namespace {

Rule warning_rule(std::string_view code, std::string_view flag) {
  std::optional<Rule> rule = rule_by_code(code);
  if (!rule)
    throw Error(std::string(flag) + ": " + in_quotes(code) +
                " is no rule's code; nocgen explain lists them");
  if (rule_info(*rule).severity == Severity::kError && flag.starts_with("-Wno-"))
    throw Error(std::string(flag) + ": " + std::string(code) +
                " is an error, which cannot be waived: the top it concerns would be wrong");
  return *rule;
}

}  // namespace

bool read_warning_flag(std::string_view argument, WarningPolicy& policy) {
  if (argument.starts_with("-Wno-")) {
    policy.waived.push_back(warning_rule(argument.substr(5), argument));
    return true;
  }
  if (argument.starts_with("-Werror=")) {
    policy.made_errors.push_back(warning_rule(argument.substr(8), argument));
    return true;
  }
  return false;
}

void waive_codes(const std::vector<std::string>& codes, WarningPolicy& policy) {
  for (const std::string& code : codes) policy.waived.push_back(warning_rule(code, "-Wno-" + code));
}

const Diagnostic* DiagnosticSink::first_error() const {
  for (const Diagnostic& d : list_)
    if (d.severity() == Severity::kError) return &d;
  return nullptr;
}

}  // namespace noc::model
