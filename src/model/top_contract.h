#pragma once

// What noc_top gives the modules it instantiates, in one place: the writer spells it, the rules
// hold designs against it, verify simulates it, and the slot map numbers router ports by it.
#include <string>
#include <string_view>

namespace noc::model {

/// The DESTS every router instance is given.
inline constexpr int kRouterDests = 32;

/// noc_top's own VCHANNELS, which a router's port dimensions may name.
inline constexpr int kTopVirtualChannels = 2;

/// The router slots each tile takes, one per channel: noc_top wires two, whatever CONFIG's
/// NOC_CHANNELS is.
inline constexpr int kSlotsPerTile = 2;

/// The slot of a router's link to the neighbour at `index` of its `links` router neighbours,
/// in the order the description lists them: the last listed is slot 0. The map is its own
/// inverse: link_slot(links, slot) is the index of the neighbour at `slot`.
constexpr int link_slot(int links, int index) {
  return links - 1 - index;
}

/// The slot of channel `channel` of the tile at `index` of a router's `tiles` tiles (in listed
/// order), with `links` router neighbours: the tiles come above the links, the first listed
/// tile highest, its channel 0 lowest.
constexpr int tile_slot(int links, int tiles, int index, int channel,
                        int slots_per_tile = kSlotsPerTile) {
  return links + slots_per_tile * (tiles - 1 - index) + channel;
}

/// The instance name of a router: MODULE_ROUTER_inst.
inline void append_router_instance(std::string& out, std::string_view module,
                                   std::string_view router) {
  out.append(module).append("_").append(router).append("_inst");
}

}  // namespace noc::model
