#include "emit/router_section.h"
#include "model/top_contract.h"

#include <algorithm>

namespace noc::emit {
namespace {

// The outer dimension is the router's port index; a link carries one element of it.
RouterLines::LinkWire link_wire(const rtl::PortTuple& tuple) {
  RouterLines::LinkWire wire{"wire ", "", tuple.name_index >= 1};
  std::string* text = &wire.before;
  for (std::size_t piece = 1; piece < tuple.pieces.size(); ++piece) {
    *text += tuple.pieces[piece];
    if (piece == tuple.name_index) {
      *text += '_';
      text = &wire.after;
    }
  }
  *text += ";\n";
  return wire;
}

RouterLines::PortLine port_line(const std::string& port, const std::string* partner) {
  return {"." + port + " ({", port + "_", (partner ? *partner : std::string()) + "_"};
}

// The pieces of one port line are a run of copies into room claimed for the whole line.
void write_port_line(TextSink& out, const model::RouterRecord& router,
                     const RouterLines::PortLine& line, const std::string* endpoint_wire,
                     const std::vector<std::string_view>& links, std::size_t link_bytes,
                     std::string_view end) {
  const std::size_t tiles = static_cast<std::size_t>(std::max(router.no_of_EPs, 0));
  const std::size_t wire_bytes = endpoint_wire ? endpoint_wire->size() : 0;
  char* at = out.claim(line.head.size() + tiles * (wire_bytes + 14) + link_bytes + end.size());
  at = put(at, line.head);
  for (int count_ep = router.no_of_EPs - 1; count_ep >= 0; --count_ep) {
    at = put(at, *endpoint_wire);
    *at++ = '[';
    at = put(at, count_ep);
    *at++ = ']';
    *at++ = ',';
  }
  for (std::size_t j = 0; j < links.size(); ++j) {
    at = put(at, router.links[j].first_end ? line.first_end : line.second_end);
    at = put(at, links[j]);
    at = j + 1 < links.size() ? put(at, ",", 1) : put(at, end);
  }
  out.advance(at);
}

}  // namespace

RouterLines router_lines(const Network& network) {
  const model::TileInterface& tile = network.tile;
  const model::RouterPortTemplate& ports = network.router_ports;
  RouterLines lines;
  // The plan has checked that every list is long enough for the positions a block reads; a
  // partner that no block reads may be missing.
  for (std::size_t i = 0; i < tile.router_inputs.size(); ++i) {
    const std::vector<std::string>& partners = tile.router_outputs_in_order;
    lines.inputs.push_back(
        port_line(tile.router_inputs[i], i < partners.size() ? &partners[i] : nullptr));
  }
  for (std::size_t i = 0; i < tile.router_outputs_in_order.size(); ++i) {
    const std::vector<std::string>& partners = tile.router_inputs;
    lines.outputs.push_back(
        port_line(tile.router_outputs_in_order[i], i < partners.size() ? &partners[i] : nullptr));
  }
  for (const auto* list : {&lines.inputs, &lines.outputs})
    for (const RouterLines::PortLine& line : *list)
      lines.longest_prefix =
          std::max({lines.longest_prefix, line.first_end.size(), line.second_end.size()});
  for (const std::string& port : tile.router_inputs)
    if (const rtl::PortTuple* tuple = ports.router_inputs_dict.find(port))
      lines.link_wires.push_back(link_wire(*tuple));
  for (const std::string& port : tile.router_outputs)
    if (const rtl::PortTuple* tuple = ports.router_outputs_dict.find(port))
      lines.link_wires.push_back(link_wire(*tuple));
  return lines;
}

void write_link_wires(TextSink& out, const model::RouterRecord& router,
                      const model::LinkNames& links, const RouterLines& lines) {
  for (const model::RouterLink& router_link : router.links) {
    if (!router_link.first_end) continue;
    std::string_view link = links[router_link.name];
    for (const RouterLines::LinkWire& wire : lines.link_wires) {
      char* at = out.claim(wire.before.size() + link.size() + wire.after.size());
      at = put(at, wire.before);
      if (wire.takes_link) at = put(at, link);
      out.advance(put(at, wire.after));
    }
  }
  out << "\n";
}

void write_router_instance(TextSink& out, const Network& network, const RouterLines& lines,
                           const model::RouterBlock& block, const model::EndpointWires& wires) {
  const model::LinkNames& link_names = network.routers.link_names;
  const model::RouterRecord& router = *block.router;
  std::string_view module = block.module;
  out << module << "\n#(\n.INPUTS (" << router.no_of_ports << "),\n.OUTPUTS (" << router.no_of_ports
      << "),\n.DESTS      (" << (network.identity ? network.identity->dests : model::kRouterDests)
      << ")";
  const std::size_t place = static_cast<std::size_t>(&block - network.plan.blocks.data());
  if (network.identity && !network.identity->routes[place].empty())
    out << ",\n.ROUTES     (" << network.identity->routes[place] << ")";
  out << "\n)\n\n";
  thread_local std::string instance;
  instance.clear();
  model::append_router_instance(instance, module, router.name());
  out << instance << "(\n";
  for (const std::string& name : network.router_ports.router_clk_rst)
    out << "." << name << " (" << name << "),\n";
  // Every port line names every link: the names are looked up once per block.
  thread_local std::vector<std::string_view> links;
  links.clear();
  std::size_t link_bytes = 0;
  for (const model::RouterLink& link : router.links) {
    links.push_back(link_names[link.name]);
    link_bytes += links.back().size() + lines.longest_prefix + 1;
  }
  const bool has_tiles = router.no_of_EPs > 0;
  for (std::size_t i = 0; i < lines.inputs.size(); ++i)
    write_port_line(out, router, lines.inputs[i], has_tiles ? &wires.temp_out_in_order[i] : nullptr,
                    links, link_bytes, "}),\n");
  for (std::size_t i = 0; i < lines.outputs.size(); ++i)
    write_port_line(out, router, lines.outputs[i], has_tiles ? &wires.temp_in[i] : nullptr, links,
                    link_bytes, i + 1 == lines.outputs.size() ? "}));\n" : "}),\n");
}

}  // namespace noc::emit
