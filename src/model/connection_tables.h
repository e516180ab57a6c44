#pragma once

#include <string>
#include <vector>

#include "model/description.h"
#include "model/router_table.h"
#include "model/tile_interface.h"

namespace noc::model {

/// The wires between one router and its tiles: one array per tile NoC port, named after the
/// port and the router ("noc_in_flit_R_0_EP").
struct EndpointWires {
  std::vector<std::string> temp_in;            ///< one per NoC input, in order
  std::vector<std::string> temp_out;           ///< one per NoC output, in order
  std::vector<std::string> temp_out_in_order;  ///< the partner of each inbound wire, if any
};

/// Endpoint wires per router, in router table order.
struct ConnectionTables {
  std::vector<EndpointWires> by_router;
};

ConnectionTables build_connection_tables(const Description& description, const RouterTable& table,
                                         const TileInterface& tile);

}  // namespace noc::model
