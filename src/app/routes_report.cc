#include "app/routes_report.h"

#include <algorithm>
#include <nlohmann/json.hpp>

#include "common/error.h"
#include "model/top_contract.h"
#include "route/design_routes.h"
#include "route/identity.h"

namespace noc::app {
namespace {

std::string slot_words(const route::PortMap& map, const route::Slot& slot) {
  if (!slot.to_router)
    return map.tile_instances[static_cast<std::size_t>(slot.tile)] + " channel " +
           std::to_string(slot.channel);
  std::string words = slot.router < 0
                          ? std::string("?")
                          : std::string(map.routers[static_cast<std::size_t>(slot.router)].name);
  words += " by link " + std::string(slot.link);
  if (slot.far_slot >= 0) words += ", its slot " + std::to_string(slot.far_slot);
  return words;
}

std::string verdict(const RoutesReport& report) {
  if (!report.check.cycle.empty())
    return "deadlock: the channels a packet holds while it waits form a cycle: " +
           route::cycle_text(report.map, report.check.cycle);
  if (!report.check.problems.empty()) return "some packets are not delivered";
  return "every destination reached from every router, deadlock-free (no cycle among " +
         std::to_string(report.check.channels) + " channels)";
}

}  // namespace

std::vector<model::Diagnostic> routing_diagnostics(const RoutesReport& report) {
  std::vector<model::Diagnostic> out;
  auto add = [&](std::string message) {
    out.push_back(model::Diagnostic{
        model::Rule::kRoutesUnsound, report.description_path, 0, 0, {}, {}, std::move(message)});
  };
  if (!report.check.cycle.empty())
    add("the " + std::string(route::algorithm_name(report.table.algorithm)) +
        " routes can deadlock: the channels a packet holds while it waits form the cycle " +
        route::cycle_text(report.map, report.check.cycle));
  for (const std::string& problem : report.check.problems)
    add("a route does not deliver: " + problem);
  return out;
}

namespace {

// The report of a design loaded without errors; throws what route::route_design throws.
RoutesReport report_of(std::shared_ptr<const model::Design> design, route::Algorithm algorithm) {
  route::DesignRoutes routes = route::route_design(*design, algorithm);
  RoutesReport report;
  report.design = design;
  report.description_path = design->lookup.path;
  report.warnings = design->warnings();
  report.map = std::move(routes.map);
  report.table = std::move(routes.table);
  report.check = std::move(routes.check);
  return report;
}

}  // namespace

std::optional<RoutesReport> route_loaded(std::shared_ptr<const model::Design> design,
                                         route::Algorithm algorithm,
                                         std::vector<model::Diagnostic>& problems) {
  try {
    RoutesReport report = report_of(design, algorithm);
    for (model::Diagnostic& d : routing_diagnostics(report)) problems.push_back(std::move(d));
    return report;
  } catch (const Error& error) {
    problems.push_back(model::Diagnostic{
        model::Rule::kRoutesUnsound, design->lookup.path, 0, 0, {}, {}, error.message()});
    return std::nullopt;
  }
}

RoutesReport route_design(model::DesignRequest request, route::Algorithm algorithm) {
  request.routing = true;
  request.read_config = true;
  auto design = std::make_shared<const model::Design>(model::load_design(request));
  if (const model::Diagnostic* error = design->first_error()) throw model::to_error(*error);
  if (!design->resolution || !design->resolution->plan)
    throw Error("the description gives no network to route", request.base_dir);
  return report_of(design, algorithm);
}

void write_routes_table(std::ostream& out, const RoutesReport& report) {
  const route::PortMap& map = report.map;
  const route::RoutingTable& table = report.table;
  out << "routing: " << route::algorithm_name(table.algorithm);
  if (table.algorithm == route::Algorithm::kXy)
    out << " on a " << table.width << " x " << table.height << " mesh";
  if (table.algorithm == route::Algorithm::kUpDown)
    out << " from root " << map.routers[static_cast<std::size_t>(table.root)].name;
  out << "\n" << verdict(report) << "\n";
  for (const std::string& problem : report.check.problems) out << "  " << problem << "\n";
  out << "\ndestinations: " << map.destinations.size() << " (tile instances in noc_top's order, "
      << map.slots_per_tile << " channels each: destination = " << map.slots_per_tile
      << " * tile + channel)\n";
  for (std::size_t d = 0; d < map.destinations.size(); ++d) {
    const route::Destination& dest = map.destinations[d];
    out << "  " << d << "  " << map.tile_instances[static_cast<std::size_t>(dest.tile)]
        << " channel " << dest.channel << ", at "
        << map.routers[static_cast<std::size_t>(dest.router)].name << " slot " << dest.slot << "\n";
  }
  for (std::size_t r = 0; r < map.routers.size(); ++r) {
    const route::RouterPorts& router = map.routers[r];
    out << "\n" << router.name << ": " << router.slots.size() << " slots";
    if (table.algorithm == route::Algorithm::kXy)
      out << ", at (" << table.places[r].x << ", " << table.places[r].y << ")";
    out << "\n";
    for (std::size_t s = 0; s < router.slots.size(); ++s)
      out << "  slot " << s << "  " << slot_words(map, router.slots[s]) << "\n";
    out << "  routes (destination: output slot):";
    for (std::size_t d = 0; d < table.out[r].size(); ++d)
      out << (d % 16 == 0 ? "\n   " : "") << " " << d << ":" << table.out[r][d];
    out << "\n";
  }
}

void write_routes_package(std::ostream& out, const RoutesReport& report) {
  const route::PortMap& map = report.map;
  int dests = std::max(model::kRouterDests, static_cast<int>(map.destinations.size()));
  out << "// The routing of " << report.description_path << " ("
      << route::algorithm_name(report.table.algorithm) << "), written by nocgen routes.\n"
      << "// ROUTES[d*OUTPUTS +: OUTPUTS] is one-hot: the output slot of destination d.\n"
      << "package noc_routes;\n"
      << "  localparam int DESTINATIONS = " << map.destinations.size() << ";\n"
      << "  localparam int DESTS = " << dests << ";\n";
  for (std::size_t r = 0; r < map.routers.size(); ++r) {
    const std::string name(map.routers[r].name);
    int outputs = static_cast<int>(map.routers[r].slots.size());
    out << "  localparam int " << name << "_OUTPUTS = " << outputs << ";\n"
        << "  localparam logic [" << name << "_OUTPUTS*DESTS-1:0] " << name
        << "_ROUTES = " << route::routes_literal(report.table, static_cast<int>(r), outputs, dests)
        << ";\n";
  }
  out << "endpackage\n";
}

void write_routes_json(std::ostream& out, const RoutesReport& report) {
  const route::PortMap& map = report.map;
  const route::RoutingTable& table = report.table;
  nlohmann::ordered_json json;
  json["routing"] = route::algorithm_name(table.algorithm);
  json["deadlock_free"] = report.check.cycle.empty();
  json["cycle"] = report.check.cycle.empty() ? std::string()
                                             : route::cycle_text(report.map, report.check.cycle);
  json["problems"] = report.check.problems;
  json["slots_per_tile"] = map.slots_per_tile;
  nlohmann::ordered_json destinations = nlohmann::ordered_json::array();
  for (const route::Destination& dest : map.destinations)
    destinations.push_back(
        {{"tile", map.tile_instances[static_cast<std::size_t>(dest.tile)]},
         {"node", std::string(map.tile_nodes[static_cast<std::size_t>(dest.tile)])},
         {"channel", dest.channel},
         {"router", std::string(map.routers[static_cast<std::size_t>(dest.router)].name)},
         {"slot", dest.slot}});
  json["destinations"] = destinations;
  nlohmann::ordered_json routers = nlohmann::ordered_json::array();
  for (std::size_t r = 0; r < map.routers.size(); ++r) {
    nlohmann::ordered_json slots = nlohmann::ordered_json::array();
    for (const route::Slot& slot : map.routers[r].slots) {
      if (slot.to_router)
        slots.push_back(
            {{"router", slot.router < 0
                            ? std::string()
                            : std::string(map.routers[static_cast<std::size_t>(slot.router)].name)},
             {"link", std::string(slot.link)},
             {"far_slot", slot.far_slot}});
      else
        slots.push_back({{"tile", map.tile_instances[static_cast<std::size_t>(slot.tile)]},
                         {"channel", slot.channel}});
    }
    nlohmann::ordered_json router{
        {"name", std::string(map.routers[r].name)}, {"slots", slots}, {"routes", table.out[r]}};
    if (table.algorithm == route::Algorithm::kXy)
      router["place"] = {table.places[r].x, table.places[r].y};
    routers.push_back(router);
  }
  json["routers"] = routers;
  out << json.dump(2) << "\n";
}

}  // namespace noc::app
