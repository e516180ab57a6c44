#pragma once

#include <span>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "model/connection_tables.h"
#include "model/description.h"
#include "model/port_template.h"
#include "model/router_table.h"
#include "model/tile_interface.h"
#include "rtl/extract_rtl.h"

namespace noc::model {

/// One tile instance of a router block.
struct TileInstance {
  const Node* node = nullptr;
  std::string_view module;  ///< the first module of the tile's source
  /// How many instances of the same node come before this one, in output order.
  int repeat = 0;
  int index = 0;  ///< the element of the router's endpoint wires it is connected to

  /// Appends the instance's name, unique in noc_top: module + "_" + node + "_inst", and for a
  /// node instantiated again (listed twice, or by two routers) "_1", "_2", ... in file order.
  /// Named after the module alone, two tiles of one module would collide in every tool.
  void append_instance(std::string& out) const;
  std::string instance() const;
};

/// One router block of noc_top, resolved.
struct RouterBlock {
  const RouterRecord* router = nullptr;
  std::string_view module;              ///< the first module of the router's own source
  std::span<const TileInstance> tiles;  ///< in neighbours order
};

/// Everything the writer needs, resolved and checked before the first byte is written: a
/// problem found here leaves an existing noc_soc.sv alone, and the writer only writes.
struct Plan {
  Plan() = default;
  // The blocks point into the plan's own arrays.
  Plan(const Plan&) = delete;
  Plan& operator=(const Plan&) = delete;
  Plan(Plan&&) = default;
  Plan& operator=(Plan&&) = default;

  const Description* description = nullptr;
  const RouterTable* routers = nullptr;
  const RouterPortTemplate* router_ports = nullptr;
  const TileInterface* tile = nullptr;
  const ConnectionTables* wires = nullptr;
  std::vector<RouterBlock> blocks;  ///< one per router, in description order
  std::vector<TileInstance> tiles;  ///< every block's tiles, block after block
  /// The first module of each source named, by source name; empty for a source that failed.
  std::unordered_map<std::string_view, std::string> modules;
};

/// Resolves the module and instance names of every router block and runs, router by router in
/// output order, every check that writing a block relies on. Each problem goes to `sink` once,
/// in the order in which writing would have met it.
Plan build_plan(const Description& description, const RouterTable& routers,
                const RouterPortTemplate& router_ports, const TileInterface& tile,
                const ConnectionTables& wires, rtl::RtlCatalog& catalog, DiagnosticSink& sink);

/// The tile port whose tuple declares an endpoint wire: the wire's first three "_"-fields,
/// which is the port name exactly when the port name has three fields ("noc_in_flit"). Nothing
/// when those fields name no port; build_plan has refused such a design.
const rtl::PortTuple* declaration_port(const OrderedMap<rtl::PortTuple>& ports,
                                       std::string_view wire);

}  // namespace noc::model
