#pragma once

// What makes routes safe to load: every packet reaches its destination, never turning back
// through the slot it came in by, and the channels a packet waits on while holding another form
// no cycle. A cycle in that dependency graph is a deadlock waiting for enough traffic.
#include <string>
#include <vector>

#include "route/port_map.h"
#include "route/routing.h"

namespace noc::route {

/// One router output: a channel a packet may hold while it waits for the next.
struct Channel {
  int router = 0;
  int slot = 0;
  bool operator==(const Channel&) const = default;
};

struct RouteCheck {
  /// Routes that do not arrive, loop, or turn back, in the user's words.
  std::vector<std::string> problems;
  /// A cycle of the channel dependency graph, its first channel again at its end; empty when
  /// there is none.
  std::vector<Channel> cycle;
  std::size_t channels = 0;      ///< router-to-router outputs some route uses
  std::size_t dependencies = 0;  ///< pairs of them one route holds in turn
};

RouteCheck check_routes(const PortMap& map, const RoutingTable& table);

/// "R_0 out 2 → R_1 out 0 → R_0 out 2".
std::string cycle_text(const PortMap& map, const std::vector<Channel>& cycle);

}  // namespace noc::route
