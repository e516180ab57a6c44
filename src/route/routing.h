#pragma once

// Routing tables for a network of routers whose slots the port map names: for every router and
// every destination, the output slot a packet for it leaves by.
#include <optional>
#include <string>
#include <vector>

#include "route/port_map.h"

namespace noc::route {

enum class Algorithm {
  kXy,        ///< dimension order on a 2-D mesh: first along rows, then along columns
  kUpDown,    ///< up*/down* on a breadth-first spanning tree from the first router
  kShortest,  ///< minimal paths; deadlock-free only where the dependency check says so
  kAuto,      ///< xy when the routers form a mesh, else updown
};

/// "xy", "updown", "shortest" or "auto"; nothing for anything else.
std::optional<Algorithm> algorithm_by_name(std::string_view name);
const char* algorithm_name(Algorithm algorithm);

/// A router's place in a W x H grid, as xy infers it from the links alone.
struct GridPlace {
  int x = 0, y = 0;
};

/// The routes of one network: out[router][destination] is the output slot.
struct RoutingTable {
  Algorithm algorithm = Algorithm::kAuto;  ///< the one used (auto resolved)
  std::vector<std::vector<int>> out;
  int width = 0, height = 0;      ///< xy: the grid
  std::vector<GridPlace> places;  ///< xy: each router's place
  int root = 0;                   ///< updown: the spanning tree's root
};

/// The grid the routers form, each router at a place, or why they form none.
struct MeshShape {
  int width = 0, height = 0;
  std::vector<GridPlace> places;
  std::string not_a_mesh;  ///< empty when it is one
};
MeshShape infer_mesh(const PortMap& map);

/// Computes the table, or throws noc::Error saying why the network cannot be routed so (xy on a
/// graph that is no mesh, routers that cannot reach each other).
RoutingTable compute_routes(const PortMap& map, Algorithm algorithm);

}  // namespace noc::route
