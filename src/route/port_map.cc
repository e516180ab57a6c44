#include "route/port_map.h"

#include <algorithm>
#include <deque>
#include <unordered_map>

#include "model/top_contract.h"

namespace noc::route {

PortMap build_port_map(const model::Plan& plan, int slots_per_tile) {
  PortMap map;
  map.slots_per_tile = slots_per_tile;
  std::unordered_map<std::string_view, int> place;
  for (const model::RouterBlock& block : plan.blocks)
    place.emplace(block.router->name(), static_cast<int>(place.size()));
  const model::Description& description = *plan.description;
  const model::LinkNames& link_names = plan.routers->link_names;
  int tile_number = 0;
  for (const model::RouterBlock& block : plan.blocks) {
    const model::RouterRecord& router = *block.router;
    int links = static_cast<int>(router.links.size());
    int tiles = static_cast<int>(block.tiles.size());
    RouterPorts ports{router.name(),
                      std::vector<Slot>(static_cast<std::size_t>(links + slots_per_tile * tiles))};
    for (int index = 0; index < links; ++index) {
      const model::RouterLink& link = router.links[static_cast<std::size_t>(index)];
      Slot& slot = ports.slots[static_cast<std::size_t>(model::link_slot(links, index))];
      slot.to_router = true;
      std::string_view neighbour = description.nodes()[link.neighbour].name;
      auto found = place.find(neighbour);
      slot.router = found == place.end() ? -1 : found->second;
      slot.link = link_names[link.name];
      if (found == place.end()) continue;
      const model::RouterRecord& other =
          *plan.blocks[static_cast<std::size_t>(found->second)].router;
      auto back =
          std::find_if(other.links.begin(), other.links.end(), [&](const model::RouterLink& l) {
            return description.nodes()[l.neighbour].name == router.name();
          });
      if (back != other.links.end())
        slot.far_slot = model::link_slot(static_cast<int>(other.links.size()),
                                         static_cast<int>(back - other.links.begin()));
    }
    for (int t = 0; t < tiles; ++t) {
      const model::TileInstance& instance = block.tiles[static_cast<std::size_t>(t)];
      map.tile_instances.push_back(instance.instance());
      map.tile_nodes.push_back(instance.node->name);
      for (int c = 0; c < slots_per_tile; ++c) {
        int at = model::tile_slot(links, tiles, t, c, slots_per_tile);
        ports.slots[static_cast<std::size_t>(at)].tile = tile_number;
        ports.slots[static_cast<std::size_t>(at)].channel = c;
        map.destinations.push_back(
            Destination{tile_number, c, static_cast<int>(map.routers.size()), at});
      }
      ++tile_number;
    }
    map.routers.push_back(std::move(ports));
  }
  return map;
}

std::vector<std::vector<int>> router_neighbours(const PortMap& map) {
  std::vector<std::vector<int>> out(map.routers.size());
  for (std::size_t r = 0; r < map.routers.size(); ++r)
    for (const Slot& slot : map.routers[r].slots)
      if (slot.to_router && slot.router >= 0 && slot.far_slot >= 0 &&
          std::find(out[r].begin(), out[r].end(), slot.router) == out[r].end())
        out[r].push_back(slot.router);
  return out;
}

std::vector<int> hops_from(const std::vector<std::vector<int>>& graph, int start) {
  std::vector<int> hops(graph.size(), kUnreached);
  std::deque<int> queue{start};
  hops[static_cast<std::size_t>(start)] = 0;
  while (!queue.empty()) {
    int at = queue.front();
    queue.pop_front();
    for (int next : graph[static_cast<std::size_t>(at)])
      if (hops[static_cast<std::size_t>(next)] == kUnreached) {
        hops[static_cast<std::size_t>(next)] = hops[static_cast<std::size_t>(at)] + 1;
        queue.push_back(next);
      }
  }
  return hops;
}

int slot_to(const PortMap& map, int router, int neighbour) {
  const std::vector<Slot>& slots = map.routers[static_cast<std::size_t>(router)].slots;
  for (std::size_t s = 0; s < slots.size(); ++s)
    if (slots[s].to_router && slots[s].router == neighbour) return static_cast<int>(s);
  return -1;
}

}  // namespace noc::route
