#include "model/tile_rules.h"

#include <algorithm>
#include <set>
#include <unordered_set>

#include "common/text.h"
#include "model/dimension_width.h"
#include "model/port_template.h"

namespace noc::model {
namespace {

bool readable_endpoint(const Node& node) {
  return node.record_is_object && node.is_router_member != Member::kAbsent && !node.is_router &&
         node.top_module_fname_member == Member::kPresent;
}

std::string lower(std::string_view text) {
  std::string out(text);
  std::transform(out.begin(), out.end(), out.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  return out;
}

// Resets and debug inputs are tied off or left open by design; noc_top drives only rst_sys.
bool reset_or_debug(std::string_view name) {
  std::string text = lower(name);
  for (const char* word : {"rst", "reset", "dbg", "debug"})
    if (text.find(word) != std::string::npos) return true;
  return false;
}

// The dimensions of a port without its name: what the top's wire for it copies.
std::string dimensions_of(const rtl::PortTuple& port) {
  std::string out;
  for (std::size_t i = 0; i < port.pieces.size(); ++i)
    if (i != port.name_index) out += port.pieces[i];
  out.erase(std::remove(out.begin(), out.end(), ' '), out.end());
  return out;
}

const rtl::PortTuple* find_port(const std::vector<rtl::PortTuple>& ports, const std::string& name) {
  for (const rtl::PortTuple& port : ports)
    if (port.name() == name) return &port;
  return nullptr;
}

// One tile source and the nodes that name it.
struct TileSource {
  std::string_view name;        ///< top_module_fname as written
  const Node* first = nullptr;  ///< the first node naming it, which messages name
};

std::vector<TileSource> tile_sources(const Description& description) {
  std::vector<TileSource> sources;
  std::unordered_set<std::string_view> seen;
  std::string_view previous;
  for (const Node& node : description.nodes()) {
    if (!readable_endpoint(node)) continue;
    // Tiles of one design mostly name one source: the set is asked only when it changes.
    if (!sources.empty() && node.top_module_fname == previous) continue;
    previous = node.top_module_fname;
    if (seen.insert(previous).second) sources.push_back(TileSource{previous, &node});
  }
  return sources;
}

class TileRules {
 public:
  TileRules(const TileInterface& tile, const rtl::ParsedSource& interface_source,
            DiagnosticSink& sink)
      : tile_(tile), interface_(interface_source), sink_(sink) {}

  void check(const TileSource& source, const rtl::ParsedSource& parsed) {
    node_ = source.first;
    source_ = &parsed;
    check_conventions();
    if (parsed.path != interface_.path) {
      check_connected_ports();
      check_noc_dimensions();
    }
    check_open_ports();
  }

  // A router listed as a tile gets the tile's connections and none of its own.
  bool is_router(const TileSource& source, const rtl::ParsedSource& parsed,
                 const std::set<std::string>& router_modules,
                 const std::set<std::string_view>& router_sources) {
    std::string_view base = source.name.substr(source.name.rfind('/') + 1);
    bool router_file = base == kRouterSourceName || router_sources.count(source.name);
    bool router_module = router_modules.count(parsed.first.name) > 0;
    if (!router_file && !router_module) return false;
    node_ = source.first;
    source_ = &parsed;
    add(Rule::kTileIsRouter, "",
        "tile source " + in_quotes(source.name) + " is a router's" +
            (router_module ? " (module " + parsed.first.name + ")" : std::string()) +
            "; noc_top would connect it as a compute tile, with the tile's clocks, rst_sys and "
            "NoC ports: name the tile's own source in top_module_fname");
    return true;
  }

 private:
  std::string origin() const {
    return "the ports come from " + in_quotes(tile_.source_name) +
           ", the last endpoint's source, and every tile instance is connected with them";
  }

  void check_conventions() {
    const rtl::ModuleHeader& module = source_->first;
    if (!find_port(module.inputs, "rst_sys"))
      add(Rule::kTileWithoutResetInput, "",
          "module " + module.name + " has no input \"rst_sys\"; noc_top connects .rst_sys (rst) " +
              "on every tile instance, which compilers refuse");
    bool has_config = std::any_of(module.params.begin(), module.params.end(),
                                  [](const auto& p) { return p.name == "CONFIG" && !p.local; });
    if (!has_config)
      add(Rule::kTileWithoutConfig, "",
          "module " + module.name + " has no parameter \"CONFIG\"; noc_top passes " +
              "#(.CONFIG(CONFIG)) to every tile instance, which compilers refuse");
  }

  void check_connected_ports() {
    for (const std::string& name : tile_.clk) need(name, true);
    for (const std::string& name : tile_.in_from_noc) need(name, true);
    for (const std::string& name : tile_.out_to_noc) need(name, false);
  }

  void need(const std::string& name, bool input) {
    const rtl::ModuleHeader& module = source_->first;
    const auto& same = input ? module.inputs : module.outputs;
    if (find_port(same, name)) return;
    const char* wanted = input ? "input" : "output";
    std::string has;
    if (find_port(input ? module.outputs : module.inputs, name))
      has = input ? "an output" : "an input";
    else if (std::find(module.unconnectable_ports.begin(), module.unconnectable_ports.end(),
                       name) != module.unconnectable_ports.end())
      has = "an inout or interface port";
    if (has.empty())
      add(Rule::kTilePortMissing, "",
          "module " + module.name + " of " + in_quotes(source_->path) + " has no " + wanted + " " +
              in_quotes(name) + ", which noc_top connects on its instances; " + origin());
    else
      add(Rule::kTilePortMissing, name,
          "port " + in_quotes(name) + " of module " + module.name + " is " + has +
              ", but noc_top connects it as an " + wanted + "; " + origin());
  }

  void check_noc_dimensions() {
    NameValue own = parameter_values(source_->first.params);
    NameValue model = parameter_values(interface_.first.params);
    auto compare = [&](const OrderedMap<rtl::PortTuple>& wires,
                       const std::vector<rtl::PortTuple>& ports) {
      for (const auto& [name, wire] : wires) {
        const rtl::PortTuple* port = find_port(ports, name);
        if (!port) continue;
        std::string theirs = dimensions_of(*port), ours = dimensions_of(wire);
        if (theirs == ours) continue;
        std::optional<std::int64_t> a = dimension_elements(theirs, own);
        std::optional<std::int64_t> b = dimension_elements(ours, model);
        if (a && b && *a == *b) continue;
        if (a && b)
          add(Rule::kTilePortWidth, name,
              "NoC port " + in_quotes(name) + " of module " + source_->first.name + " has " +
                  std::to_string(*a) + " bits (" + show(theirs) + "), but noc_top's wire for it " +
                  "has " + std::to_string(*b) + " (" + show(ours) + "); " + origin());
        else
          add(Rule::kTileDimensionDiffers, name,
              "NoC port " + in_quotes(name) + " of module " + source_->first.name +
                  " has the dimensions " + in_quotes(theirs) + ", noc_top's wire for it " +
                  in_quotes(ours) + " (from " + in_quotes(tile_.source_name) +
                  "); their widths cannot be compared here: nocgen verify proves them");
      }
    };
    compare(tile_.in_from_noc_dict, source_->first.inputs);
    compare(tile_.out_to_noc_dict, source_->first.outputs);
  }

  static std::string show(const std::string& dimensions) {
    return dimensions.empty() ? "one bit" : dimensions;
  }

  void check_open_ports() {
    const rtl::ModuleHeader& module = source_->first;
    std::unordered_set<std::string_view> connected(tile_.clk.begin(), tile_.clk.end());
    connected.insert(tile_.in_from_noc.begin(), tile_.in_from_noc.end());
    connected.insert("rst_sys");
    // A port the top connects the other way is reported as such.
    connected.insert(tile_.out_to_noc.begin(), tile_.out_to_noc.end());
    for (const rtl::PortTuple& port : module.inputs) {
      if (connected.count(port.name()) || reset_or_debug(port.name())) continue;
      add(Rule::kTilePortOpen, port.name(),
          "input " + in_quotes(port.name()) + " of module " + module.name +
              " is left unconnected: noc_top connects a tile's clocks, rst_sys and the NoC ports "
              "of " +
              in_quotes(tile_.source_name) + " only");
    }
    std::unordered_set<std::string_view> outputs(tile_.out_to_noc.begin(), tile_.out_to_noc.end());
    outputs.insert(tile_.in_from_noc.begin(), tile_.in_from_noc.end());
    for (const rtl::PortTuple& port : module.outputs) {
      if (outputs.count(port.name()) || port.name().find("noc") == std::string::npos) continue;
      add(Rule::kTilePortOpen, port.name(),
          "NoC output " + in_quotes(port.name()) + " of module " + module.name +
              " is left unconnected: noc_top wires the NoC ports of " +
              in_quotes(tile_.source_name) + " only, which lack it");
    }
  }

  void add(Rule rule, const std::string& port, std::string message) {
    const rtl::SourcePlace& place = port.empty() ? source_->module_place : source_->place_of(port);
    sink_.add(at_source(place, rule, *node_, std::move(message)));
  }

  const TileInterface& tile_;
  const rtl::ParsedSource& interface_;
  DiagnosticSink& sink_;
  const Node* node_ = nullptr;
  const rtl::ParsedSource* source_ = nullptr;
};

// A source that cannot be read is reported where it is used; here it has nothing to compare.
const rtl::ParsedSource* parsed(rtl::RtlCatalog& catalog, std::string_view name) {
  try {
    return &catalog.parse(rtl::gen_tile(catalog, std::string(name)));
  } catch (const Error&) {
    return nullptr;
  }
}

}  // namespace

void check_tile_sources(const Description& description, const RouterTable& table,
                        const TileInterface& tile, rtl::RtlCatalog& catalog, DiagnosticSink& sink) {
  const rtl::ParsedSource* interface_source = parsed(catalog, tile.source_name);
  if (!interface_source) return;
  std::set<std::string> router_modules;
  std::set<std::string_view> router_sources{kRouterSourceName};
  for (const RouterRecord& router : table.routers) router_sources.insert(router.top_module_fname());
  for (std::string_view name : router_sources)
    if (const rtl::ParsedSource* router = parsed(catalog, name))
      if (!router->module_names.empty()) router_modules.insert(router->first.name);
  TileRules rules(tile, *interface_source, sink);
  for (const TileSource& source : tile_sources(description)) {
    const rtl::ParsedSource* tile_source = parsed(catalog, source.name);
    if (!tile_source || tile_source->module_names.empty()) continue;
    if (rules.is_router(source, *tile_source, router_modules, router_sources)) continue;
    rules.check(source, *tile_source);
  }
}

}  // namespace noc::model
