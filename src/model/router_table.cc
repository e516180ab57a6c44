#include "model/router_table.h"

#include <algorithm>

#include "common/text.h"

namespace noc::model {
namespace {

std::optional<Decimal> router_number(std::string_view name) {
  std::optional<std::string_view> field = field_at(name, 1);
  if (!field) return std::nullopt;
  return parse_big_decimal(*field);
}

// Reads the nodes in description order and reports each problem once, at the node it belongs
// to, the first time the walk meets it: a generation stops at the first one, a check lists them
// all without the echoes a skipped node would cause further on.
class TableBuilder {
 public:
  TableBuilder(const Description& description, DiagnosticSink& sink)
      : description_(description),
        sink_(sink),
        checked_(description.nodes().size()),
        named_(description.nodes().size()),
        numbers_checked_(description.nodes().size()) {}

  RouterTable run() {
    table_.routers.reserve(static_cast<std::size_t>(
        std::count_if(description_.nodes().begin(), description_.nodes().end(),
                      [](const Node& node) { return node.is_router; })));
    for (const Node& node : description_.nodes()) {
      if (!readable(node)) continue;
      if (!node.is_router) {
        if (const std::string* source = source_name(node)) table_.ip = *source;
        continue;
      }
      router(node);
    }
    return std::move(table_);
  }

 private:
  void report(const Node& node, Rule rule, std::string message, std::string other = {}) {
    sink_.add(description_.diagnostic(node, rule, std::move(message), std::move(other)));
  }

  // Marks `node` in `seen` and tells whether it was the first time; nodes are counted by their
  // place in the description, which is cheaper than hashing them on every neighbour.
  bool first_time(std::vector<bool>& seen, const Node& node) const {
    auto at = seen.begin() + (&node - description_.nodes().data());
    bool first = !*at;
    *at = true;
    return first;
  }

  bool readable(const Node& node) {
    bool first = first_time(checked_, node);
    if (!node.record_is_object) {
      if (first) report(node, Rule::kRecordNotObject, "the node record is not a JSON object");
      return false;
    }
    if (node.is_router_member == Member::kAbsent) {
      if (first) report(node, Rule::kIsRouterMissing, "member \"is_Router\" is missing");
      return false;
    }
    return true;
  }

  const std::string* source_name(const Node& node) {
    if (node.top_module_fname_member == Member::kAbsent) {
      report(node, Rule::kSourceNameMissing, "member \"top_module_fname\" is missing");
      return nullptr;
    }
    if (node.top_module_fname_member == Member::kWrongType) {
      report(node, Rule::kSourceNameNotText,
             "member \"top_module_fname\" must be a text (a source file name)");
      return nullptr;
    }
    return &node.top_module_fname;
  }

  // Node names become parts of SystemVerilog names in noc_top; anything else would write an
  // illegal name, or text that is not a name at all.
  void check_identifier(const Node& node) {
    if (!first_time(named_, node) || is_simple_identifier(node.name)) return;
    report(node, Rule::kNameNotIdentifier,
           "the name is used in noc_top, so it must be a SystemVerilog identifier (letters, "
           "digits, \"_\" and \"$\", not starting with a digit or \"$\")");
  }

  bool numbered(const Node& node) {
    std::optional<std::string> problem = router_number_problem(node.name);
    if (problem && first_time(numbers_checked_, node))
      report(node,
             field_at(node.name, 1) ? Rule::kRouterNumberNotDecimal : Rule::kRouterWithoutNumber,
             *problem);
    return !problem;
  }

  void router(const Node& node) {
    check_identifier(node);
    bool has_neighbours = node.neighbors_member == Member::kPresent;
    if (node.neighbors_member == Member::kAbsent)
      report(node, Rule::kNeighborsMissing, "member \"neighbors\" is missing");
    if (node.neighbors_member == Member::kWrongType)
      report(node, Rule::kNeighborsNotArray, "member \"neighbors\" must be an array of node names");
    RouterRecord record;
    record.name = node.name;
    record.node = &node;
    if (has_neighbours) neighbours(node, record);
    const std::string* source = source_name(node);
    if (!has_neighbours || !source) return;
    record.top_module_fname = *source;
    table_.routers.push_back(std::move(record));
  }

  void neighbours(const Node& node, RouterRecord& record) {
    record.r_neighbors.reserve(node.neighbors.size());
    record.r_wire.reserve(node.neighbors.size());
    record.ep_nodes.reserve(node.neighbors.size());
    for (const std::string& neighbour : node.neighbors) {
      const Node* other = description_.find(neighbour);
      if (!other) {
        sink_.add(description_.neighbour_diagnostic(
            node, neighbour, Rule::kUnknownNeighbour,
            "neighbour " + in_quotes(neighbour) + " is not a node of the description"));
        record.incomplete = true;
        continue;
      }
      if (!readable(*other)) {
        record.incomplete = true;
        continue;
      }
      if (other->is_router) {
        bool both = numbered(node);
        both = numbered(*other) && both;
        if (!both) {
          record.incomplete = true;
          continue;
        }
        record.r_neighbors.push_back(neighbour);
        record.no_of_ports += 1;
        record.r_wire.set(neighbour, *link_name(node.name, neighbour));
      } else {
        check_identifier(*other);
        record.no_of_ports += 2;
        record.no_of_EPs += 1;
        record.ep_nodes.push_back(other);
        record.ep_wire = node.name + "_EP";
      }
    }
    record.r_links.reserve(record.r_neighbors.size());
    record.r_first_end.reserve(record.r_neighbors.size());
    for (const std::string& neighbour : record.r_neighbors) {
      record.r_links.push_back(*record.r_wire.find(neighbour));
      record.r_first_end.push_back(is_first_end(record, neighbour));
      record.has_second_end |= !record.r_first_end.back();
    }
  }

  const Description& description_;
  DiagnosticSink& sink_;
  RouterTable table_;
  std::vector<bool> checked_, named_, numbers_checked_;
};

}  // namespace

std::optional<std::string> router_number_problem(std::string_view name) {
  std::optional<std::string_view> field = field_at(name, 1);
  if (!field)
    return "has router neighbours but no number: name it like R_3, with a decimal second "
           "\"_\"-separated field";
  if (!parse_big_decimal(*field))
    return "the second \"_\"-separated field " + in_quotes(*field) + " is not a decimal number";
  return std::nullopt;
}

std::optional<std::string> link_name(std::string_view a, std::string_view b) {
  std::optional<Decimal> number_a = router_number(a);
  std::optional<Decimal> number_b = router_number(b);
  if (!number_a || !number_b) return std::nullopt;
  bool a_low = compare(*number_a, *number_b) <= 0;
  std::string name(*field_at(b, 0));
  name += '_';
  name += (a_low ? number_a : number_b)->text();
  name += '_';
  name += (a_low ? number_b : number_a)->text();
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

RouterTable build_router_table(const Description& description, DiagnosticSink& sink) {
  return TableBuilder(description, sink).run();
}

RouterTable build_router_table(const Description& description) {
  DiagnosticSink sink;
  RouterTable table = build_router_table(description, sink);
  if (const Diagnostic* error = sink.first_error()) throw to_error(*error);
  return table;
}

}  // namespace noc::model
