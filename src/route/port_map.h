#pragma once

// Which router slot meets what: the router neighbour at the other end of a link (and that
// router's own slot for it), or a tile's channel. The rule is noc_top's (model/top_contract.h):
// the last listed router neighbour is slot 0, the tiles come above the links, the first listed
// tile highest, each tile's channel 0 below its channel 1. Inputs and outputs share the numbers.
#include <string>
#include <string_view>
#include <vector>

#include "model/plan.h"

namespace noc::route {

/// What one slot of a router meets.
struct Slot {
  bool to_router = false;
  int router = -1;        ///< to_router: the neighbour's place in the map
  int far_slot = -1;      ///< to_router: its own slot for this link; -1 when it does not list back
  std::string_view link;  ///< to_router: the link's wire name
  int tile = -1;          ///< a tile: its place among the plan's tile instances
  int channel = 0;        ///< a tile: its channel
};

/// One router and its slots, slot i at index i.
struct RouterPorts {
  std::string_view name;
  std::vector<Slot> slots;
};

/// A place a packet can be delivered: one channel of one tile instance.
struct Destination {
  int tile = 0;  ///< the tile instance, in the order noc_top instantiates them
  int channel = 0;
  int router = 0;  ///< the router the tile hangs on, its place in the map
  int slot = 0;    ///< that router's slot for this channel
};

/// Every router's slots, in description order, and the destinations, numbered: the tiles in the
/// order noc_top instantiates them, each tile's channels in order, so that destination
/// `tile * slots_per_tile + channel` is that channel of that tile. Both channels of a tile are
/// destinations of their own: traffic on either reaches the tile.
struct PortMap {
  std::vector<RouterPorts> routers;
  std::vector<Destination> destinations;
  std::vector<std::string> tile_instances;   ///< the instance name of each tile
  std::vector<std::string_view> tile_nodes;  ///< the description node of each tile
  int slots_per_tile = 0;
};

PortMap build_port_map(const model::Plan& plan, int slots_per_tile);

/// Each router's router neighbours, by place in the map, over links that both ends list (a link
/// one end lists alone carries nothing back; check reports it), each neighbour once.
std::vector<std::vector<int>> router_neighbours(const PortMap& map);

/// Hops from `start` to every router of `graph`; kUnreached for one it cannot reach.
inline constexpr int kUnreached = 1 << 28;
std::vector<int> hops_from(const std::vector<std::vector<int>>& graph, int start);

/// The lowest slot of `router` that leads to router `neighbour`; -1 when none does.
int slot_to(const PortMap& map, int router, int neighbour);

}  // namespace noc::route
