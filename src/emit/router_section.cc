#include "emit/router_section.h"

#include "common/error.h"
#include "common/text.h"

namespace noc::emit {
namespace {

void write_link_wire(TextSink& out, const rtl::PortTuple& tuple, const std::string& link) {
  // The outer dimension is the router's port index; a link carries one element of it.
  out << "wire ";
  for (std::size_t piece = 1; piece < tuple.pieces.size(); ++piece) {
    out << tuple.pieces[piece];
    if (piece == tuple.name_index) out << "_" << link;
  }
  out << ";\n";
}

// The lists of one port line are read by position; a description whose tile and router ports do
// not pair up runs out of entries here.
const std::string& entry(const std::vector<std::string>& list, std::size_t i,
                         const model::RouterRecord& router, const std::string& port,
                         const char* missing) {
  if (i < list.size()) return list[i];
  throw Error("router " + in_quotes(router.name) + ": port " + in_quotes(port) + " has no " +
              missing);
}

enum class Line { kInput, kOutput, kLastOutput };

void write_port_line(TextSink& out, const model::RouterRecord& router, const std::string& port,
                     const std::string& partner, const std::string* endpoint_wire, Line line) {
  out << "." << port << " ({";
  for (int count_ep = router.no_of_EPs - 1; count_ep >= 0; --count_ep)
    out << *endpoint_wire << "[" << count_ep << "],";
  const std::vector<std::string>& neighbours = router.r_neighbors;
  for (std::size_t j = 0; j < neighbours.size(); ++j) {
    const std::string& name = router.r_first_end[j] ? port : partner;
    out << name << "_" << router.r_links[j];
    if (j + 1 < neighbours.size()) {
      out << ",";
    } else {
      out << (line == Line::kLastOutput ? "}));\n" : "}),\n");
    }
  }
}

}  // namespace

void write_link_wires(TextSink& out, const std::vector<std::string>& owned_links,
                      const model::RouterPortTemplate& ports, const model::TileInterface& tile) {
  for (const std::string& link : owned_links) {
    for (const std::string& port : tile.router_inputs)
      write_link_wire(out, *ports.router_inputs_dict.find(port), link);
    for (const std::string& port : tile.router_outputs)
      write_link_wire(out, *ports.router_outputs_dict.find(port), link);
  }
  out << "\n";
}

void write_router_instance(TextSink& out, const Network& network, const model::RouterRecord& router,
                           const model::EndpointWires& wires) {
  const model::TileInterface& tile = network.tile;
  if (router.r_neighbors.empty())
    network.description.fail_at(*router.node, "router " + in_quotes(router.name) +
                                                  " has no router neighbour; every router "
                                                  "needs at least one");
  if (tile.router_outputs_in_order.empty())
    throw Error("router source " + in_quotes(model::kRouterSourceName) +
                ": no router output faces the compute tile " + in_quotes(tile.source_name) +
                " (a tile output noc_X needs a router output X paired with a router input)");
  const std::string& module = rtl::top_module(network.catalog.parse(router.top_module_fname));
  out << module << "\n#(\n.INPUTS (" << router.no_of_ports << "),\n.OUTPUTS (" << router.no_of_ports
      << "),\n.DESTS      (32)\n)\n\n"
      << module << "_" << router.name << "_inst(\n";
  for (const std::string& name : network.router_ports.router_clk_rst)
    out << "." << name << " (" << name << "),\n";
  const bool has_tiles = router.no_of_EPs > 0;
  for (std::size_t i = 0; i < tile.router_inputs.size(); ++i) {
    const std::string& port = tile.router_inputs[i];
    const std::string* wire =
        has_tiles ? &entry(wires.temp_out_in_order, i, router, port, "paired tile NoC output")
                  : nullptr;
    const bool needs_partner = router.has_second_end;
    static const std::string none;
    const std::string& partner =
        needs_partner ? entry(tile.router_outputs_in_order, i, router, port,
                              "partner output among the router outputs facing the tile")
                      : none;
    write_port_line(out, router, port, partner, wire, Line::kInput);
  }
  const std::vector<std::string>& outputs = tile.router_outputs_in_order;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const std::string* wire =
        has_tiles ? &entry(wires.temp_in, i, router, outputs[i], "paired tile NoC input") : nullptr;
    write_port_line(out, router, outputs[i], tile.router_inputs[i], wire,
                    i + 1 == outputs.size() ? Line::kLastOutput : Line::kOutput);
  }
}

}  // namespace noc::emit
