#pragma once

#include <vector>

#include "emit/network.h"
#include "emit/text_sink.h"

namespace noc::emit {

/// The port tuples that declare a router's endpoint wires. A wire's tuple is found by the wire's
/// first three "_"-fields, which lie inside the port name when it has three fields or more: then
/// every router's wires have the same tuples, found once.
struct DeclarationPorts {
  bool found = false;
  std::vector<const rtl::PortTuple*> in, out;
};

/// The wire arrays between a router and its tiles, one element per tile, and "\n\n".
void write_endpoint_wires(TextSink& out, const Network& network, const model::RouterRecord& router,
                          const model::EndpointWires& wires, DeclarationPorts& declarations);

/// One tile instance, on its element of the router's endpoint wires.
void write_tile_instance(TextSink& out, const Network& network, const model::EndpointWires& wires,
                         const model::TileInstance& instance);

}  // namespace noc::emit
