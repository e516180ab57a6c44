#include "model/router_table.h"

#include <algorithm>

#include "common/text.h"

namespace noc::model {
namespace {

std::optional<std::int64_t> router_number(std::string_view name) {
  std::optional<std::string_view> field = field_at(name, 1);
  if (!field) return std::nullopt;
  return parse_decimal(*field);
}

void check_router_number(const Description& description, const Node& at, std::string_view name) {
  if (std::optional<std::string> problem = router_number_problem(name))
    description.fail(at, *problem);
}

const std::string& top_module_fname(const Description& description, const Node& node) {
  if (node.top_module_fname_member == Member::kAbsent)
    description.fail(node, "member \"top_module_fname\" is missing");
  if (node.top_module_fname_member == Member::kWrongType)
    description.fail(node, "member \"top_module_fname\" must be a text (a source file name)");
  return node.top_module_fname;
}

}  // namespace

std::optional<std::string> router_number_problem(std::string_view name) {
  std::optional<std::string_view> field = field_at(name, 1);
  if (!field)
    return "router " + in_quotes(name) +
           " has router neighbours but no number: name it like R_3, with a decimal second "
           "\"_\"-separated field";
  if (!parse_decimal(*field))
    return "router " + in_quotes(name) + ": the second \"_\"-separated field " + in_quotes(*field) +
           " is not a decimal number";
  return std::nullopt;
}

bool is_router(const Description& description, const Node& node) {
  if (!node.record_is_object) description.fail(node, "the node record is not a JSON object");
  if (node.is_router_member == Member::kAbsent)
    description.fail(node, "member \"is_Router\" is missing");
  return node.is_router;
}

std::optional<std::string> link_name(std::string_view a, std::string_view b) {
  std::optional<std::int64_t> number_a = router_number(a);
  std::optional<std::int64_t> number_b = router_number(b);
  if (!number_a || !number_b) return std::nullopt;
  std::int64_t low = std::min(*number_a, *number_b);
  std::int64_t high = std::max(*number_a, *number_b);
  std::string name(*field_at(b, 0));
  name += '_';
  name += std::to_string(low);
  name += '_';
  name += std::to_string(high);
  return name;
}

bool is_first_end(const RouterRecord& router, std::string_view neighbour) {
  const std::string* link = router.r_wire.find(neighbour);
  std::optional<std::string_view> f1 = field_at(router.name, 0);
  std::optional<std::string_view> f2 = field_at(router.name, 1);
  std::optional<std::string_view> g2 = field_at(neighbour, 1);
  if (!link || !f2 || !g2) return false;
  std::string expected(*f1);
  expected += '_';
  expected += *f2;
  expected += '_';
  expected += *g2;
  return *link == expected;
}

RouterTable build_router_table(const Description& description) {
  RouterTable table;
  table.routers.reserve(
      static_cast<std::size_t>(std::count_if(description.nodes().begin(), description.nodes().end(),
                                             [](const Node& node) { return node.is_router; })));
  for (const Node& node : description.nodes()) {
    if (!is_router(description, node)) {
      table.ip = top_module_fname(description, node);
      continue;
    }
    RouterRecord record;
    record.name = node.name;
    record.node = &node;
    if (node.neighbors_member == Member::kAbsent)
      description.fail(node, "member \"neighbors\" is missing");
    if (node.neighbors_member == Member::kWrongType)
      description.fail(node, "member \"neighbors\" must be an array of node names");
    record.r_neighbors.reserve(node.neighbors.size());
    for (const std::string& neighbour : node.neighbors) {
      const Node* other = description.find(neighbour);
      if (!other)
        description.fail(node,
                         "neighbour " + in_quotes(neighbour) + " is not a node of the description");
      if (is_router(description, *other)) {
        record.r_neighbors.push_back(neighbour);
        record.no_of_ports += 1;
        check_router_number(description, node, node.name);
        check_router_number(description, node, neighbour);
        record.r_wire.set(neighbour, *link_name(node.name, neighbour));
      } else {
        record.no_of_ports += 2;
        record.no_of_EPs += 1;
        record.ep_nodes.push_back(other);
        record.ep_wire = node.name + "_EP";
      }
    }
    record.r_links.reserve(record.r_neighbors.size());
    for (const std::string& neighbour : record.r_neighbors) {
      record.r_links.push_back(*record.r_wire.find(neighbour));
      record.r_first_end.push_back(is_first_end(record, neighbour));
      record.has_second_end |= !record.r_first_end.back();
    }
    record.top_module_fname = top_module_fname(description, node);
    table.routers.push_back(std::move(record));
  }
  return table;
}

}  // namespace noc::model
