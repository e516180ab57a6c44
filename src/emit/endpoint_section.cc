#include "emit/endpoint_section.h"

#include <cstdio>

#include "common/text.h"

namespace noc::emit {
namespace {

bool fields_inside_port(const std::vector<std::string>& ports) {
  for (const std::string& port : ports)
    if (split_fields(port).size() < 3) return false;
  return true;
}

void find_tuples(const OrderedMap<rtl::PortTuple>& ports, const std::vector<std::string>& wires,
                 std::vector<const rtl::PortTuple*>& tuples) {
  tuples.clear();
  for (const std::string& wire : wires) tuples.push_back(model::declaration_port(ports, wire));
}

void write_declarations(TextSink& out, std::string_view range,
                        const std::vector<const rtl::PortTuple*>& tuples,
                        const std::vector<std::string>& wires) {
  for (std::size_t i = 0; i < wires.size(); ++i) {
    const rtl::PortTuple& tuple = *tuples[i];
    out << "wire " << range;
    for (std::size_t piece = 0; piece < tuple.pieces.size(); ++piece)
      out << (piece == tuple.name_index ? wires[i] : tuple.pieces[piece]);
    out << ";\n";
  }
}

}  // namespace

void write_endpoint_wires(TextSink& out, const Network& network, const model::RouterRecord& router,
                          const model::EndpointWires& wires, DeclarationPorts& declarations) {
  const model::TileInterface& tile = network.tile;
  if (!declarations.found) {
    find_tuples(tile.in_from_noc_dict, wires.temp_in, declarations.in);
    find_tuples(tile.out_to_noc_dict, wires.temp_out_in_order, declarations.out);
    declarations.found =
        fields_inside_port(tile.in_from_noc) && fields_inside_port(network.wires.partner_ports());
  }
  char range[32];
  int length = std::snprintf(range, sizeof range, "[%d:0]", router.no_of_EPs - 1);
  std::string_view range_text(range, static_cast<std::size_t>(length));
  write_declarations(out, range_text, declarations.in, wires.temp_in);
  write_declarations(out, range_text, declarations.out, wires.temp_out_in_order);
  out << "\n\n";
}

void write_tile_instance(TextSink& out, const Network& network, const model::EndpointWires& wires,
                         const model::TileInstance& instance) {
  const model::TileInterface& tile = network.tile;
  const int index = instance.index;
  // One buffer for every instance name of the run.
  thread_local std::string name;
  name.clear();
  instance.append_instance(name);
  out << instance.module << "\n#(\n.CONFIG(CONFIG)\n)\n" << name << "(\n";
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
