#pragma once

#include "model/description.h"
#include "model/diagnostics.h"
#include "model/router_table.h"
#include "model/tile_interface.h"
#include "rtl/extract_rtl.h"

namespace noc::model {

/// Every tile instance is connected with the one interface read from the last endpoint's
/// source, whatever source its own node names. Each distinct tile source is checked against
/// what noc_top connects to its instances, at its module and ports, naming the first node that
/// names it:
/// - a source that is the router's is an error;
/// - every port noc_top connects must be there with the same direction (error);
/// - a NoC port must have as many elements as noc_top's wire for it: an error when both counts
///   are known and differ, a warning when the dimensions read otherwise and cannot be counted;
/// - an input noc_top leaves open that is not a reset or debug input, and a NoC port the
///   interface lacks, are warnings;
/// - every tile has an input rst_sys and a parameter CONFIG (warnings).
void check_tile_sources(const Description& description, const RouterTable& table,
                        const TileInterface& tile, rtl::RtlCatalog& catalog, DiagnosticSink& sink);

}  // namespace noc::model
