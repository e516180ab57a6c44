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
        numbers_checked_(description.nodes().size()) {}

  RouterTable run() {
    // The records point into the link and tile arrays, which are sized once so that they never
    // move while they fill.
    std::size_t routers = 0, neighbours = 0;
    for (const Node& node : description_.nodes()) {
      if (!node.is_router) continue;
      ++routers;
      neighbours += node.neighbour_count;
    }
    table_.routers.reserve(routers);
    table_.links.reserve(neighbours);
    table_.tiles.reserve(neighbours);
    for (const Node& node : description_.nodes()) {
      if (!readable(node)) continue;
      if (!node.is_router) {
        if (const std::string_view* source = source_name(node)) table_.ip = *source;
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
    table_.routers.push_back(record);
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
        bool first_end = is_first_end(node.name, other->name);
        table_.links.push_back(RouterLink{description_.number(*other), first_end});
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

namespace {

// A router number as the link name spells it: no leading zeros, a sign only when negative.
struct NumberText {
  bool negative = false;
  std::string_view digits;
};

std::optional<NumberText> number_text(std::string_view name) {
  std::optional<std::string_view> field = field_at(name, 1);
  if (!field) return std::nullopt;
  std::string_view text = *field;
  NumberText number;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    number.negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
    return std::nullopt;
  std::size_t first = text.find_first_not_of('0');
  number.digits = first == std::string_view::npos ? std::string_view("0") : text.substr(first);
  if (number.digits == "0") number.negative = false;
  return number;
}

bool not_above(const NumberText& a, const NumberText& b) {
  if (a.negative != b.negative) return a.negative;
  int magnitude = a.digits.size() != b.digits.size() ? (a.digits.size() < b.digits.size() ? -1 : 1)
                                                     : a.digits.compare(b.digits);
  return a.negative ? magnitude >= 0 : magnitude <= 0;
}

void append_number(std::string& out, const NumberText& number) {
  if (number.negative) out += '-';
  out += number.digits;
}

bool append_link(std::string& out, std::string_view a, std::string_view b) {
  std::optional<NumberText> number_a = number_text(a);
  std::optional<NumberText> number_b = number_text(b);
  if (!number_a || !number_b) return false;
  bool a_low = not_above(*number_a, *number_b);
  out += *field_at(b, 0);
  out += '_';
  append_number(out, a_low ? *number_a : *number_b);
  out += '_';
  append_number(out, a_low ? *number_b : *number_a);
  return true;
}

}  // namespace

std::optional<std::string> link_name(std::string_view a, std::string_view b) {
  std::string name;
  if (!append_link(name, a, b)) return std::nullopt;
  return name;
}

void append_link_name(std::string& out, std::string_view a, std::string_view b) {
  append_link(out, a, b);
}

void link_names_of(const Description& description, const RouterRecord& router,
                   std::vector<std::string>& names) {
  names.resize(router.links.size());
  for (std::size_t i = 0; i < router.links.size(); ++i) {
    names[i].clear();
    append_link(names[i], router.name(), description.nodes()[router.links[i].neighbour].name);
  }
}

bool is_first_end(std::string_view router, std::string_view neighbour) {
  std::optional<std::string_view> f1 = field_at(router, 0);
  std::optional<std::string_view> f2 = field_at(router, 1);
  std::optional<std::string_view> g2 = field_at(neighbour, 1);
  // A thread's buffers, reused: this runs once per link of a network of any size.
  thread_local std::string link, expected;
  link.clear();
  if (!f2 || !g2 || !append_link(link, router, neighbour)) return false;
  expected.assign(*f1).append("_").append(*f2).append("_").append(*g2);
  return link == expected;
}

std::size_t count_links(const Description& description, const RouterTable& table) {
  // The names are spelled once each into one text, and counted with the name index.
  std::string names;
  std::vector<std::uint32_t> starts;
  NameIndex index;
  index.reserve(table.links.size() / 2 + 1);
  auto name_of = [&](std::uint32_t i) -> std::string_view {
    std::size_t end = i + 1 < starts.size() ? starts[i + 1] : names.size();
    return std::string_view(names).substr(starts[i], end - starts[i]);
  };
  std::size_t count = 0;
  for (const RouterRecord& router : table.routers) {
    for (const RouterLink& link : router.links) {
      std::size_t start = names.size();
      append_link(names, router.name(), description.nodes()[link.neighbour].name);
      starts.push_back(static_cast<std::uint32_t>(start));
      std::uint32_t number = static_cast<std::uint32_t>(starts.size() - 1);
      std::string_view name = name_of(number);
      if (index.insert(name, number, name_of) == number) {
        ++count;
      } else {
        names.resize(start);
        starts.pop_back();
      }
    }
  }
  return count;
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
