#pragma once

// What routing hands to the modules that ask for it, and only to them: a router that declares
// ROUTES gets its table, a tile that declares ID or TILE_ID its number, and every router a
// DESTS that numbers every destination.
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "route/port_map.h"
#include "route/routing.h"

namespace noc::route {

struct Identity {
  int dests = 0;  ///< the DESTS every router is given
  /// Per router, in map order: the ROUTES value, or empty for a router that declares no ROUTES.
  std::vector<std::string> routes;
  /// Per tile instance: the parameter its module declares for its number ("ID", "TILE_ID"), or
  /// empty; and the number, the destination of its channel 0.
  std::vector<std::string> tile_parameter;
  std::vector<int> tile_number;
};

/// ROUTES of one router as a sized literal of outputs * dests bits: bit d * outputs + o is set
/// when a packet for destination d leaves by output slot o, so ROUTES[d*OUTPUTS +: OUTPUTS] is
/// one-hot. Destinations above the network's have no bit set.
std::string routes_literal(const RoutingTable& table, int router, int outputs, int dests);

/// The output slot of each of `dests` destinations that a ROUTES literal as routes_literal writes
/// it (W'hX, W'bX, W'dX) gives: -1 for a destination without a bit, -2 for one with several.
/// Nothing for a value that is not such a literal of outputs * dests bits.
std::optional<std::vector<int>> routes_of_literal(std::string_view text, int outputs, int dests);

/// `router_takes_routes[r]`: router r's module declares ROUTES; `tile_parameters[t]`: the
/// identity parameter tile t's module declares, or empty.
Identity make_identity(const PortMap& map, const RoutingTable& table, int minimum_dests,
                       const std::vector<bool>& router_takes_routes,
                       std::vector<std::string> tile_parameters);

}  // namespace noc::route
