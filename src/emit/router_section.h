#pragma once

#include <string>
#include <vector>

#include "emit/network.h"
#include "emit/text_sink.h"

namespace noc::emit {

/// The wires of the links a router declares (those it is the first-named end of), one per
/// tile-facing router port, each one element wide, and "\n".
void write_link_wires(TextSink& out, const model::RouterRecord& router,
                      const model::LinkNames& links, const model::RouterPortTemplate& ports,
                      const model::TileInterface& tile);

/// The router instance: module, parameters, clock and reset, and every data port joined to a
/// concatenation of its tiles' wire elements and its links' wires.
void write_router_instance(TextSink& out, const Network& network, const model::RouterBlock& block,
                           const model::EndpointWires& wires);

}  // namespace noc::emit
