#include "model/tile_interface.h"

#include <unordered_set>

#include "common/text.h"

namespace noc::model {
namespace {

bool contains(std::string_view name, std::string_view text) {
  return name.find(text) != std::string_view::npos;
}

// The router port a tile's NoC port faces: the tile name behind a four-character prefix such
// as "noc_".
std::string_view without_prefix(std::string_view name) {
  return name.size() <= 4 ? std::string_view() : name.substr(4);
}

std::string flip_field(std::string_view name, std::size_t at) {
  std::vector<std::string_view> fields = split_fields(name);
  fields[at] = fields[at] == "in" ? "out" : "in";
  return join_fields(fields);
}

}  // namespace

std::string router_partner_name(std::string_view router_port) {
  return flip_field(router_port, 0);
}

std::optional<std::string> tile_partner_name(std::string_view tile_port) {
  if (!field_at(tile_port, 1)) return std::nullopt;
  return flip_field(tile_port, 1);
}

TileInterface classify_tile_ports(const std::vector<rtl::PortTuple>& inputs,
                                  const std::vector<rtl::PortTuple>& outputs,
                                  const RouterPortTemplate& router) {
  TileInterface tile;
  for (const rtl::PortTuple& port : inputs) {
    const std::string& name = port.name();
    if (contains(name, "noc")) {
      tile.in_from_noc.push_back(name);
      tile.in_from_noc_dict.set(name, port);
      std::string_view facing = without_prefix(name);
      if (router.router_inputs_dict.contains(facing)) tile.router_inputs.emplace_back(facing);
    } else if (contains(name, "rst") && !contains(name, "dbg")) {
      // Tile resets are tied in the instance, not connected by name.
    } else if (contains(name, "clk")) {
      tile.clk.push_back(name);
    }
  }
  for (const rtl::PortTuple& port : outputs) {
    const std::string& name = port.name();
    if (!contains(name, "noc")) continue;
    tile.out_to_noc.push_back(name);
    tile.out_to_noc_dict.set(name, port);
    std::string_view facing = without_prefix(name);
    if (router.router_outputs_dict.contains(facing)) tile.router_outputs.emplace_back(facing);
  }
  std::unordered_set<std::string> outputs_set(tile.router_outputs.begin(),
                                              tile.router_outputs.end());
  for (const std::string& input : tile.router_inputs) {
    std::string partner = router_partner_name(input);
    if (outputs_set.count(partner)) tile.router_outputs_in_order.push_back(std::move(partner));
  }
  return tile;
}

TileInterface read_tile_interface(rtl::RtlCatalog& catalog, const std::optional<std::string>& ip,
                                  const RouterPortTemplate& router) {
  std::string source = rtl::gen_tile(catalog, ip);
  const rtl::ParsedSource& compute_tile = catalog.parse(source);
  TileInterface tile =
      classify_tile_ports(compute_tile.first.inputs, compute_tile.first.outputs, router);
  std::vector<rtl::PortTuple> noc_ports;
  for (const auto* dict : {&tile.in_from_noc_dict, &tile.out_to_noc_dict})
    for (const auto& [name, port] : *dict) noc_ports.push_back(port);
  refuse_escaped_names(noc_ports, "compute tile", compute_tile.path);
  tile.source_name = std::move(source);
  tile.module_name = compute_tile.first.name;
  std::unordered_set<std::string> seen;
  for (const auto* list : {&compute_tile.includes, &router.includes})
    for (const std::string& entry : *list)
      if (seen.insert(entry).second) tile.total_includes.push_back(entry);
  return tile;
}

}  // namespace noc::model
