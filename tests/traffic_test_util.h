#pragma once

// A ring of routers routed as a design would be, for the traffic tests: router r has its
// previous neighbour on slot 0, its next on slot 1 and one tile on slots 2 and 3.
#include "route/design_routes.h"

namespace noc::test {

inline route::DesignRoutes ring_routes(int routers, route::Algorithm algorithm) {
  route::DesignRoutes routes;
  static std::vector<std::string> names;
  names.clear();
  for (int r = 0; r < routers; ++r) names.push_back("R_" + std::to_string(r));
  for (int r = 0; r < routers; ++r) {
    int previous = (r + routers - 1) % routers, next = (r + 1) % routers;
    route::RouterPorts ports{names[static_cast<std::size_t>(r)], {}};
    ports.slots.push_back(route::Slot{true, previous, 1, "link", -1, 0});
    ports.slots.push_back(route::Slot{true, next, 0, "link", -1, 0});
    ports.slots.push_back(route::Slot{false, -1, -1, {}, r, 0});
    ports.slots.push_back(route::Slot{false, -1, -1, {}, r, 1});
    routes.map.routers.push_back(ports);
    routes.map.tile_instances.push_back("tile_T_" + std::to_string(r) + "_inst");
    routes.map.destinations.push_back({r, 0, r, 2});
    routes.map.destinations.push_back({r, 1, r, 3});
  }
  routes.map.slots_per_tile = 2;
  routes.table = route::compute_routes(routes.map, algorithm);
  routes.check = route::check_routes(routes.map, routes.table);
  routes.identity = route::make_identity(
      routes.map, routes.table, 32, std::vector<bool>(static_cast<std::size_t>(routers), true),
      std::vector<std::string>(static_cast<std::size_t>(routers)));
  return routes;
}

}  // namespace noc::test
