#pragma once

// Holds a top to the identity a routing hands its modules: each router that declares ROUTES
// must be given its table, every router the DESTS that numbers each destination, and each tile
// that declares ID or TILE_ID its number. A top generated without --routing, or with another
// algorithm, or edited by hand, is told apart here by the parameters it passes.
#include <string>
#include <vector>

#include "route/design_routes.h"
#include "verify/top_instances.h"

namespace noc::verify {

/// One line per instance whose parameters differ from what `routes` gives it. `router_modules`
/// holds each router's module name, in the port map's order.
std::vector<std::string> identity_problems(const std::vector<TopInstance>& instances,
                                           const route::DesignRoutes& routes,
                                           const std::vector<std::string>& router_modules);

}  // namespace noc::verify
