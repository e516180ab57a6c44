#include "model/router_table.h"

#include <algorithm>

#include "common/text.h"

namespace noc::model {
namespace {

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
        numbered_(description.nodes().size(), kUnread),
        record_of_(description.nodes().size(), kNoRecord) {}

  RouterTable run() {
    // The records point into the link and tile arrays, which are sized once so that they never
    // move while they fill.
    // Counted by kind, for a mesh has four router neighbours to every tile: arrays reserved for
    // every neighbour would leave pages half used.
    std::size_t routers = 0, links = 0, tiles = 0;
    for (const Node& node : description_.nodes()) {
      if (!node.is_router) continue;
      ++routers;
      for (Neighbour neighbour : description_.neighbours(node)) {
        if (!neighbour.node) continue;
        ++(neighbour.node->is_router ? links : tiles);
      }
    }
    table_.routers.reserve(routers);
    table_.links.reserve(links);
    table_.tiles.reserve(tiles);
    table_.link_names.reserve(links / 2 + 1);
    for (const Node& node : description_.nodes()) {
      if (!readable(node)) continue;
      if (!node.is_router) {
        if (const std::string_view* source = source_name(node)) table_.ip = *source;
        tile_neighbours(node);
        continue;
      }
      router(node);
    }
    table_.link_names.seal();
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

  const std::string_view* source_name(const Node& node) {
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

  // Every link asks for both ends' numbers; each node's is read, and reported, once.
  bool numbered(const Node& node) {
    std::uint8_t& known = numbered_[description_.number(node)];
    if (known == kUnread) {
      std::optional<std::string> problem = router_number_problem(node.name);
      if (problem)
        report(node,
               field_at(node.name, 1) ? Rule::kRouterNumberNotDecimal : Rule::kRouterWithoutNumber,
               *problem);
      known = problem ? kNotNumbered : kNumbered;
    }
    return known == kNumbered;
  }

  // A tile need not list its router, but a list it has is read as a router's is: an array of
  // names of nodes, so that a typing slip is not taken silently for a list of nothing.
  void tile_neighbours(const Node& node) {
    if (node.neighbors_member == Member::kWrongType)
      report(node, Rule::kNeighborsNotArray, "member \"neighbors\" must be an array of node names");
    if (node.neighbors_member != Member::kPresent) return;
    for (Neighbour neighbour : description_.neighbours(node))
      if (!neighbour.node)
        sink_.add(description_.neighbour_diagnostic(
            node, neighbour.name, Rule::kUnknownNeighbour,
            "neighbour " + in_quotes(neighbour.name) + " is not a node of the description"));
  }

  void router(const Node& node) {
    check_identifier(node);
    bool has_neighbours = node.neighbors_member == Member::kPresent;
    if (node.neighbors_member == Member::kAbsent)
      report(node, Rule::kNeighborsMissing, "member \"neighbors\" is missing");
    if (node.neighbors_member == Member::kWrongType)
      report(node, Rule::kNeighborsNotArray, "member \"neighbors\" must be an array of node names");
    RouterRecord record;
    record.node = &node;
    std::size_t first_link = table_.links.size(), first_tile = table_.tiles.size();
    if (has_neighbours) neighbours(node, record);
    const std::string_view* source = source_name(node);
    if (!has_neighbours || !source) {
      table_.links.resize(first_link);
      table_.tiles.resize(first_tile);
      return;
    }
    record.links = std::span<const RouterLink>(table_.links).subspan(first_link);
    record.tiles = std::span<const Node* const>(table_.tiles).subspan(first_tile);
    record_of_[description_.number(node)] = static_cast<std::uint32_t>(table_.routers.size());
    table_.routers.push_back(record);
  }

  // Both ends spell a link's name with the other end's prefix, so a link whose far end listed
  // it already and shares the prefix has that name: found without spelling or hashing it.
  std::uint32_t link_name_number(const Node& node, const Node& other, bool& first_end) {
    std::uint32_t far_end = record_of_[description_.number(other)];
    if (far_end != kNoRecord && field_at(node.name, 0) == field_at(other.name, 0)) {
      for (const RouterLink& back : table_.routers[far_end].links) {
        if (back.neighbour != description_.number(node)) continue;
        first_end = reads_as_first_end(table_.link_names[back.name], node.name, other.name);
        return back.name;
      }
    }
    return table_.link_names.add(node.name, other.name, first_end);
  }

  void neighbours(const Node& node, RouterRecord& record) {
    for (Neighbour neighbour : description_.neighbours(node)) {
      const Node* other = neighbour.node;
      if (!other) {
        sink_.add(description_.neighbour_diagnostic(
            node, neighbour.name, Rule::kUnknownNeighbour,
            "neighbour " + in_quotes(neighbour.name) + " is not a node of the description"));
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
        bool first_end = false;
        std::uint32_t name = link_name_number(node, *other, first_end);
        table_.links.push_back(RouterLink{description_.number(*other), name, first_end});
        record.has_second_end |= !first_end;
        record.no_of_ports += 1;
      } else {
        check_identifier(*other);
        record.no_of_ports += 2;
        record.no_of_EPs += 1;
        table_.tiles.push_back(other);
      }
    }
  }

  const Description& description_;
  DiagnosticSink& sink_;
  RouterTable table_;
  enum : std::uint8_t { kUnread, kNumbered, kNotNumbered };

  std::vector<bool> checked_, named_;
  std::vector<std::uint8_t> numbered_;  ///< by place in the description
  static constexpr std::uint32_t kNoRecord = 0xFFFFFFFFu;
  std::vector<std::uint32_t> record_of_;  ///< by place: the router's record, or kNoRecord
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
