#pragma once

#include "model/plan.h"

namespace noc::emit {

/// Everything the writer reads, built and checked before the first byte is written.
struct Network {
  const model::Description& description;
  const model::RouterTable& routers;
  const model::RouterPortTemplate& router_ports;
  const model::TileInterface& tile;
  const model::ConnectionTables& wires;
  const model::Plan& plan;  ///< module and instance names of every block
};

}  // namespace noc::emit
