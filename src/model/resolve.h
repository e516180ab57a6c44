#pragma once

#include <memory>
#include <optional>

#include "model/connection_tables.h"
#include "model/description.h"
#include "model/diagnostics.h"
#include "model/plan.h"
#include "model/port_template.h"
#include "model/router_table.h"
#include "model/tile_interface.h"
#include "rtl/extract_rtl.h"

namespace noc::model {

/// Every table of one design and the plan built on them, as far as the design allows. A step
/// whose input could not be built is left out, and so are the problems it would have echoed.
struct Resolution {
  Resolution() = default;
  // The plan points into the tables.
  Resolution(const Resolution&) = delete;
  Resolution& operator=(const Resolution&) = delete;

  RouterTable table;
  std::optional<RouterPortTemplate> router_ports;
  std::optional<TileInterface> tile;
  std::optional<ConnectionTables> wires;
  std::optional<Plan> plan;
};

/// Runs every rule on a loaded description and the sources below the catalog's base directory,
/// in the order in which a generation meets them, reporting each problem to `sink`. The one
/// rule book of the generator: `generate` stops at the first error of the sink, `check` lists
/// the sink, `dot` colours what it names.
std::unique_ptr<Resolution> resolve(const Description& description, rtl::RtlCatalog& catalog,
                                    DiagnosticSink& sink);

}  // namespace noc::model
