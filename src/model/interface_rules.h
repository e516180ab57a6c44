#pragma once

#include "model/description.h"
#include "model/diagnostics.h"
#include "model/port_template.h"
#include "model/router_table.h"
#include "model/tile_interface.h"
#include "rtl/extract_rtl.h"

namespace noc::model {

/// Warnings about the router and tile interfaces that generate but connect the wrong ports or
/// none: a NoC port that finds no partner (positional pairing then shifts), a router whose own
/// source has other ports than the template's, and inout or interface ports, which are left
/// unconnected. `tile_node` is the endpoint whose source gave the tile interface.
void check_interfaces(const Description& description, const RouterTable& table,
                      const RouterPortTemplate& router_ports, const TileInterface& tile,
                      const Node& tile_node, rtl::RtlCatalog& catalog, DiagnosticSink& sink);

}  // namespace noc::model
