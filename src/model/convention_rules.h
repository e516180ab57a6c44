#pragma once

#include "model/description.h"
#include "model/diagnostics.h"
#include "model/port_template.h"
#include "model/router_table.h"
#include "model/tile_interface.h"
#include "model/top_contract.h"
#include "rtl/extract_rtl.h"

namespace noc::model {

/// What noc_top takes for granted about the router and the tile, checked where the sources
/// declare it:
/// - the router's clock and reset are the inputs named exactly clk and rst;
/// - every tile has an input rst_sys (connected to rst) and a parameter CONFIG;
/// - the dimensions copied into noc_top's wires name nothing of the module's own;
/// - no more tiles than the DESTS every router is given;
/// - a NoC port is a plain vector: its data type cannot be carried by the wires noc_top
///   declares, so a typed one is an error, the rest are warnings.
void check_conventions(const Description& description, const RouterTable& table,
                       const RouterPortTemplate& router_ports, const TileInterface& tile,
                       const Node& tile_node, rtl::RtlCatalog& catalog, DiagnosticSink& sink);

/// True when a port's data type as written is one noc_top's wires carry: none, or a plain
/// vector (wire, logic, bit, reg, var, signed, unsigned).
bool plain_vector_type(const std::string& type_text);

/// The identifiers a dimension text names, without package scopes, those after "::" or "." (a
/// package's or a structure's) and system functions.
std::vector<std::string> dimension_identifiers(const std::string& text);

}  // namespace noc::model
