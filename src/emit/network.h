#pragma once

#include "model/plan.h"
#include "route/identity.h"

namespace noc::emit {

/// Everything the writer reads, built and checked before the first byte is written.
struct Network {
  const model::Description& description;
  const model::RouterTable& routers;
  const model::RouterPortTemplate& router_ports;
  const model::TileInterface& tile;
  const model::ConnectionTables& wires;
  const model::Plan& plan;  ///< module and instance names of every block
  /// Routing's parameters for the modules that declare them; none without routing, and the top
  /// is then what it always was.
  const route::Identity* identity = nullptr;
};

}  // namespace noc::emit
