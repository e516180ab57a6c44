#pragma once

#include <string>
#include <unordered_map>

#include "emit/network.h"
#include "emit/text_sink.h"

namespace noc::emit {

/// Gives every tile instance a name of its own: module + "_" + node + "_inst", and for a node
/// instantiated again (listed twice, or by two routers) "_1", "_2", ... in file order. Named
/// after the module alone, two tiles of one module would collide in every SystemVerilog tool.
class TileInstanceNamer {
 public:
  std::string next(const std::string& module_name, const std::string& node_name);

 private:
  std::unordered_map<std::string, int> seen_;
};

/// The wire arrays between a router and its tiles, one element per tile, and "\n\n".
void write_endpoint_wires(TextSink& out, const Network& network, const model::RouterRecord& router,
                          const model::EndpointWires& wires);

/// One tile instance on element `index` of the router's endpoint wires.
void write_tile_instance(TextSink& out, const Network& network, const model::EndpointWires& wires,
                         const model::Node& tile_node, int index, TileInstanceNamer& namer);

}  // namespace noc::emit
