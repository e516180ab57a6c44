#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "emit/network.h"
#include "emit/text_sink.h"

namespace noc::emit {

/// The text of a router block that is the same in every block, spelled once per run: each line
/// is then written as these pieces with the router's names and numbers between them.
struct RouterLines {
  /// One data port line of the router instance: ".in_flit ({", and what precedes a link's name
  /// in the concatenation at the link's first end ("in_flit_") and at its second ("out_flit_").
  struct PortLine {
    std::string head;
    std::string first_end;
    std::string second_end;
  };
  /// One link wire per tile-facing router port: "wire [FLIT_WIDTH-1:0] in_flit_", the link's
  /// name, then ";\n". A port whose name is its tuple's first piece takes no link name.
  struct LinkWire {
    std::string before;
    std::string after;
    bool takes_link = true;
  };
  std::vector<PortLine> inputs, outputs;  ///< in the instance's order
  std::vector<LinkWire> link_wires;       ///< in declaration order
  std::size_t longest_prefix = 0;         ///< of any first_end or second_end
};

RouterLines router_lines(const Network& network);

/// The wires of the links a router declares (those it is the first-named end of), one per
/// tile-facing router port, each one element wide, and "\n".
void write_link_wires(TextSink& out, const model::RouterRecord& router,
                      const model::LinkNames& links, const RouterLines& lines);

/// The router instance: module, parameters, clock and reset, and every data port joined to a
/// concatenation of its tiles' wire elements and its links' wires.
void write_router_instance(TextSink& out, const Network& network, const RouterLines& lines,
                           const model::RouterBlock& block, const model::EndpointWires& wires);

}  // namespace noc::emit
