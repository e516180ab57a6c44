#pragma once

// `nocgen routes`: the port map, the destination numbers, the routing tables and the verdict of
// the dependency check, for a design that generates.
#include <memory>
#include <optional>
#include <ostream>
#include <string>

#include "model/design.h"
#include "route/dependency_check.h"
#include "route/port_map.h"
#include "route/routing.h"

namespace noc::app {

struct RoutesReport {
  /// The design the map's names are views of, kept as long as the report.
  std::shared_ptr<const model::Design> design;
  std::string description_path;
  route::PortMap map;
  route::RoutingTable table;
  route::RouteCheck check;
  std::vector<model::Diagnostic> warnings;  ///< the design's, as check reports them

  bool sound() const { return check.problems.empty() && check.cycle.empty(); }
};

/// What makes the routes unsound, as NOC028 diagnostics at the description: a cycle of waiting
/// channels, packets that do not arrive. Empty for sound routes.
std::vector<model::Diagnostic> routing_diagnostics(const RoutesReport& report);

/// Routes a design loaded without errors; a network that cannot be routed so (xy on no mesh,
/// routers that cannot reach each other) is one NOC028 diagnostic in `problems`.
std::optional<RoutesReport> route_loaded(std::shared_ptr<const model::Design> design,
                                         route::Algorithm algorithm,
                                         std::vector<model::Diagnostic>& problems);

/// Loads the design as generate does (its first error is thrown) and routes it.
RoutesReport route_design(model::DesignRequest request, route::Algorithm algorithm);

/// A table for people: the verdict, the destinations, then each router's slots and routes.
void write_routes_table(std::ostream& out, const RoutesReport& report);

/// A SystemVerilog package for routers that look their table up themselves: the number of
/// destinations, and per router its slot count and ROUTES value as --routing passes it.
void write_routes_package(std::ostream& out, const RoutesReport& report);

/// The same as one JSON object, for scripts.
void write_routes_json(std::ostream& out, const RoutesReport& report);

}  // namespace noc::app
