#pragma once

// A loaded design routed as one value: its port map, the table an algorithm gives it, the check
// of that table and what the modules that ask for it are handed. generate writes it into the
// top, verify holds the top to it, and traffic runs packets by it.
#include <string>
#include <string_view>

#include "model/design.h"
#include "route/dependency_check.h"
#include "route/identity.h"
#include "route/port_map.h"
#include "route/routing.h"

namespace noc::route {

struct DesignRoutes {
  PortMap map;
  RoutingTable table;
  RouteCheck check;
  Identity identity;
  bool sound() const { return check.cycle.empty() && check.problems.empty(); }
};

/// Routes a design loaded without errors (its plan present). A network the algorithm cannot
/// route (xy on no mesh, routers that cannot reach each other) throws noc::Error; routes that
/// can deadlock or do not deliver are in `check`, for the caller to refuse.
DesignRoutes route_design(const model::Design& design, Algorithm algorithm);

/// Routes the design by the algorithm named `routing` ("xy", "updown", "shortest", "auto") and
/// throws noc::Error for a name that is none of them, a network the algorithm cannot route, and
/// routes that can deadlock or do not deliver (NOC028, at the description). `allow_deadlock`
/// lets routes through whose only fault is a cycle of waiting channels: for watching a router
/// deadlock.
DesignRoutes sound_routes(const model::Design& design, std::string_view routing,
                          bool allow_deadlock = false);

/// The message that refuses unsound routes, as NOC028 words it: the cycle a deadlock needs, or
/// the first route that does not deliver. Empty for sound routes.
std::string unsound_message(const DesignRoutes& routes);

/// The parameter a module declares for a tile's number: "ID", else "TILE_ID", else empty.
std::string tile_number_parameter(const rtl::ModuleHeader& module);

}  // namespace noc::route
