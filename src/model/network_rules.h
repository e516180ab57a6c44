#pragma once

#include "model/description.h"
#include "model/diagnostics.h"

namespace noc::model {

/// The rules about the network as a whole that generate but give hardware that is likely wrong:
/// links listed at one end only, a router listing itself, linked routers with different prefixes,
/// router numbers written with leading zeros or given twice, a tile listed more than once or by
/// no router, endpoints naming different tile sources, is_Router that is no boolean, and names
/// or members given twice. All of them are warnings, in description order.
void check_network(const Description& description, DiagnosticSink& sink);

}  // namespace noc::model
