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

void find_lines(const OrderedMap<rtl::PortTuple>& ports, const std::vector<std::string>& wires,
                std::vector<DeclarationPorts::Line>& lines) {
  lines.clear();
  for (const std::string& wire : wires) {
    const rtl::PortTuple& tuple = *model::declaration_port(ports, wire);
    DeclarationPorts::Line line{"", "", tuple.name_index < tuple.pieces.size()};
    for (std::size_t piece = 0; piece < tuple.pieces.size(); ++piece) {
      if (piece < tuple.name_index) line.before += tuple.pieces[piece];
      if (piece > tuple.name_index) line.after += tuple.pieces[piece];
    }
    line.after += ";\n";
    lines.push_back(std::move(line));
  }
}

void write_declarations(TextSink& out, std::string_view range,
                        const std::vector<DeclarationPorts::Line>& lines,
                        const std::vector<std::string>& wires) {
  for (std::size_t i = 0; i < wires.size(); ++i) {
    const DeclarationPorts::Line& line = lines[i];
    char* at =
        out.claim(5 + range.size() + line.before.size() + wires[i].size() + line.after.size());
    at = put(put(at, "wire ", 5), range);
    at = put(at, line.before);
    if (line.has_name) at = put(at, wires[i]);
    out.advance(put(at, line.after));
  }
}

}  // namespace

void write_endpoint_wires(TextSink& out, const Network& network, const model::RouterRecord& router,
                          const model::EndpointWires& wires, DeclarationPorts& declarations) {
  const model::TileInterface& tile = network.tile;
  if (!declarations.found) {
    find_lines(tile.in_from_noc_dict, wires.temp_in, declarations.in);
    find_lines(tile.out_to_noc_dict, wires.temp_out_in_order, declarations.out);
    declarations.found =
        fields_inside_port(tile.in_from_noc) && fields_inside_port(network.wires.partner_ports());
  }
  // A transit router has no tiles, so no endpoint wires: its port lines carry links alone.
  if (router.no_of_EPs == 0) return;
  char range[32];
  int length = std::snprintf(range, sizeof range, "[%d:0]", router.no_of_EPs - 1);
  std::string_view range_text(range, static_cast<std::size_t>(length));
  write_declarations(out, range_text, declarations.in, wires.temp_in);
  write_declarations(out, range_text, declarations.out, wires.temp_out_in_order);
  out << "\n\n";
}

TileLines tile_lines(const model::TileInterface& tile) {
  TileLines lines{"\n#(\n.CONFIG(CONFIG)\n)\n", "(\n", {}, {}};
  for (const std::string& clock : tile.clk) lines.clocks += "." + clock + " (" + clock + "),\n";
  lines.clocks += ".rst_sys (rst),\n";
  for (const std::string& port : tile.in_from_noc) lines.in_heads.push_back("." + port + " (");
  for (const std::string& port : tile.out_to_noc) lines.out_heads.push_back("." + port + " (");
  return lines;
}

namespace {

// ".noc_in_flit (noc_in_flit_R_0_EP[0])" and what ends the line, copied into claimed room.
void write_connection(TextSink& out, const std::string& head, const std::string& wire, int index,
                      std::string_view end) {
  char* at = out.claim(head.size() + wire.size() + end.size() + 13);
  at = put(at, head);
  at = put(at, wire);
  *at++ = '[';
  at = put(at, index);
  *at++ = ']';
  out.advance(put(at, end));
}

}  // namespace

void write_tile_instance(TextSink& out, const TileLines& lines, const model::EndpointWires& wires,
                         const model::TileInstance& instance, const route::Identity* identity,
                         std::size_t place) {
  // One buffer for every instance name of the run.
  thread_local std::string name;
  name.clear();
  instance.append_instance(name);
  if (identity && !identity->tile_parameter[place].empty())
    out << instance.module << "\n#(\n.CONFIG(CONFIG),\n." << identity->tile_parameter[place] << " ("
        << identity->tile_number[place] << ")\n)\n"
        << name << lines.clocks;
  else
    out << instance.module << lines.parameters << name << lines.clocks;
  for (std::size_t i = 0; i < lines.in_heads.size(); ++i)
    write_connection(out, lines.in_heads[i], wires.temp_in[i], instance.index, "),\n");
  std::size_t last = lines.out_heads.size() - 1;
  for (std::size_t i = 0; i <= last; ++i)
    write_connection(out, lines.out_heads[i], wires.temp_out[i], instance.index,
                     i == last ? "));\n\n\n" : "),\n");
}

}  // namespace noc::emit
