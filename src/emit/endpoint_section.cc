#include "emit/endpoint_section.h"

#include "common/error.h"
#include "common/text.h"

namespace noc::emit {
namespace {

// The tile port a wire was named after: the wire's first three "_"-fields, which is the port
// name exactly when the port name has three fields ("noc_in_flit").
const rtl::PortTuple& port_of_wire(const OrderedMap<rtl::PortTuple>& ports, const std::string& wire,
                                   const std::string& port_name,
                                   const model::RouterRecord& router) {
  const rtl::PortTuple* tuple = ports.find(leading_fields(wire, 3));
  if (tuple) return *tuple;
  std::size_t port_fields = split_fields(port_name).size();
  std::string problem = port_fields < 3   ? "fewer than three"
                        : port_fields > 3 ? "more than three"
                                          : "three";
  throw Error("router " + in_quotes(router.name) + ": tile port " + in_quotes(port_name) + " has " +
              problem + " \"_\"-separated fields; tile NoC ports must be named like noc_in_flit");
}

void write_declarations(TextSink& out, const std::string& range,
                        const OrderedMap<rtl::PortTuple>& ports,
                        const std::vector<std::string>& wires,
                        const std::vector<std::string>& port_names,
                        const model::RouterRecord& router) {
  for (std::size_t i = 0; i < wires.size(); ++i) {
    const std::string& port_name = i < port_names.size() ? port_names[i] : wires[i];
    const rtl::PortTuple& tuple = port_of_wire(ports, wires[i], port_name, router);
    out << "wire " << range;
    for (std::size_t piece = 0; piece < tuple.pieces.size(); ++piece)
      out << (piece == tuple.name_index ? wires[i] : tuple.pieces[piece]);
    out << ";\n";
  }
}

}  // namespace

std::string TileInstanceNamer::next(const std::string& module_name, const std::string& node_name) {
  int repeat = seen_[node_name]++;
  std::string name = module_name + "_" + node_name + "_inst";
  if (repeat > 0) name += "_" + std::to_string(repeat);
  return name;
}

void write_endpoint_wires(TextSink& out, const Network& network, const model::RouterRecord& router,
                          const model::EndpointWires& wires) {
  const model::TileInterface& tile = network.tile;
  std::string range = "[" + std::to_string(router.no_of_EPs - 1) + ":0]";
  write_declarations(out, range, tile.in_from_noc_dict, wires.temp_in, tile.in_from_noc, router);
  write_declarations(out, range, tile.out_to_noc_dict, wires.temp_out_in_order,
                     network.wires.partner_ports(), router);
  out << "\n\n";
}

void write_tile_instance(TextSink& out, const Network& network, const model::EndpointWires& wires,
                         const model::Node& tile_node, int index, TileInstanceNamer& namer) {
  const model::TileInterface& tile = network.tile;
  if (tile.out_to_noc.empty())
    throw Error("compute tile " + in_quotes(tile.source_name) +
                " has no NoC output (an output with \"noc\" in its name), so its instances "
                "cannot be connected");
  std::string source = rtl::gen_tile(network.catalog, tile_node.top_module_fname);
  const std::string& module = rtl::top_module(network.catalog.parse(source));
  out << module << "\n#(\n.CONFIG(CONFIG)\n)\n" << namer.next(module, tile_node.name) << "(\n";
  for (const std::string& clock : tile.clk) out << "." << clock << " (" << clock << "),\n";
  out << ".rst_sys (rst),\n";
  for (std::size_t i = 0; i < tile.in_from_noc.size(); ++i)
    out << "." << tile.in_from_noc[i] << " (" << wires.temp_in[i] << "[" << index << "]),\n";
  std::size_t last = tile.out_to_noc.size() - 1;
  for (std::size_t i = 0; i <= last; ++i) {
    out << "." << tile.out_to_noc[i] << " (" << wires.temp_out[i] << "[" << index << "])";
    out << (i == last ? ");\n" : ",\n");
  }
  out << "\n\n";
}

}  // namespace noc::emit
