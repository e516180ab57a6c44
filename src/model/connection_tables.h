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

/// What a router's endpoint wires add to the tile's port names: "_" + the router's name + "_EP",
/// or nothing for a router without tiles, which has no endpoint wire.
void append_endpoint_suffix(std::string& out, const RouterRecord& router);

/// The endpoint wires of every router. Each router's wires are the tile's NoC port names with
/// the router's suffix appended, so the table keeps the port names once and spells out one
/// router's wires when the writer reaches it: a network of 65,536 routers then holds no
/// per-router copies.
class ConnectionTables {
 public:
  ConnectionTables() = default;
  ConnectionTables(std::vector<std::string> in_ports, std::vector<std::string> out_ports,
                   std::vector<std::string> partner_ports);

  EndpointWires wires_of(const RouterRecord& router) const;
  /// The same into `wires`, reusing its strings: the writer spells out one router after the
  /// other into the same lists.
  void wires_of(const RouterRecord& router, EndpointWires& wires) const;
  /// The tile NoC outputs whose wires pair with an input's wire, in input order.
  const std::vector<std::string>& partner_ports() const { return partner_ports_; }

 private:
  std::vector<std::string> in_ports_;
  std::vector<std::string> out_ports_;
  std::vector<std::string> partner_ports_;  ///< NoC outputs that pair with inputs, input order
};

/// Checks that every router can be wired to its tiles (the tile's NoC inputs have a partner
/// field; every router has a tile when the tile has NoC ports) and returns the tables. Problems
/// go to `sink`, the tile's at `tile_node`, the node whose source gave the tile interface.
ConnectionTables build_connection_tables(const Description& description, const RouterTable& table,
                                         const TileInterface& tile, const Node& tile_node,
                                         DiagnosticSink& sink);

}  // namespace noc::model
