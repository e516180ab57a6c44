#pragma once

#include <string>
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
  std::string module;    ///< the first module of the tile's source
  std::string instance;  ///< unique in noc_top
  int index = 0;         ///< the element of the router's endpoint wires it is connected to
};

/// One router block of noc_top, resolved.
struct RouterBlock {
  const RouterRecord* router = nullptr;
  std::string module;               ///< the first module of the router's own source
  std::vector<TileInstance> tiles;  ///< in neighbours order
};

/// Everything the writer needs, resolved and checked before the first byte is written: a
/// problem found here leaves an existing noc_soc.sv alone, and the writer only writes.
struct Plan {
  const Description* description = nullptr;
  const RouterTable* routers = nullptr;
  const RouterPortTemplate* router_ports = nullptr;
  const TileInterface* tile = nullptr;
  const ConnectionTables* wires = nullptr;
  std::vector<RouterBlock> blocks;  ///< one per router, in description order
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
