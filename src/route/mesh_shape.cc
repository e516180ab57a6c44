#include <algorithm>
#include <map>

#include "common/text.h"
#include "route/routing.h"

namespace noc::route {
namespace {

std::string routers_named(const PortMap& map, const std::vector<int>& routers) {
  std::vector<std::string> names;
  for (int r : routers) names.emplace_back(map.routers[static_cast<std::size_t>(r)].name);
  return quoted_list(names);
}

}  // namespace

// In a W x H mesh, a corner's hop count to (x, y) is x + y, and the count from the corner at the
// end of its row is (W - 1 - x) + y: the two counts give every router's place. What is inferred
// is then held against the links, each of which must join grid neighbours, and each pair of
// grid neighbours must be linked.
MeshShape infer_mesh(const PortMap& map) {
  MeshShape mesh;
  const int n = static_cast<int>(map.routers.size());
  std::vector<std::vector<int>> graph = router_neighbours(map);
  mesh.places.assign(static_cast<std::size_t>(n), GridPlace{});
  if (n == 1) {
    mesh.width = mesh.height = 1;
    return mesh;
  }
  std::size_t links = 0, widest = 0;
  for (const std::vector<int>& next : graph) {
    links += next.size();
    widest = std::max(widest, next.size());
  }
  bool line = widest <= 2 && links / 2 == static_cast<std::size_t>(n - 1);
  std::vector<int> corners;
  for (int r = 0; r < n; ++r)
    if (graph[static_cast<std::size_t>(r)].size() == (line ? 1u : 2u)) corners.push_back(r);
  if (corners.size() != (line ? 2u : 4u)) {
    mesh.not_a_mesh =
        "a mesh has 4 corners, routers with 2 router neighbours, and this network "
        "has " +
        std::to_string(corners.size()) +
        (corners.empty() ? "" : " (" + routers_named(map, corners) + ")");
    return mesh;
  }
  int first = corners.front();
  std::vector<int> from_first = hops_from(graph, first);
  // The corner farthest away is opposite; the nearer of the other two ends the first row.
  std::vector<int> others(corners.begin() + 1, corners.end());
  std::sort(others.begin(), others.end(), [&](int a, int b) {
    return std::pair(from_first[static_cast<std::size_t>(a)], a) <
           std::pair(from_first[static_cast<std::size_t>(b)], b);
  });
  int row_end = others.front();
  if (from_first[static_cast<std::size_t>(row_end)] == kUnreached) {
    mesh.not_a_mesh = "its routers are not all connected";
    return mesh;
  }
  int width = from_first[static_cast<std::size_t>(row_end)] + 1;
  if (n % width != 0) {
    mesh.not_a_mesh = std::to_string(n) + " routers make no grid " + std::to_string(width) +
                      " routers wide, as its corners " + routers_named(map, {first, row_end}) +
                      " would have it";
    return mesh;
  }
  int height = n / width;
  std::vector<int> from_end = hops_from(graph, row_end);
  std::map<std::pair<int, int>, int> at;
  for (int r = 0; r < n; ++r) {
    int a = from_first[static_cast<std::size_t>(r)], b = from_end[static_cast<std::size_t>(r)];
    int twice_x = a - b + width - 1, twice_y = a + b - (width - 1);
    GridPlace place{twice_x / 2, twice_y / 2};
    if (a == kUnreached || twice_x % 2 != 0 || twice_y % 2 != 0 || place.x < 0 ||
        place.x >= width || place.y < 0 || place.y >= height ||
        !at.emplace(std::pair(place.x, place.y), r).second) {
      mesh.not_a_mesh = "router " + in_quotes(map.routers[static_cast<std::size_t>(r)].name) +
                        " has no place of its own in a " + std::to_string(width) + " x " +
                        std::to_string(height) + " grid";
      return mesh;
    }
    mesh.places[static_cast<std::size_t>(r)] = place;
  }
  for (int r = 0; r < n; ++r) {
    const GridPlace& p = mesh.places[static_cast<std::size_t>(r)];
    std::vector<int> expected;
    for (auto [dx, dy] : {std::pair(1, 0), std::pair(-1, 0), std::pair(0, 1), std::pair(0, -1)}) {
      auto found = at.find({p.x + dx, p.y + dy});
      if (found != at.end()) expected.push_back(found->second);
    }
    std::vector<int> actual = graph[static_cast<std::size_t>(r)];
    std::sort(expected.begin(), expected.end());
    std::sort(actual.begin(), actual.end());
    if (expected != actual) {
      mesh.not_a_mesh = "router " + in_quotes(map.routers[static_cast<std::size_t>(r)].name) +
                        " would stand at (" + std::to_string(p.x) + ", " + std::to_string(p.y) +
                        ") of a " + std::to_string(width) + " x " + std::to_string(height) +
                        " grid, but its links are not those of that place";
      return mesh;
    }
  }
  mesh.width = width;
  mesh.height = height;
  return mesh;
}

}  // namespace noc::route
