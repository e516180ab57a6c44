#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/resolve.h"

namespace noc::verify {

enum class NodeKind { kRouter, kTile, kTop };

/// An instance noc_top must hold, as the description and the module names make it.
struct ExpectedInstance {
  std::string node;      ///< the description's node name
  std::string instance;  ///< its instance name in noc_top
  std::string module;
  NodeKind kind = NodeKind::kRouter;
  /// Slots of each NoC port: a router has one per router neighbour and `channels` per tile, a
  /// tile one per channel.
  int slots = 0;
  std::uint32_t number = 0;  ///< what its probe codes carry; given by the caller
};

/// One slot of one port of an instance (an index into ExpectedWiring::instances).
struct SlotRef {
  int instance = 0;
  std::string port;
  int slot = 0;
};

/// What one input slot must receive, and the words that say why.
struct ExpectedInput {
  SlotRef receiver;
  SlotRef sender;
  std::string link;  ///< "R_0 slot 1 to R_1", "T_0 channel 0 to R_0 slot 4"
  int group = 0;     ///< the link or tile this slot helps to prove
  /// A clock or reset: the whole port is one slot, whatever slots the instance's NoC ports have.
  bool whole_port = false;
};

enum class GroupKind {
  kLink,    ///< a router-to-router link
  kTile,    ///< a tile, with its clock and reset, and its router's slots
  kRouter,  ///< a router's own clock and reset
};

struct Group {
  std::string name;
  GroupKind kind = GroupKind::kLink;
};

/// The instance that stands for noc_top's own ports: the bench drives clk and rst with codes
/// from it, as a stand-in drives its outputs. Its ports, in port-number order.
inline constexpr const char* kTopInstance = "noc_top";
inline constexpr const char* kTopPorts[] = {"clk", "rst"};

/// Every input slot of every router and tile, worked out from the description alone: routers
/// give their slots to the neighbours in the order the description lists them (the last
/// router neighbour on slot 0, then the tiles, the first listed on the highest slots), and
/// every input bundle meets the output bundle of the same kind on the other side (in_flit from
/// out_flit, out_ready from in_ready, noc_in_flit from out_flit). Every clock and reset input
/// the top connects meets the top's own port: a router's clk and rst, a tile's clocks from clk
/// and its rst_sys from rst. Instance 0 stands for the top.
struct ExpectedWiring {
  std::vector<ExpectedInstance> instances;
  std::vector<ExpectedInput> inputs;
  std::vector<Group> groups;
};

/// Needs a resolution without errors (its plan present).
ExpectedWiring expected_wiring(const model::Resolution& resolution, int channels);

/// The port of the other side that drives `port` ("in_flit" -> "out_flit" for a router port,
/// "noc_in_flit" -> "out_flit"). `field` is the position of the direction field: 0 for router
/// ports, 1 for tile ports that carry a prefix. Nothing when the name has no such field.
std::optional<std::pair<std::string, std::string>> direction_and_kind(const std::string& port,
                                                                      std::size_t field);

}  // namespace noc::verify
