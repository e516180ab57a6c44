#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "model/description.h"
#include "model/link.h"

namespace noc::model {

/// One router of the network, as the writer needs it: a plain value whose links and tiles are
/// stretches of the table's arrays.
struct RouterRecord {
  const Node* node = nullptr;  ///< its record in the description
  /// Router neighbours in neighbors order; a name listed twice stands twice.
  std::span<const RouterLink> links;
  /// The tile neighbours in neighbors order, a tile listed twice standing twice.
  std::span<const Node* const> tiles;
  int no_of_ports = 0;          ///< router neighbours plus twice the tile neighbours
  int no_of_EPs = 0;            ///< tile neighbours, each listing counted
  bool has_second_end = false;  ///< some link has this router as its second end
  /// Some neighbour was left out for a problem already reported (unknown, unreadable or
  /// unnumbered): what the router seems to lack is then no problem of its own.
  bool incomplete = false;

  std::string_view name() const { return node->name; }
  std::string_view top_module_fname() const { return node->top_module_fname; }
};

/// The routers in description order, with every router's links and tiles in two arrays.
struct RouterTable {
  RouterTable() = default;
  // The records point into the arrays, so a copy would point into the original.
  RouterTable(const RouterTable&) = delete;
  RouterTable& operator=(const RouterTable&) = delete;
  RouterTable(RouterTable&&) = default;
  RouterTable& operator=(RouterTable&&) = default;

  std::vector<RouterRecord> routers;
  std::vector<RouterLink> links;
  std::vector<const Node*> tiles;
  LinkNames link_names;  ///< what the links' name numbers stand for
  /// top_module_fname of the last endpoint node, the source every tile interface comes from.
  std::optional<std::string_view> ip;
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

}  // namespace noc::model
