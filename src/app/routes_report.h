#pragma once

// `nocgen routes`: the port map, the destination numbers, the routing tables and the verdict of
// the dependency check, for a design that generates.
#include <memory>
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

/// Loads the design as generate does (its first error is thrown) and routes it.
RoutesReport route_design(const model::DesignRequest& request, route::Algorithm algorithm);

/// A table for people: the verdict, the destinations, then each router's slots and routes.
void write_routes_table(std::ostream& out, const RoutesReport& report);

/// The same as one JSON object, for scripts.
void write_routes_json(std::ostream& out, const RoutesReport& report);

}  // namespace noc::app
