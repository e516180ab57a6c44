#include "emit/router_section.h"

namespace noc::emit {
namespace {

void write_link_wire(TextSink& out, const rtl::PortTuple& tuple, std::string_view link) {
  // The outer dimension is the router's port index; a link carries one element of it.
  out << "wire ";
  for (std::size_t piece = 1; piece < tuple.pieces.size(); ++piece) {
    out << tuple.pieces[piece];
    if (piece == tuple.name_index) out << "_" << link;
  }
  out << ";\n";
}

enum class Line { kInput, kOutput, kLastOutput };

void write_port_line(TextSink& out, const model::RouterRecord& router,
                     const model::LinkNames& links, const std::string& port,
                     const std::string& partner, const std::string* endpoint_wire, Line line) {
  out << "." << port << " ({";
  for (int count_ep = router.no_of_EPs - 1; count_ep >= 0; --count_ep)
    out << *endpoint_wire << "[" << count_ep << "],";
  for (std::size_t j = 0; j < router.links.size(); ++j) {
    const std::string& name = router.links[j].first_end ? port : partner;
    out << name << "_" << links[router.links[j].name];
    if (j + 1 < router.links.size()) {
      out << ",";
    } else {
      out << (line == Line::kLastOutput ? "}));\n" : "}),\n");
    }
  }
}

}  // namespace

void write_link_wires(TextSink& out, const model::RouterRecord& router,
                      const model::LinkNames& links, const model::RouterPortTemplate& ports,
                      const model::TileInterface& tile) {
  for (const model::RouterLink& router_link : router.links) {
    if (!router_link.first_end) continue;
    std::string_view link = links[router_link.name];
    for (const std::string& port : tile.router_inputs)
      write_link_wire(out, *ports.router_inputs_dict.find(port), link);
    for (const std::string& port : tile.router_outputs)
      write_link_wire(out, *ports.router_outputs_dict.find(port), link);
  }
  out << "\n";
}

void write_router_instance(TextSink& out, const Network& network, const model::RouterBlock& block,
                           const model::EndpointWires& wires) {
  const model::LinkNames& links = network.routers.link_names;
  const model::TileInterface& tile = network.tile;
  const model::RouterRecord& router = *block.router;
  std::string_view module = block.module;
  out << module << "\n#(\n.INPUTS (" << router.no_of_ports << "),\n.OUTPUTS (" << router.no_of_ports
      << "),\n.DESTS      (32)\n)\n\n"
      << module << "_" << router.name() << "_inst(\n";
  for (const std::string& name : network.router_ports.router_clk_rst)
    out << "." << name << " (" << name << "),\n";
  // The plan has checked that every list below is long enough for the positions read.
  const bool has_tiles = router.no_of_EPs > 0;
  static const std::string none;
  for (std::size_t i = 0; i < tile.router_inputs.size(); ++i) {
    const std::string* wire = has_tiles ? &wires.temp_out_in_order[i] : nullptr;
    const std::string& partner = router.has_second_end ? tile.router_outputs_in_order[i] : none;
    write_port_line(out, router, links, tile.router_inputs[i], partner, wire, Line::kInput);
  }
  const std::vector<std::string>& outputs = tile.router_outputs_in_order;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const std::string* wire = has_tiles ? &wires.temp_in[i] : nullptr;
    write_port_line(out, router, links, outputs[i], tile.router_inputs[i], wire,
                    i + 1 == outputs.size() ? Line::kLastOutput : Line::kOutput);
  }
}

}  // namespace noc::emit
