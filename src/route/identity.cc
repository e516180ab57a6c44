#include "route/identity.h"

#include <algorithm>

namespace noc::route {

std::string routes_literal(const RoutingTable& table, int router, int outputs, int dests) {
  std::size_t width = static_cast<std::size_t>(outputs) * static_cast<std::size_t>(dests);
  std::vector<bool> bits(width, false);
  const std::vector<int>& out = table.out[static_cast<std::size_t>(router)];
  for (std::size_t d = 0; d < out.size() && d < static_cast<std::size_t>(dests); ++d)
    if (out[d] >= 0 && out[d] < outputs)
      bits[d * static_cast<std::size_t>(outputs) + static_cast<std::size_t>(out[d])] = true;
  std::string hex;
  for (std::size_t top = (width + 3) / 4; top-- > 0;) {
    int digit = 0;
    for (std::size_t b = 0; b < 4; ++b) {
      std::size_t bit = top * 4 + b;
      if (bit < width && bits[bit]) digit |= 1 << b;
    }
    hex += "0123456789abcdef"[digit];
  }
  return std::to_string(width) + "'h" + hex;
}

Identity make_identity(const PortMap& map, const RoutingTable& table, int minimum_dests,
                       const std::vector<bool>& router_takes_routes,
                       std::vector<std::string> tile_parameters) {
  Identity identity;
  identity.dests = std::max(minimum_dests, static_cast<int>(map.destinations.size()));
  for (std::size_t r = 0; r < map.routers.size(); ++r)
    identity.routes.push_back(router_takes_routes[r]
                                  ? routes_literal(table, static_cast<int>(r),
                                                   static_cast<int>(map.routers[r].slots.size()),
                                                   identity.dests)
                                  : std::string());
  identity.tile_parameter = std::move(tile_parameters);
  for (std::size_t t = 0; t < identity.tile_parameter.size(); ++t)
    identity.tile_number.push_back(static_cast<int>(t) * map.slots_per_tile);
  return identity;
}

}  // namespace noc::route
