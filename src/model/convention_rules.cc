#include "model/convention_rules.h"

#include <algorithm>
#include <array>
#include <map>
#include <set>

#include "common/text.h"
#include "model/dimension_width.h"

namespace noc::model {
namespace {

// Names noc_top declares itself, which a copied dimension may use.
const std::set<std::string> kTopNames = {"CONFIG", "FLIT_WIDTH", "CHANNELS", "VCHANNELS"};

// Those of them noc_top gives a value of its own rather than one from CONFIG.
const std::map<std::string, std::int64_t> kTopValues = {{"VCHANNELS", kTopVirtualChannels}};

// The packages noc_top imports.
const std::set<std::string> kTopPackages = {"dii_package", "optimsoc_config", "optimsoc_functions"};

bool is_identifier_start(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

bool is_identifier_char(char c) {
  return is_identifier_start(c) || (c >= '0' && c <= '9') || c == '$';
}

// "clk_i", "i_clk", "clock", "sys_clk" look like a clock; "rst_ni", "reset", "arst" like a reset.
bool looks_like(const std::string& name, const std::array<const char*, 2>& words) {
  std::string lower = name;
  std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) {
    return static_cast<char>(c >= 'A' && c <= 'Z' ? c + 32 : c);
  });
  for (std::string_view field : split_fields(lower))
    for (const char* word : words)
      if (field.find(word) != std::string_view::npos) return true;
  return false;
}

const rtl::ParsedSource* parsed(rtl::RtlCatalog& catalog, const std::string& name) {
  try {
    return &catalog.parse(name);
  } catch (const Error&) {
    return nullptr;
  }
}

class ConventionRules {
 public:
  ConventionRules(const Description& description, DiagnosticSink& sink)
      : description_(description), sink_(sink) {}

  // A struct or typedef port would get a wire of its dimensions alone, one bit per element: the
  // flits are cut to one bit, and compilers only warn about the width.
  void check_port_types(const Node& node, const rtl::ParsedSource& source,
                        const std::vector<const rtl::PortTuple*>& ports) {
    for (const rtl::PortTuple* port : ports) {
      if (plain_vector_type(port->type_text)) continue;
      add(Rule::kTypedNocPort, node, source, port->name(),
          "NoC port " + in_quotes(port->name()) + " of module " + source.first.name +
              " has the data type " + in_quotes(port->type_text) +
              ", which the wires of noc_top cannot carry (they are declared with the port's "
              "dimensions alone); declare it as a packed vector, such as logic [$bits(" +
              port->type_text + ")-1:0]");
    }
  }

  // `first_piece`: router link wires leave out the outer dimension (the port index).
  void check_dimensions(const Node& node, const rtl::ParsedSource& source,
                        const std::vector<const rtl::PortTuple*>& ports, std::size_t first_piece) {
    std::set<std::string> own;
    for (const rtl::ModuleParameter& param : source.first.params) own.insert(param.name);
    std::set<std::string> reported;
    for (const rtl::PortTuple* port : ports) {
      for (std::size_t i = first_piece; i < port->pieces.size(); ++i) {
        if (i == port->name_index) continue;
        for (const std::string& name : dimension_identifiers(port->pieces[i])) {
          if (!reported.insert(name).second) continue;
          if (own.count(name) && kTopNames.count(name))
            check_value_not_passed(node, source, *port, port->pieces[i], name);
          else if (own.count(name))
            add(Rule::kDimensionNamesOwnParameter, node, source, port->name(),
                "port " + in_quotes(port->name()) + " of module " + source.first.name +
                    " has the dimension " + in_quotes(port->pieces[i]) +
                    ", which names the module's own parameter " + in_quotes(name) +
                    "; noc_top copies the dimension into its wires, where " + in_quotes(name) +
                    " is not declared");
          else if (!kTopNames.count(name))
            check_package_constant(node, source, *port, port->pieces[i], name);
        }
      }
    }
  }

  // noc_top declares a parameter of this name for its wires but passes none to the module, so
  // the module's ports follow its own default.
  void check_value_not_passed(const Node& node, const rtl::ParsedSource& source,
                              const rtl::PortTuple& port, const std::string& dimension,
                              const std::string& name) {
    auto top = kTopValues.find(name);
    if (top == kTopValues.end()) return;  // from CONFIG, which only noc_top's user sets
    std::optional<std::int64_t> own = parameter_values(source.first.params)(name);
    if (own && *own == top->second) return;
    std::string default_text;
    for (const rtl::ModuleParameter& param : source.first.params)
      if (param.name == name) default_text = param.default_text;
    add(Rule::kParameterNotPassed, node, source, port.name(),
        "port " + in_quotes(port.name()) + " of module " + source.first.name +
            " has the dimension " + in_quotes(dimension) + ", sized by its parameter " +
            in_quotes(name) +
            (own ? " = " + std::to_string(*own) : " (default " + in_quotes(default_text) + ")") +
            "; noc_top does not pass " + name + " to the instances and declares its wires with " +
            name + " = " + std::to_string(top->second) + ", so the two differ in width");
  }

  // A constant that only the module's own import brings is not declared where noc_top copies
  // the dimension; noc_top imports the framework's packages alone.
  void check_package_constant(const Node& node, const rtl::ParsedSource& source,
                              const rtl::PortTuple& port, const std::string& dimension,
                              const std::string& name) {
    std::vector<std::string> others;
    bool framework_wildcard = false;
    for (const std::string& import : source.first.imports) {
      std::string package = import.substr(0, import.find("::"));
      std::string item = import.substr(std::min(import.size(), package.size() + 2));
      bool framework = kTopPackages.count(package) > 0;
      if (item == name) {
        if (framework) return;
        others = {package};
        framework_wildcard = false;
        break;
      }
      if (item != "*") continue;
      if (framework)
        framework_wildcard = true;
      else
        others.push_back(package);
    }
    // With a framework package imported as well, the constant may be the framework's.
    if (others.empty() || framework_wildcard) return;
    std::string from = in_quotes(others.front());
    for (std::size_t i = 1; i < others.size(); ++i)
      from += (i + 1 == others.size() ? " or " : ", ") + in_quotes(others[i]);
    add(Rule::kDimensionNeedsPackage, node, source, port.name(),
        "port " + in_quotes(port.name()) + " of module " + source.first.name +
            " has the dimension " + in_quotes(dimension) + ", which names " + in_quotes(name) +
            " of package " + from +
            "; noc_top copies the dimension into its wires but imports only dii_package, "
            "optimsoc_config and optimsoc_functions: write " +
            others.front() + "::" + name + " in the port's dimension");
  }

  void check_router_clock(const Node& node, const rtl::ParsedSource& source,
                          const RouterPortTemplate& router) {
    auto has = [&](const char* name) {
      return std::find(router.router_clk_rst.begin(), router.router_clk_rst.end(), name) !=
             router.router_clk_rst.end();
    };
    struct Role {
      const char* name;
      std::array<const char*, 2> words;
      const char* what;
    };
    for (const Role& role :
         {Role{"clk", {"clk", "clock"}, "a clock"}, Role{"rst", {"rst", "reset"}, "a reset"}}) {
      if (has(role.name)) continue;
      for (const rtl::PortTuple& port : source.first.inputs) {
        if (!looks_like(port.name(), role.words)) continue;
        add(Rule::kRouterClockNotNamed, node, source, port.name(),
            "router input " + in_quotes(port.name()) + " looks like " + role.what +
                ", but noc_top connects its " + role.name + " only to an input named " +
                in_quotes(role.name) + "; " + in_quotes(port.name()) + " is left unconnected");
        break;
      }
    }
  }

  // Every router instance is given these three; a module without one of them is refused by
  // every compiler ("parameter pin not found").
  void check_router_parameters(const Node& node, const rtl::ParsedSource& source) {
    const rtl::ModuleHeader& router = source.first;
    for (const char* name : {"INPUTS", "OUTPUTS", "DESTS"}) {
      bool has = std::any_of(router.params.begin(), router.params.end(),
                             [&](const auto& p) { return p.name == name && !p.local; });
      if (!has)
        add(Rule::kRouterParameterMissing, node, source, "",
            "module " + router.name + " has no parameter " + in_quotes(name) +
                "; noc_top passes #(.INPUTS(...), .OUTPUTS(...), .DESTS(...)) to every router "
                "instance, which compilers refuse; declare it (it may go unused)");
    }
  }

  void check_destinations(const RouterTable& table) {
    std::size_t tiles = 0;
    const Node* first_without = nullptr;  // the tile past the last destination
    for (const RouterRecord& router : table.routers) {
      for (const Node* tile : router.tiles)
        if (tiles++ == static_cast<std::size_t>(kRouterDests)) first_without = tile;
    }
    if (!first_without) return;
    sink_.add(description_.diagnostic(
        *first_without, Rule::kMoreTilesThanDests,
        "the network has " + std::to_string(tiles) + " tile instances, but noc_top gives " +
            "every router DESTS " + std::to_string(kRouterDests) +
            "; this tile and those after it have no destination of their own"));
  }

 private:
  void add(Rule rule, const Node& node, const rtl::ParsedSource& source, const std::string& port,
           std::string message) {
    sink_.add(at_source(source.place_of(port), rule, node, std::move(message)));
  }

  const Description& description_;
  DiagnosticSink& sink_;
};

// The router ports that get link wires: those that face the tile's NoC ports.
std::vector<const rtl::PortTuple*> router_link_ports(const RouterPortTemplate& router,
                                                     const TileInterface& tile) {
  std::vector<const rtl::PortTuple*> ports;
  for (const std::string& name : tile.router_inputs)
    if (const rtl::PortTuple* port = router.router_inputs_dict.find(name)) ports.push_back(port);
  for (const std::string& name : tile.router_outputs)
    if (const rtl::PortTuple* port = router.router_outputs_dict.find(name)) ports.push_back(port);
  return ports;
}

std::vector<const rtl::PortTuple*> tile_noc_ports(const TileInterface& tile) {
  std::vector<const rtl::PortTuple*> ports;
  for (const auto& [name, port] : tile.in_from_noc_dict) ports.push_back(&port);
  for (const auto& [name, port] : tile.out_to_noc_dict) ports.push_back(&port);
  return ports;
}

}  // namespace

bool plain_vector_type(const std::string& type_text) {
  static const std::set<std::string> kPlain = {"wire", "logic", "bit",      "reg",
                                               "var",  "tri",   "unsigned", "signed"};
  std::size_t at = 0;
  while (at < type_text.size()) {
    std::size_t start = type_text.find_first_not_of(' ', at);
    if (start == std::string::npos) break;
    std::size_t end = std::min(type_text.find(' ', start), type_text.size());
    if (!kPlain.count(type_text.substr(start, end - start))) return false;
    at = end;
  }
  return true;
}

std::vector<std::string> dimension_identifiers(const std::string& text) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i < text.size();) {
    if (!is_identifier_start(text[i]) || (i > 0 && is_identifier_char(text[i - 1]))) {
      ++i;
      continue;
    }
    std::size_t end = i;
    while (end < text.size() && is_identifier_char(text[end])) ++end;
    if (i > 0 && text[i - 1] == '\'') {  // the base and digits of a number: 8'hff, 'sd3
      i = end;
      continue;
    }
    std::size_t before = text.find_last_not_of(' ', i == 0 ? std::string::npos : i - 1);
    bool member =
        before != std::string::npos && i > 0 &&
        (text[before] == '.' || (text[before] == ':' && before > 0 && text[before - 1] == ':'));
    std::size_t after = text.find_first_not_of(' ', end);
    bool scope = after != std::string::npos && text.compare(after, 2, "::") == 0;
    if (!member && !scope) names.push_back(text.substr(i, end - i));
    i = end;
  }
  return names;
}

void check_conventions(const Description& description, const RouterTable& table,
                       const RouterPortTemplate& router_ports, const TileInterface& tile,
                       const Node& tile_node, rtl::RtlCatalog& catalog, DiagnosticSink& sink) {
  ConventionRules rules(description, sink);
  const Node* router_node = table.routers.empty() ? nullptr : table.routers.front().node;
  const rtl::ParsedSource* router = router_node ? parsed(catalog, kRouterSourceName) : nullptr;
  const rtl::ParsedSource* tile_source = parsed(catalog, tile.source_name);
  std::vector<const rtl::PortTuple*> link_ports = router_link_ports(router_ports, tile);
  std::vector<const rtl::PortTuple*> noc_ports = tile_noc_ports(tile);
  if (router) rules.check_port_types(*router_node, *router, link_ports);
  if (tile_source) rules.check_port_types(tile_node, *tile_source, noc_ports);
  if (router) {
    rules.check_router_clock(*router_node, *router, router_ports);
    rules.check_router_parameters(*router_node, *router);
    rules.check_dimensions(*router_node, *router, link_ports, 1);
  }
  if (tile_source) rules.check_dimensions(tile_node, *tile_source, noc_ports, 0);
  rules.check_destinations(table);
}

}  // namespace noc::model
