#include "emit/endpoint_section.h"

namespace noc::emit {
namespace {

void write_declarations(TextSink& out, const std::string& range,
                        const OrderedMap<rtl::PortTuple>& ports,
                        const std::vector<std::string>& wires) {
  for (std::size_t i = 0; i < wires.size(); ++i) {
    const rtl::PortTuple& tuple = *model::declaration_port(ports, wires[i]);
    out << "wire " << range;
    for (std::size_t piece = 0; piece < tuple.pieces.size(); ++piece)
      out << (piece == tuple.name_index ? wires[i] : tuple.pieces[piece]);
    out << ";\n";
  }
}

}  // namespace

void write_endpoint_wires(TextSink& out, const Network& network, const model::RouterRecord& router,
                          const model::EndpointWires& wires) {
  const model::TileInterface& tile = network.tile;
  std::string range = "[" + std::to_string(router.no_of_EPs - 1) + ":0]";
  write_declarations(out, range, tile.in_from_noc_dict, wires.temp_in);
  write_declarations(out, range, tile.out_to_noc_dict, wires.temp_out_in_order);
  out << "\n\n";
}

void write_tile_instance(TextSink& out, const Network& network, const model::EndpointWires& wires,
                         const model::TileInstance& instance) {
  const model::TileInterface& tile = network.tile;
  const std::string& module = instance.module;
  const int index = instance.index;
  out << module << "\n#(\n.CONFIG(CONFIG)\n)\n" << instance.instance << "(\n";
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
