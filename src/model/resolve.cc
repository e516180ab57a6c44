#include "model/resolve.h"

#include "model/convention_rules.h"
#include "model/interface_rules.h"
#include "model/network_rules.h"
#include "model/tile_rules.h"

namespace noc::model {
namespace {

bool readable(const Node& node) {
  return node.record_is_object && node.is_router_member != Member::kAbsent;
}

// The endpoint whose source gives every tile its interface: the last one, as the router table
// keeps it.
const Node* last_endpoint(const Description& description) {
  const Node* found = nullptr;
  for (const Node& node : description.nodes())
    if (readable(node) && !node.is_router && node.top_module_fname_member == Member::kPresent)
      found = &node;
  return found;
}

const Node* first_router(const Description& description) {
  for (const Node& node : description.nodes())
    if (readable(node) && node.is_router) return &node;
  return nullptr;
}

}  // namespace

std::unique_ptr<Resolution> resolve(const Description& description, rtl::RtlCatalog& catalog,
                                    DiagnosticSink& sink) {
  auto result = std::make_unique<Resolution>();
  result->table = build_router_table(description, sink);
  check_network(description, sink);
  if (!result->table.ip)
    sink.add(Diagnostic{Rule::kNoEndpoint,
                        description.path(),
                        1,
                        1,
                        {},
                        {},
                        "no compute tile source: the description has no endpoint node"});
  // A router that names the router source by path says which of several copies is meant.
  for (const Node& node : description.nodes())
    if (node.is_router && node.top_module_fname.find('/') != std::string_view::npos &&
        node.top_module_fname.ends_with(std::string("/") + kRouterSourceName))
      catalog.choose(std::string(node.top_module_fname));
  try {
    result->router_ports = read_router_template(catalog);
  } catch (const Error& error) {
    const Node* router = first_router(description);
    sink.add(router ? source_problem(description, *router, error)
                    : from_error(Rule::kSourceProblem, error));
  }
  const Node* endpoint = last_endpoint(description);
  if (!result->table.ip || !endpoint) return result;
  const std::optional<std::string> ip(std::string(*result->table.ip));
  if (!result->router_ports) {
    // The tile source is a root cause of its own; only its reading waits for the router's.
    try {
      catalog.parse(rtl::gen_tile(catalog, ip));
    } catch (const Error& error) {
      sink.add(source_problem(description, *endpoint, error));
    }
    return result;
  }
  try {
    result->tile = read_tile_interface(catalog, ip, *result->router_ports);
  } catch (const Error& error) {
    sink.add(source_problem(description, *endpoint, error));
    return result;
  }
  check_interfaces(description, result->table, *result->router_ports, *result->tile, *endpoint,
                   catalog, sink);
  check_conventions(description, result->table, *result->router_ports, *result->tile, *endpoint,
                    catalog, sink);
  check_tile_sources(description, result->table, *result->tile, catalog, sink);
  result->wires =
      build_connection_tables(description, result->table, *result->tile, *endpoint, sink);
  result->plan = build_plan(description, result->table, *result->router_ports, *result->tile,
                            *result->wires, catalog, sink);
  return result;
}

}  // namespace noc::model
