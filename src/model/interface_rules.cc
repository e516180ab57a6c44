#include "model/interface_rules.h"

#include <set>
#include <unordered_set>

#include "common/text.h"

namespace noc::model {
namespace {

std::string name_list(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size() && i < 4; ++i)
    out += (i ? ", " : "") + in_quotes(names[i]);
  if (names.size() > 4) out += " and " + std::to_string(names.size() - 4) + " more";
  return out;
}

class InterfaceRules {
 public:
  InterfaceRules(const Description& description, const RouterPortTemplate& router_ports,
                 const TileInterface& tile, DiagnosticSink& sink)
      : description_(description), router_ports_(router_ports), tile_(tile), sink_(sink) {}

  // Router ports are paired with tile ports by position; one port without its counterpart
  // moves every later pair by one, and the routers' ports are then wired to the wrong tiles'.
  void check_pairing(const Node& tile_node, const Node* router_node) {
    for (const std::string& input : tile_.in_from_noc) {
      std::string facing = input.size() <= 4 ? std::string() : input.substr(4);
      if (!router_ports_.router_inputs_dict.contains(facing))
        warn(tile_node, "tile NoC input " + in_quotes(input) + " faces no router input " +
                            in_quotes(facing) +
                            "; the router ports after it pair with the "
                            "wrong tile ports");
      std::optional<std::string> partner = tile_partner_name(input);
      if (partner && !tile_.out_to_noc_dict.contains(*partner))
        warn(tile_node, "tile NoC input " + in_quotes(input) + " has no partner output " +
                            in_quotes(*partner) + "; the tile wires after it shift by one");
    }
    for (const std::string& output : tile_.out_to_noc) {
      std::string facing = output.size() <= 4 ? std::string() : output.substr(4);
      if (!router_ports_.router_outputs_dict.contains(facing))
        warn(tile_node, "tile NoC output " + in_quotes(output) + " faces no router output " +
                            in_quotes(facing) + "; it is left unconnected at the router");
    }
    if (!router_node) return;
    std::unordered_set<std::string> outputs(tile_.router_outputs.begin(),
                                            tile_.router_outputs.end());
    for (const std::string& input : tile_.router_inputs) {
      std::string partner = router_partner_name(input);
      if (!outputs.count(partner))
        warn(*router_node, "router input " + in_quotes(input) +
                               " faces the tile, but its "
                               "partner output " +
                               in_quotes(partner) +
                               " does not; the output "
                               "ports after it pair with the wrong inputs");
    }
  }

  // What Verilator reads with a warning is read the same way here, and the warning is kept.
  void check_source_warnings(const Node& node, const rtl::ParsedSource& source) {
    if (!warned_.insert(source.path).second) return;
    for (const rtl::SourceWarning& warning : source.warnings) {
      Diagnostic d;
      d.rule = Rule::kSourceWarning;
      d.file = warning.file;
      d.line = warning.line;
      d.column = warning.column;
      d.node = node.name;
      d.message = warning.message;
      sink_.add(std::move(d));
    }
  }

  void check_unconnectable(const Node& node, const rtl::ParsedSource& source) {
    const std::vector<std::string>& ports = source.first.unconnectable_ports;
    if (ports.empty()) return;
    warn(node,
         "source " + in_quotes(source.path) + " has inout or interface ports (" + name_list(ports) +
             "); noc_top leaves them unconnected",
         Rule::kUnconnectablePort);
  }

  // Every router instance is connected with the ports of "noc_router.sv"; a router whose own
  // source declares other ports gets pins that do not exist, or misses some.
  void check_router_source(const Node& node, const rtl::ParsedSource& source) {
    std::set<std::string> wanted(router_ports_.router_clk_rst.begin(),
                                 router_ports_.router_clk_rst.end());
    for (const rtl::PortTuple& port : router_ports_.data_inputs) wanted.insert(port.name());
    for (const auto& [name, port] : router_ports_.router_outputs_dict) wanted.insert(name);
    std::set<std::string> has;
    for (const auto* list : {&source.first.inputs, &source.first.outputs})
      for (const rtl::PortTuple& port : *list) has.insert(port.name());
    std::vector<std::string> missing, extra;
    for (const std::string& name : wanted)
      if (!has.count(name)) missing.push_back(name);
    for (const std::string& name : has)
      if (!wanted.count(name)) extra.push_back(name);
    if (missing.empty() && extra.empty()) return;
    std::string detail;
    if (!missing.empty()) detail += "it lacks " + name_list(missing);
    if (!extra.empty())
      detail += std::string(detail.empty() ? "" : " and ") + "has " + name_list(extra) + " besides";
    warn(node,
         "its source " + in_quotes(node.top_module_fname) + " has other ports than " +
             in_quotes(kRouterSourceName) +
             ", whose ports every router instance is "
             "connected with: " +
             detail,
         Rule::kRouterSourceDiffers);
  }

 private:
  void warn(const Node& node, std::string message, Rule rule = Rule::kPortWithoutPartner) {
    sink_.add(description_.diagnostic(node, rule, std::move(message)));
  }

  const Description& description_;
  const RouterPortTemplate& router_ports_;
  const TileInterface& tile_;
  DiagnosticSink& sink_;
  std::unordered_set<std::string> warned_;  ///< sources whose warnings are reported
};

// A source that cannot be read is reported where it is used; here it only has no ports.
const rtl::ParsedSource* parsed(rtl::RtlCatalog& catalog, const std::string& name) {
  try {
    return &catalog.parse(name);
  } catch (const Error&) {
    return nullptr;
  }
}

}  // namespace

void check_interfaces(const Description& description, const RouterTable& table,
                      const RouterPortTemplate& router_ports, const TileInterface& tile,
                      const Node& tile_node, rtl::RtlCatalog& catalog, DiagnosticSink& sink) {
  InterfaceRules rules(description, router_ports, tile, sink);
  const Node* router_node = table.routers.empty() ? nullptr : table.routers.front().node;
  if (router_node) rules.check_pairing(tile_node, router_node);
  if (const rtl::ParsedSource* source = parsed(catalog, tile.source_name)) {
    rules.check_unconnectable(tile_node, *source);
    rules.check_source_warnings(tile_node, *source);
  }
  if (router_node) {
    if (const rtl::ParsedSource* source = parsed(catalog, kRouterSourceName)) {
      rules.check_unconnectable(*router_node, *source);
      rules.check_source_warnings(*router_node, *source);
    }
  }
  std::unordered_set<std::string_view> seen{kRouterSourceName};
  for (const RouterRecord& router : table.routers) {
    if (!seen.insert(router.top_module_fname()).second) continue;
    if (const rtl::ParsedSource* source = parsed(catalog, std::string(router.top_module_fname()))) {
      rules.check_router_source(*router.node, *source);
      rules.check_source_warnings(*router.node, *source);
    }
  }
}

}  // namespace noc::model
