#pragma once

#include "model/connection_tables.h"
#include "model/description.h"
#include "model/port_template.h"
#include "model/router_table.h"
#include "model/tile_interface.h"
#include "rtl/extract_rtl.h"

namespace noc::emit {

/// Everything the writer reads, built before the first byte is written.
struct Network {
  const model::Description& description;
  const model::RouterTable& routers;
  const model::RouterPortTemplate& router_ports;
  const model::TileInterface& tile;
  const model::ConnectionTables& wires;
  rtl::RtlCatalog& catalog;  ///< module names of tiles and routers are read as they are written
};

}  // namespace noc::emit
