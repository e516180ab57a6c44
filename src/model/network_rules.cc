#include "model/network_rules.h"

#include <unordered_map>

#include "common/text.h"
#include "model/router_table.h"

namespace noc::model {
namespace {

bool listed(const Node& node, std::string_view name) {
  for (const std::string& n : node.neighbors)
    if (n == name) return true;
  return false;
}

bool readable(const Node& node) {
  return node.record_is_object && node.is_router_member != Member::kAbsent;
}

class NetworkRules {
 public:
  NetworkRules(const Description& description, DiagnosticSink& sink)
      : description_(description),
        sink_(sink),
        numbered_(description.nodes().size()),
        tile_listings_(description.nodes().size()) {}

  void run() {
    for (const Node& node : description_.nodes()) {
      check_repeats(node);
      if (!readable(node)) continue;
      if (!node.is_router_boolean)
        report(node, Rule::kIsRouterNotBoolean,
               "member \"is_Router\" is not true or false; it counts as " +
                   std::string(node.is_router ? "true" : "false") +
                   " (any non-empty text, the text \"false\" too, counts as true)");
      if (node.is_router && node.neighbors_member == Member::kPresent) check_router(node);
      if (!node.is_router && node.top_module_fname_member == Member::kPresent)
        last_endpoint_ = &node;
    }
    check_numbers();
    check_tiles();
  }

 private:
  std::size_t index(const Node& node) const {
    return static_cast<std::size_t>(&node - description_.nodes().data());
  }

  void report(const Node& node, Rule rule, std::string message, std::string other = {}) {
    sink_.add(description_.diagnostic(node, rule, std::move(message), std::move(other)));
  }

  std::string line_of(std::uint32_t offset) const {
    return "line " + std::to_string(description_.line_column(offset).first);
  }

  void check_repeats(const Node& node) {
    if (node.replaced_offset)
      report(node, Rule::kNameGivenTwice,
             "the node is given twice; this record (" + line_of(node.offset) +
                 ") replaces the one on " + line_of(*node.replaced_offset) +
                 ", and the node keeps the earlier place in the order");
    for (const auto& [member, offset] : node.repeated_members)
      report(node, Rule::kMemberGivenTwice,
             "member " + in_quotes(member) + " is given twice; the one on " + line_of(offset) +
                 " wins");
  }

  void check_router(const Node& node) {
    for (const std::string& name : node.neighbors) {
      const Node* other = description_.find(name);
      if (!other || !readable(*other)) continue;
      if (other->is_router) {
        check_link(node, *other);
      } else {
        tile_listings_[index(*other)].push_back(&node);
      }
    }
  }

  void check_link(const Node& node, const Node& other) {
    numbered_[index(node)] = true;
    numbered_[index(other)] = true;
    if (&node == &other)
      return sink_.add(description_.neighbour_diagnostic(
          node, node.name, Rule::kListsItself,
          "lists itself as a neighbour; the router's output is wired to its own input"));
    if (!listed(other, node.name))
      sink_.add(description_.neighbour_diagnostic(
          node, other.name, Rule::kNotMirrored,
          "neighbour " + in_quotes(other.name) + " does not list " + in_quotes(node.name) +
              " back; the link is connected at one end only"));
    bool report_here = !listed(other, node.name) || &node < &other;
    if (report_here && field_at(node.name, 0) != field_at(other.name, 0))
      report(node, Rule::kDifferentPrefixes,
             "linked routers " + in_quotes(node.name) + " and " + in_quotes(other.name) +
                 " have different prefixes; the wires of their link are declared by neither "
                 "router",
             other.name);
  }

  // Link wires are named after router numbers: a number written with a leading zero or a sign
  // makes the first-end test fail at both ends, and two routers with one number share wires.
  void check_numbers() {
    std::unordered_map<std::string, const Node*> by_number;
    for (const Node& node : description_.nodes()) {
      if (!numbered_[index(node)] || router_number_problem(node.name)) continue;
      std::string_view field = *field_at(node.name, 1);
      Decimal number = *parse_big_decimal(field);
      if (field != number.text())
        report(node, Rule::kNumberNotPlain,
               "router number " + in_quotes(field) +
                   " is not written as a plain decimal (leading zero or sign); the wires of its "
                   "links are declared by neither router");
      auto [first, inserted] = by_number.emplace(number.text(), &node);
      if (!inserted)
        report(node, Rule::kSameNumber,
               "has the same number " + number.text() + " as router " +
                   in_quotes(first->second->name) + "; their link wires collide",
               first->second->name);
    }
  }

  void check_tiles() {
    for (const Node& node : description_.nodes()) {
      if (!readable(node) || node.is_router) continue;
      const std::vector<const Node*>& listings = tile_listings_[index(node)];
      if (listings.empty()) {
        report(node, Rule::kTileNotListed, "no router lists this tile, so it is not instantiated");
      } else if (listings.size() > 1) {
        std::string by;
        for (std::size_t i = 0; i < listings.size() && i < 4; ++i)
          by += (i ? ", " : "") + in_quotes(listings[i]->name);
        if (listings.size() > 4) by += " and " + std::to_string(listings.size() - 4) + " more";
        report(node, Rule::kTileListedTwice,
               "is listed " + std::to_string(listings.size()) + " times as a neighbour (by " + by +
                   "); a tile instance is written for every listing");
      }
      if (last_endpoint_ && node.top_module_fname_member == Member::kPresent &&
          node.top_module_fname != last_endpoint_->top_module_fname)
        report(node, Rule::kTileSourcesDiffer,
               "names tile source " + in_quotes(node.top_module_fname) +
                   ", but every tile is wired with the interface of " +
                   in_quotes(last_endpoint_->top_module_fname) + ", named by the last endpoint " +
                   in_quotes(last_endpoint_->name));
    }
  }

  const Description& description_;
  DiagnosticSink& sink_;
  const Node* last_endpoint_ = nullptr;
  std::vector<bool> numbered_;  ///< by place in the description: the router takes part in a link
  std::vector<std::vector<const Node*>> tile_listings_;  ///< by place: the routers listing a tile
};

}  // namespace

void check_network(const Description& description, DiagnosticSink& sink) {
  NetworkRules(description, sink).run();
}

}  // namespace noc::model
