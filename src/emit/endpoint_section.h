#pragma once

#include "emit/network.h"
#include "emit/text_sink.h"

namespace noc::emit {

/// The wire arrays between a router and its tiles, one element per tile, and "\n\n".
void write_endpoint_wires(TextSink& out, const Network& network, const model::RouterRecord& router,
                          const model::EndpointWires& wires);

/// One tile instance, on its element of the router's endpoint wires.
void write_tile_instance(TextSink& out, const Network& network, const model::EndpointWires& wires,
                         const model::TileInstance& instance);

}  // namespace noc::emit
