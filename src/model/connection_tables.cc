#include "model/connection_tables.h"

#include <unordered_set>

#include "common/text.h"

namespace noc::model {
namespace {

void with_suffix(const std::vector<std::string>& names, std::string_view suffix,
                 std::vector<std::string>& result) {
  result.resize(names.size());
  for (std::size_t i = 0; i < names.size(); ++i) {
    result[i].assign(names[i]);
    result[i] += suffix;
  }
}

}  // namespace

void append_endpoint_suffix(std::string& out, const RouterRecord& router) {
  if (router.no_of_EPs > 0) out.append("_").append(router.name()).append("_EP");
}

ConnectionTables::ConnectionTables(std::vector<std::string> in_ports,
                                   std::vector<std::string> out_ports,
                                   std::vector<std::string> partner_ports)
    : in_ports_(std::move(in_ports)),
      out_ports_(std::move(out_ports)),
      partner_ports_(std::move(partner_ports)) {}

EndpointWires ConnectionTables::wires_of(const RouterRecord& router) const {
  EndpointWires wires;
  wires_of(router, wires);
  return wires;
}

void ConnectionTables::wires_of(const RouterRecord& router, EndpointWires& wires) const {
  thread_local std::string suffix;
  suffix.clear();
  append_endpoint_suffix(suffix, router);
  with_suffix(in_ports_, suffix, wires.temp_in);
  with_suffix(out_ports_, suffix, wires.temp_out);
  with_suffix(partner_ports_, suffix, wires.temp_out_in_order);
}

ConnectionTables build_connection_tables(const Description& description, const RouterTable& table,
                                         const TileInterface& tile, const Node& tile_node,
                                         DiagnosticSink& sink) {
  for (const std::string& input : tile.in_from_noc)
    if (!table.routers.empty() && !tile_partner_name(input))
      sink.add(description.diagnostic(
          tile_node, Rule::kTilePortFields,
          "compute tile " + in_quotes(tile.source_name) + " (module " + tile.module_name +
              "): NoC input " + in_quotes(input) +
              " has no second \"_\"-separated field; NoC ports are named like noc_in_flit"));
  // An input's wire pairs with an output's wire when the partner name is among the outputs;
  // both carry the same router suffix, so that holds for every router alike.
  std::unordered_set<std::string> outputs(tile.out_to_noc.begin(), tile.out_to_noc.end());
  std::vector<std::string> partners;
  // Without routers no wire is named, and an input without a second field pairs with nothing.
  for (const std::string& input : tile.in_from_noc) {
    std::optional<std::string> partner = tile_partner_name(input);
    if (partner && outputs.count(*partner)) partners.push_back(std::move(*partner));
  }
  return ConnectionTables(tile.in_from_noc, tile.out_to_noc, std::move(partners));
}

}  // namespace noc::model
