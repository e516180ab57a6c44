#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "common/ordered_map.h"
#include "model/description.h"

namespace noc::model {

/// One router of the network, as the writer needs it.
struct RouterRecord {
  std::string name;
  const Node* node = nullptr;  ///< its record in the description, for messages
  /// Router neighbour -> link name ("R_0_1"), in the order of first appearance in neighbors.
  OrderedMap<std::string> r_wire;
  /// Router neighbours in neighbors order; a name listed twice stands twice.
  std::vector<std::string> r_neighbors;
  /// Per entry of r_neighbors: its link name, and whether this router is the link's first-named
  /// end (is_first_end), worked out once so that writing every port line stays cheap.
  std::vector<std::string> r_links;
  std::vector<bool> r_first_end;
  bool has_second_end = false;  ///< some entry of r_first_end is false
  /// The tile neighbours in neighbors order, a tile listed twice standing twice.
  std::vector<const Node*> ep_nodes;
  /// The router's name + "_EP"; absent when no tile is attached.
  std::optional<std::string> ep_wire;
  std::string top_module_fname;
  int no_of_ports = 0;  ///< router neighbours plus twice the tile neighbours
  int no_of_EPs = 0;    ///< tile neighbours, each listing counted
  /// Some neighbour was left out for a problem already reported (unknown, unreadable or
  /// unnumbered): what the router seems to lack is then no problem of its own.
  bool incomplete = false;
};

struct RouterTable {
  std::vector<RouterRecord> routers;  ///< in description order
  /// top_module_fname of the last endpoint node, the source every tile interface comes from.
  std::optional<std::string> ip;
};

/// Why `name` cannot be a linked router's name (no decimal second "_"-separated field), in words
/// that follow the node's name, or nothing when it can.
std::optional<std::string> router_number_problem(std::string_view name);

/// Builds the router table: link names, endpoint wire names and port counts. Every problem goes
/// to `sink`, once, and what cannot be read is left out: a router without neighbours or source
/// name has no record, a neighbour that is unknown or unnumbered no link.
RouterTable build_router_table(const Description& description, DiagnosticSink& sink);

/// The same, throwing the first error.
RouterTable build_router_table(const Description& description);

/// The link name of routers `a` and `b` as `a` computes it: b's prefix, then the smaller and
/// the larger router number, of any length, in decimal without leading zeros. Nothing when either
/// name lacks a decimal second field.
std::optional<std::string> link_name(std::string_view a, std::string_view b);

/// Whether `router` is the first-named end of its link to `neighbour`, the end that declares
/// the link's wires. The names' fields are compared as text with the link name, so leading
/// zeros or different prefixes make the test fail on both ends (a quirk kept for existing
/// designs).
bool is_first_end(const RouterRecord& router, std::string_view neighbour);

}  // namespace noc::model
