#include "route/routing.h"

#include <algorithm>
#include <deque>
#include <limits>
#include <map>

#include "common/error.h"
#include "common/text.h"

namespace noc::route {
namespace {

constexpr int kFar = kUnreached;

[[noreturn]] void unreachable(const PortMap& map, int from, int to) {
  throw Error("router " + in_quotes(map.routers[static_cast<std::size_t>(from)].name) +
              " has no path to router " +
              in_quotes(map.routers[static_cast<std::size_t>(to)].name) +
              " over links both ends list: the network is not connected, so no routing can deliver "
              "every packet");
}

RoutingTable table_for(const PortMap& map, Algorithm algorithm) {
  RoutingTable table;
  table.algorithm = algorithm;
  table.out.assign(map.routers.size(), std::vector<int>(map.destinations.size(), -1));
  for (std::size_t d = 0; d < map.destinations.size(); ++d) {
    const Destination& dest = map.destinations[d];
    table.out[static_cast<std::size_t>(dest.router)][d] = dest.slot;
  }
  return table;
}

// Minimal paths, the lowest slot among equals.
RoutingTable shortest(const PortMap& map) {
  RoutingTable table = table_for(map, Algorithm::kShortest);
  std::vector<std::vector<int>> graph = router_neighbours(map);
  std::map<int, std::vector<int>> hops;  // by target router
  for (std::size_t d = 0; d < map.destinations.size(); ++d) {
    int target = map.destinations[d].router;
    auto [at, fresh] = hops.try_emplace(target);
    if (fresh) at->second = hops_from(graph, target);
    const std::vector<int>& distance = at->second;
    for (std::size_t r = 0; r < map.routers.size(); ++r) {
      if (static_cast<int>(r) == target) continue;
      if (distance[r] == kFar) unreachable(map, static_cast<int>(r), target);
      int best = -1;
      for (int next : graph[r])
        if (distance[static_cast<std::size_t>(next)] == distance[r] - 1) {
          int slot = slot_to(map, static_cast<int>(r), next);
          if (best < 0 || slot < best) best = slot;
        }
      table.out[r][d] = best;
    }
  }
  return table;
}

// Dimension order: along x to the destination's column, then along y.
RoutingTable dimension_order(const PortMap& map, const MeshShape& mesh) {
  RoutingTable table = table_for(map, Algorithm::kXy);
  table.width = mesh.width;
  table.height = mesh.height;
  table.places = mesh.places;
  std::map<std::pair<int, int>, int> at;
  for (std::size_t r = 0; r < mesh.places.size(); ++r)
    at[{mesh.places[r].x, mesh.places[r].y}] = static_cast<int>(r);
  for (std::size_t d = 0; d < map.destinations.size(); ++d) {
    const GridPlace& goal = mesh.places[static_cast<std::size_t>(map.destinations[d].router)];
    for (std::size_t r = 0; r < map.routers.size(); ++r) {
      const GridPlace& here = mesh.places[r];
      if (here.x == goal.x && here.y == goal.y) continue;
      GridPlace next = here;
      if (here.x != goal.x)
        next.x += goal.x > here.x ? 1 : -1;
      else
        next.y += goal.y > here.y ? 1 : -1;
      table.out[r][d] = slot_to(map, static_cast<int>(r), at.at({next.x, next.y}));
    }
  }
  return table;
}

// up*/down*: a link is up when it leads nearer the root of a breadth-first tree (by level, then
// by place among equals). A packet goes up, then down, never up again: the down links, and the
// up links, each form no cycle, so no cycle of waiting channels can close.
RoutingTable up_down(const PortMap& map) {
  RoutingTable table = table_for(map, Algorithm::kUpDown);
  std::vector<std::vector<int>> graph = router_neighbours(map);
  std::size_t n = map.routers.size();
  std::vector<int> level = hops_from(graph, 0);
  for (std::size_t r = 0; r < n; ++r)
    if (level[r] == kFar) unreachable(map, 0, static_cast<int>(r));
  auto is_up = [&](int from, int to) {
    return std::pair(level[static_cast<std::size_t>(to)], to) <
           std::pair(level[static_cast<std::size_t>(from)], from);
  };
  // Routers in order from the root outwards: every up link leads to one earlier.
  std::vector<int> order(n);
  for (std::size_t r = 0; r < n; ++r) order[r] = static_cast<int>(r);
  std::sort(order.begin(), order.end(), [&](int a, int b) { return is_up(b, a); });
  std::map<int, std::pair<std::vector<int>, std::vector<int>>> by_target;
  for (std::size_t d = 0; d < map.destinations.size(); ++d) {
    int target = map.destinations[d].router;
    auto [found, fresh] = by_target.try_emplace(target);
    std::vector<int>& down = found->second.first;   // hops by down links only to the target
    std::vector<int>& next = found->second.second;  // the neighbour each router forwards to
    if (fresh) {
      down.assign(n, kFar);
      next.assign(n, -1);
      down[static_cast<std::size_t>(target)] = 0;
      // Down-only distances: walk from the target backwards along down links (r -> s down).
      std::deque<int> queue{target};
      while (!queue.empty()) {
        int s = queue.front();
        queue.pop_front();
        for (int r : graph[static_cast<std::size_t>(s)])
          if (!is_up(r, s) && down[static_cast<std::size_t>(r)] == kFar) {
            down[static_cast<std::size_t>(r)] = down[static_cast<std::size_t>(s)] + 1;
            next[static_cast<std::size_t>(r)] = s;
            queue.push_back(r);
          }
      }
      // A router that can reach the target going down does so; one that cannot goes up to the
      // neighbour nearest the target, and the root reaches every router going down.
      std::vector<int> total = down;
      for (int r : order) {
        if (down[static_cast<std::size_t>(r)] != kFar) continue;
        for (int s : graph[static_cast<std::size_t>(r)])
          if (is_up(r, s) &&
              total[static_cast<std::size_t>(s)] + 1 < total[static_cast<std::size_t>(r)]) {
            total[static_cast<std::size_t>(r)] = total[static_cast<std::size_t>(s)] + 1;
            next[static_cast<std::size_t>(r)] = s;
          }
      }
    }
    for (std::size_t r = 0; r < n; ++r)
      if (static_cast<int>(r) != target)
        table.out[r][d] = slot_to(map, static_cast<int>(r), next[r]);
  }
  return table;
}

}  // namespace

std::optional<Algorithm> algorithm_by_name(std::string_view name) {
  if (name == "xy") return Algorithm::kXy;
  if (name == "updown") return Algorithm::kUpDown;
  if (name == "shortest") return Algorithm::kShortest;
  if (name == "auto") return Algorithm::kAuto;
  return std::nullopt;
}

const char* algorithm_name(Algorithm algorithm) {
  switch (algorithm) {
    case Algorithm::kXy:
      return "xy";
    case Algorithm::kUpDown:
      return "updown";
    case Algorithm::kShortest:
      return "shortest";
    case Algorithm::kAuto:
      return "auto";
  }
  return "auto";
}

RoutingTable compute_routes(const PortMap& map, Algorithm algorithm) {
  if (map.routers.empty()) throw Error("the network has no router to route");
  if (algorithm == Algorithm::kShortest) return shortest(map);
  if (algorithm == Algorithm::kUpDown) return up_down(map);
  MeshShape mesh = infer_mesh(map);
  if (mesh.not_a_mesh.empty()) return dimension_order(map, mesh);
  if (algorithm == Algorithm::kXy)
    throw Error("--routing xy needs routers that form a W x H mesh: " + mesh.not_a_mesh +
                "; use --routing updown, which routes any connected network");
  return up_down(map);
}

}  // namespace noc::route
