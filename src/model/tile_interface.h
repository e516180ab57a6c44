#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/ordered_map.h"
#include "model/port_template.h"
#include "rtl/extract_rtl.h"

namespace noc::model {

/// The ports of the compute tile sorted by role, and the router ports that face it. Every tile
/// instance is connected through this one interface.
struct TileInterface {
  std::string source_name;                  ///< the tile source it was read from
  std::string module_name;                  ///< the module of it that was read: the first
  std::vector<std::string> total_includes;  ///< distinct include entries of tile and router
  std::vector<std::string> in_from_noc;     ///< NoC inputs ("noc" in the name), in order
  OrderedMap<rtl::PortTuple> in_from_noc_dict;
  std::vector<std::string> out_to_noc;  ///< NoC outputs, in order
  OrderedMap<rtl::PortTuple> out_to_noc_dict;
  std::vector<std::string> clk;             ///< clock inputs
  std::vector<std::string> router_inputs;   ///< router inputs facing the tile
  std::vector<std::string> router_outputs;  ///< router outputs facing the tile
  /// The partner output of each entry of router_inputs ("in_x" <-> "out_x"), when the router
  /// has it; partners that are missing leave no gap.
  std::vector<std::string> router_outputs_in_order;
};

/// Sorts tile ports that an extractor reported against the router template.
TileInterface classify_tile_ports(const std::vector<rtl::PortTuple>& inputs,
                                  const std::vector<rtl::PortTuple>& outputs,
                                  const RouterPortTemplate& router);

/// Generates the tile named `ip` (the last endpoint's source), reads it and classifies it.
TileInterface read_tile_interface(rtl::RtlCatalog& catalog, const std::optional<std::string>& ip,
                                  const RouterPortTemplate& router);

/// "in_flit" -> "out_flit", anything else in the first field -> "in": the router port that
/// carries the same signal the other way.
std::string router_partner_name(std::string_view router_port);

/// The same flip on the second field, for tile port names that carry a prefix ("noc_in_flit").
/// Nothing when the name has no second field.
std::optional<std::string> tile_partner_name(std::string_view tile_port);

}  // namespace noc::model
