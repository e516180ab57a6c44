#pragma once

#include <string>
#include <vector>

#include "emit/network.h"
#include "emit/text_sink.h"

namespace noc::emit {

/// The port tuples that declare a router's endpoint wires. A wire's tuple is found by the wire's
/// first three "_"-fields, which lie inside the port name when it has three fields or more: then
/// every router's wires have the same tuples, found once. A declaration is "wire ", the range,
/// the tuple's pieces before the name, the wire's name and the pieces after it.
struct DeclarationPorts {
  struct Line {
    std::string before;
    std::string after;  ///< ending in ";\n"
    bool has_name = true;
  };
  bool found = false;
  std::vector<Line> in, out;
};

/// The wire arrays between a router and its tiles, one element per tile, and "\n\n".
void write_endpoint_wires(TextSink& out, const Network& network, const model::RouterRecord& router,
                          const model::EndpointWires& wires, DeclarationPorts& declarations);

/// The text of a tile instance that is the same in every instance, spelled once per run.
struct TileLines {
  std::string parameters;             ///< "\n#(\n.CONFIG(CONFIG)\n)\n"
  std::string clocks;                 ///< "(\n" and the clock and reset lines
  std::vector<std::string> in_heads;  ///< ".noc_in_flit (" per NoC input
  std::vector<std::string> out_heads;
};

TileLines tile_lines(const model::TileInterface& tile);

/// One tile instance, on its element of the router's endpoint wires.
/// `identity` and `place` (the instance's place among the plan's tiles) give it its number when
/// routing is asked and its module declares one.
void write_tile_instance(TextSink& out, const TileLines& lines, const model::EndpointWires& wires,
                         const model::TileInstance& instance, const route::Identity* identity,
                         std::size_t place);

}  // namespace noc::emit
