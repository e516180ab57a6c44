#include "model/plan.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

#include "common/error.h"
#include "common/text.h"

namespace noc::model {
namespace {

// Counts the instances made of each node so far, by the node's place in the description.
class InstanceCounter {
 public:
  explicit InstanceCounter(const Description& description)
      : description_(description), seen_(description.nodes().size()) {}

  int next(const Node& node) { return seen_[description_.number(node)]++; }

 private:
  const Description& description_;
  std::vector<int> seen_;
};

class Planner {
 public:
  Planner(Plan& plan, rtl::RtlCatalog& catalog, DiagnosticSink& sink)
      : plan_(plan), catalog_(catalog), sink_(sink), counter_(*plan.description) {}

  void run() {
    // The blocks' tiles point into one array, sized once so that it never moves.
    plan_.blocks.reserve(plan_.routers->routers.size());
    plan_.tiles.reserve(plan_.routers->tiles.size());
    bool first = true;
    for (const RouterRecord& router : plan_.routers->routers) {
      RouterBlock block;
      block.router = &router;
      check_endpoint_wires(router, first);
      std::size_t first_tile = plan_.tiles.size();
      plan_tiles(router);
      block.tiles = std::span<const TileInstance>(plan_.tiles).subspan(first_tile);
      check_router_instance(router);
      block.module = module_of(router.top_module_fname(), *router.node);
      check_port_lines(router);
      plan_.blocks.push_back(block);
      first = false;
    }
  }

 private:
  void report(const Node& node, Rule rule, std::string message) {
    sink_.add(plan_.description->diagnostic(node, rule, std::move(message)));
  }

  // A problem of the one tile interface or router template shows at every router alike; it is
  // reported once, at the first router that meets it.
  void report_once(const Node& node, Rule rule, std::string message) {
    if (reported_.insert(message).second) report(node, rule, std::move(message));
  }

  // A problem of the tile interface itself is the tile source's: it is located at the port (or
  // the module) there, naming the endpoint whose source gave the interface.
  void report_at_tile_source(Rule rule, const std::string& port, std::string message,
                             const Node& fallback) {
    if (!reported_.insert(message).second) return;
    const Node* node = interface_node();
    const rtl::ParsedSource* source = nullptr;
    try {
      source = &catalog_.parse(plan_.tile->source_name);
    } catch (const Error&) {
    }
    if (!node || !source) return report(fallback, rule, std::move(message));
    const rtl::SourcePlace& place = port.empty() ? source->module_place : source->place_of(port);
    sink_.add(at_source(place, rule, *node, std::move(message)));
  }

  // The last endpoint naming the interface's source, as the router table chose it.
  const Node* interface_node() const {
    if (!plan_.routers->ip) return nullptr;
    const Node* found = nullptr;
    for (const Node& node : plan_.description->nodes())
      if (node.record_is_object && !node.is_router && node.is_router_member != Member::kAbsent &&
          node.top_module_fname_member == Member::kPresent &&
          node.top_module_fname == *plan_.routers->ip)
        found = &node;
    return found;
  }

  // Every endpoint wire is declared with the tuple of the tile port it is named after. The
  // lookup depends on the router only when a port name has fewer than three fields, since the
  // wire's first three fields then take in part of the router's name.
  // After the first router only those names are looked up again, found once per run.
  void check_endpoint_wires(const RouterRecord& router, bool first) {
    const TileInterface& tile = *plan_.tile;
    if (first) {
      short_inputs_ = short_names(tile.in_from_noc);
      short_partners_ = short_names(plan_.wires->partner_ports());
    }
    check_declarations(tile.in_from_noc_dict, first ? tile.in_from_noc : short_inputs_, router);
    check_declarations(tile.out_to_noc_dict, first ? plan_.wires->partner_ports() : short_partners_,
                       router);
  }

  static std::size_t field_count(const std::string& name) {
    return static_cast<std::size_t>(std::count(name.begin(), name.end(), '_')) + 1;
  }

  static std::vector<std::string> short_names(const std::vector<std::string>& names) {
    std::vector<std::string> short_ones;
    for (const std::string& name : names)
      if (field_count(name) < 3) short_ones.push_back(name);
    return short_ones;
  }

  void check_declarations(const OrderedMap<rtl::PortTuple>& ports,
                          const std::vector<std::string>& names, const RouterRecord& router) {
    for (const std::string& name : names) {
      std::size_t fields = field_count(name);
      std::string wire = name;
      append_endpoint_suffix(wire, router);
      if (declaration_port(ports, wire)) continue;
      std::string problem = fields < 3   ? "fewer than three"
                            : fields > 3 ? "more than three"
                                         : "three";
      report_at_tile_source(Rule::kTilePortFields, name,
                            "tile port " + in_quotes(name) + " has " + problem +
                                " \"_\"-separated fields; tile NoC ports must be named like "
                                "noc_in_flit",
                            *router.node);
    }
  }

  void plan_tiles(const RouterRecord& router) {
    const TileInterface& tile = *plan_.tile;
    int index = router.no_of_EPs - 1;
    for (const Node* node : router.tiles) {
      if (tile.out_to_noc.empty() && tile.module_name.empty())
        report_at_tile_source(Rule::kTileNoNocOutput, "",
                              "compute tile " + in_quotes(tile.source_name) +
                                  " declares no module (the file is empty, or `ifdef leaves out "
                                  "every module), so its instances cannot be connected",
                              *node);
      else if (tile.out_to_noc.empty())
        report_at_tile_source(Rule::kTileNoNocOutput, "",
                              "compute tile " + in_quotes(tile.source_name) + " (module " +
                                  tile.module_name +
                                  ", the first of the file) has no NoC output (an output with "
                                  "\"noc\" in its name), so its instances cannot be connected",
                              *node);
      std::string_view module = module_of(node->top_module_fname, *node);
      plan_.tiles.push_back(TileInstance{node, module, counter_.next(*node), index--});
    }
  }

  // The first module of a source, which names the instances made of it. The tile generator's
  // step (gen_tile) is the catalog's lookup of the source.
  // Many instances name one source, so each source is looked up once; one that fails stays
  // without a module, reported once.
  std::string_view module_of(std::string_view source, const Node& node) {
    auto [at, inserted] = plan_.modules.try_emplace(source);
    if (!inserted) return at->second;
    try {
      at->second = rtl::top_module(catalog_.parse(rtl::gen_tile(catalog_, std::string(source))));
    } catch (const Error& error) {
      sink_.add(source_problem(*plan_.description, node, error));
    }
    return at->second;
  }

  void check_router_instance(const RouterRecord& router) {
    if (router.links.empty() && !router.incomplete)
      report(*router.node, Rule::kNoRouterNeighbour,
             "has no router neighbour; every router needs at least one");
    if (plan_.tile->router_outputs_in_order.empty())
      report_once(*router.node, Rule::kNoRouterOutputFacesTile,
                  "router source " + in_quotes(kRouterSourceName) +
                      ": no router output faces the compute tile " +
                      in_quotes(plan_.tile->source_name) +
                      " (a tile output noc_X needs a router output X paired with a router input)");
  }

  // The lists of one port line are read by position; a description whose tile and router
  // ports do not pair up runs out of entries.
  void check_port_lines(const RouterRecord& router) {
    const TileInterface& tile = *plan_.tile;
    const bool has_tiles = router.no_of_EPs > 0;
    for (std::size_t i = 0; i < tile.router_inputs.size(); ++i) {
      const std::string& port = tile.router_inputs[i];
      if (has_tiles)
        need(plan_.wires->partner_ports().size(), i, router, port, "paired tile NoC output");
      if (router.has_second_end)
        need(tile.router_outputs_in_order.size(), i, router, port,
             "partner output among the router outputs facing the tile");
    }
    const std::vector<std::string>& outputs = tile.router_outputs_in_order;
    for (std::size_t i = 0; i < outputs.size(); ++i)
      if (has_tiles) need(tile.in_from_noc.size(), i, router, outputs[i], "paired tile NoC input");
  }

  void need(std::size_t size, std::size_t i, const RouterRecord& router, const std::string& port,
            const char* missing) {
    if (i >= size)
      report_once(*router.node, Rule::kPortLineShort,
                  "router port " + in_quotes(port) + " has no " + missing);
  }

  Plan& plan_;
  rtl::RtlCatalog& catalog_;
  DiagnosticSink& sink_;
  InstanceCounter counter_;
  std::vector<std::string> short_inputs_, short_partners_;  ///< of fewer than three fields
  std::unordered_set<std::string> reported_;
};

}  // namespace

void TileInstance::append_instance(std::string& out) const {
  out.append(module).append("_").append(node->name).append("_inst");
  if (repeat > 0) out.append("_").append(std::to_string(repeat));
}

std::string TileInstance::instance() const {
  std::string name;
  append_instance(name);
  return name;
}

const rtl::PortTuple* declaration_port(const OrderedMap<rtl::PortTuple>& ports,
                                       std::string_view wire) {
  return ports.find(leading_fields(wire, 3));
}

Plan build_plan(const Description& description, const RouterTable& routers,
                const RouterPortTemplate& router_ports, const TileInterface& tile,
                const ConnectionTables& wires, rtl::RtlCatalog& catalog, DiagnosticSink& sink) {
  Plan plan;
  plan.description = &description;
  plan.routers = &routers;
  plan.router_ports = &router_ports;
  plan.tile = &tile;
  plan.wires = &wires;
  Planner(plan, catalog, sink).run();
  return plan;
}

}  // namespace noc::model
