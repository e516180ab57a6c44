#include "model/diagnostics.h"

#include "common/text.h"

namespace noc::model {
namespace {

constexpr Severity E = Severity::kError;
constexpr Severity W = Severity::kWarning;

// One row per rule. Codes are stable: a retired rule keeps its number unused.
const std::vector<RuleInfo> kRules = {
    {Rule::kNoDescription, "NOC001", E, "no description of that name below the base directory"},
    {Rule::kInvalidDescription, "NOC002", E, "the description is not a JSON object of nodes"},
    {Rule::kRecordNotObject, "NOC003", E, "a node record is not a JSON object"},
    {Rule::kIsRouterMissing, "NOC004", E, "a node has no is_Router"},
    {Rule::kNeighborsMissing, "NOC005", E, "a router has no neighbors"},
    {Rule::kNeighborsNotArray, "NOC006", E, "neighbors is not an array of node names"},
    {Rule::kSourceNameMissing, "NOC007", E, "a node has no top_module_fname"},
    {Rule::kSourceNameNotText, "NOC008", E, "top_module_fname is not a text"},
    {Rule::kUnknownNeighbour, "NOC009", E, "a neighbour is not a node of the description"},
    {Rule::kRouterWithoutNumber, "NOC010", E, "a linked router's name has no second field"},
    {Rule::kRouterNumberNotDecimal, "NOC011", E, "a linked router's number is not decimal"},
    {Rule::kNameNotIdentifier, "NOC012", E, "a node name is not a SystemVerilog identifier"},
    {Rule::kNoEndpoint, "NOC013", E, "the description has no endpoint node"},
    {Rule::kSourceProblem, "NOC014", E, "a source cannot be found, read or parsed"},
    {Rule::kNoRouterNeighbour, "NOC015", E, "a router has no router neighbour"},
    {Rule::kNoTile, "NOC016", E, "a router has no compute tile"},
    {Rule::kTileNoNocOutput, "NOC017", E, "the compute tile has no NoC output"},
    {Rule::kTilePortFields, "NOC018", E, "a tile NoC port is not named like noc_in_flit"},
    {Rule::kNoRouterOutputFacesTile, "NOC019", E, "no router output faces the compute tile"},
    {Rule::kPortLineShort, "NOC020", E, "a router port has no tile or partner port to pair with"},
    {Rule::kNotMirrored, "NOC101", W, "a neighbour does not list the router back"},
    {Rule::kListsItself, "NOC102", W, "a router lists itself"},
    {Rule::kDifferentPrefixes, "NOC103", W, "linked routers have different prefixes"},
    {Rule::kNumberNotPlain, "NOC104", W, "a router number has a leading zero or a sign"},
    {Rule::kSameNumber, "NOC105", W, "two routers have one number"},
    {Rule::kTileListedTwice, "NOC106", W, "a tile is listed more than once"},
    {Rule::kTileSourcesDiffer, "NOC107", W,
     "retired: each tile source is checked against what noc_top connects"},
    {Rule::kIsRouterNotBoolean, "NOC108", W, "is_Router is not a JSON boolean"},
    {Rule::kNameGivenTwice, "NOC109", W, "a node name is given twice"},
    {Rule::kMemberGivenTwice, "NOC110", W, "a member of a node record is given twice"},
    {Rule::kTileNotListed, "NOC111", W, "no router lists the tile"},
    {Rule::kUnconnectablePort, "NOC112", W, "an inout or interface port is left unconnected"},
    {Rule::kRouterSourceDiffers, "NOC113", W, "a router's own source has other ports"},
    {Rule::kPortWithoutPartner, "NOC114", W, "a NoC port finds no partner, so pairing shifts"},
    {Rule::kSourceWarning, "NOC115", W, "a port list holds an empty port, which compilers skip"},
    {Rule::kTypedNocPort, "NOC021", E, "a NoC port has a data type the top's wires cannot carry"},
    {Rule::kRouterClockNotNamed, "NOC116", W, "a router's clock or reset is not named clk or rst"},
    {Rule::kTileWithoutResetInput, "NOC117", W, "the compute tile has no input rst_sys"},
    {Rule::kTileWithoutConfig, "NOC118", W, "the compute tile has no parameter CONFIG"},
    {Rule::kDimensionNamesOwnParameter, "NOC119", W,
     "a copied dimension names the module's own parameter"},
    {Rule::kMoreTilesThanDests, "NOC120", W, "more tiles than the DESTS every router is given"},
    {Rule::kDescriptionNameTwice, "NOC121", W,
     "more than one description of that name below the base directory"},
    {Rule::kLinkWireTwice, "NOC022", E,
     "two links get one wire name, because their routers share a number"},
    {Rule::kTileListsStranger, "NOC122", W, "a tile lists a router that does not list it"},
    {Rule::kTileListsNoRouter, "NOC123", W, "a tile lists no router"},
    {Rule::kRouterParameterMissing, "NOC023", E,
     "the router has no parameter INPUTS, OUTPUTS or DESTS"},
    {Rule::kTileIsRouter, "NOC024", E, "a tile names the router's source"},
    {Rule::kTilePortMissing, "NOC025", E,
     "a tile lacks a port noc_top connects, or has it the other way"},
    {Rule::kTilePortWidth, "NOC026", E, "a tile NoC port is wider or narrower than its wire"},
    {Rule::kTilePortOpen, "NOC124", W, "a tile input or NoC port is left unconnected"},
    {Rule::kTileDimensionDiffers, "NOC125", W,
     "a tile NoC port's dimensions differ from its wire's and cannot be compared"},
    {Rule::kParameterNotPassed, "NOC126", W,
     "a copied dimension names a parameter noc_top does not pass, whose values differ"},
    {Rule::kDimensionNeedsPackage, "NOC027", E,
     "a copied dimension names a constant of a package noc_top does not import"},
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

const Diagnostic* DiagnosticSink::first_error() const {
  for (const Diagnostic& d : list_)
    if (d.severity() == Severity::kError) return &d;
  return nullptr;
}

}  // namespace noc::model
