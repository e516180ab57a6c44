#include "route/design_routes.h"

#include <algorithm>

#include "common/error.h"
#include "common/text.h"
#include "model/top_contract.h"

namespace noc::route {
namespace {

bool declares(const rtl::ModuleHeader& module, std::string_view parameter) {
  return std::any_of(
      module.params.begin(), module.params.end(),
      [&](const rtl::ModuleParameter& p) { return !p.local && p.name == parameter; });
}

}  // namespace

std::string tile_number_parameter(const rtl::ModuleHeader& module) {
  if (declares(module, "ID")) return "ID";
  if (declares(module, "TILE_ID")) return "TILE_ID";
  return "";
}

DesignRoutes route_design(const model::Design& design, Algorithm algorithm) {
  const model::Plan& plan = *design.resolution->plan;
  DesignRoutes routes;
  routes.map = build_port_map(plan, model::kSlotsPerTile);
  routes.table = compute_routes(routes.map, algorithm);
  routes.check = check_routes(routes.map, routes.table);
  std::vector<bool> takes_routes;
  for (const model::RouterBlock& block : plan.blocks)
    takes_routes.push_back(
        declares(design.catalog->parse(block.router->top_module_fname()).first, "ROUTES"));
  std::vector<std::string> tile_parameters;
  for (const model::TileInstance& tile : plan.tiles)
    tile_parameters.push_back(
        tile_number_parameter(design.catalog->parse(tile.node->top_module_fname).first));
  routes.identity = make_identity(routes.map, routes.table, model::kRouterDests, takes_routes,
                                  std::move(tile_parameters));
  return routes;
}

std::string unsound_message(const DesignRoutes& routes) {
  if (!routes.check.cycle.empty())
    return "the " + std::string(algorithm_name(routes.table.algorithm)) +
           " routes can deadlock: the channels a packet holds while it waits form the cycle " +
           cycle_text(routes.map, routes.check.cycle) + "; use --routing updown, which cannot";
  if (!routes.check.problems.empty())
    return "a route does not deliver: " + routes.check.problems.front();
  return "";
}

DesignRoutes sound_routes(const model::Design& design, std::string_view routing,
                          bool allow_deadlock) {
  std::optional<Algorithm> algorithm = algorithm_by_name(routing);
  if (!algorithm)
    throw Error("routing " + in_quotes(routing) + " is none of xy, updown, shortest and auto");
  DesignRoutes routes = route_design(design, *algorithm);
  if (!routes.sound() && !(allow_deadlock && routes.check.problems.empty()))
    throw Error(unsound_message(routes), design.lookup.path, 0, 0, 0,
                model::rule_info(model::Rule::kRoutesUnsound).code);
  return routes;
}

}  // namespace noc::route
