#include "model/connection_tables.h"

#include <unordered_set>

#include "common/error.h"
#include "common/text.h"

namespace noc::model {

ConnectionTables build_connection_tables(const Description& description, const RouterTable& table,
                                         const TileInterface& tile) {
  for (const std::string& input : tile.in_from_noc)
    if (!table.routers.empty() && !tile_partner_name(input))
      throw Error("compute tile " + in_quotes(tile.source_name) + ": NoC input " +
                  in_quotes(input) +
                  " has no second \"_\"-separated field; NoC ports are named like noc_in_flit");
  bool has_noc_ports = !tile.in_from_noc.empty() || !tile.out_to_noc.empty();
  ConnectionTables tables;
  tables.by_router.reserve(table.routers.size());
  for (const RouterRecord& router : table.routers) {
    EndpointWires wires;
    if (has_noc_ports && !router.ep_wire)
      description.fail_at(*router.node, "router " + in_quotes(router.name) +
                                            " has no compute tile among its neighbours; every "
                                            "router needs at least one");
    const std::string suffix = router.ep_wire ? "_" + *router.ep_wire : std::string();
    for (const std::string& output : tile.out_to_noc) wires.temp_out.push_back(output + suffix);
    std::unordered_set<std::string> out_set(wires.temp_out.begin(), wires.temp_out.end());
    for (const std::string& input : tile.in_from_noc) {
      wires.temp_in.push_back(input + suffix);
      std::string partner = *tile_partner_name(input) + suffix;
      if (out_set.count(partner)) wires.temp_out_in_order.push_back(std::move(partner));
    }
    tables.by_router.push_back(std::move(wires));
  }
  return tables;
}

}  // namespace noc::model
