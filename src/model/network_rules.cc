#include "model/network_rules.h"

#include <algorithm>
#include <deque>
#include <optional>

#include "common/text.h"
#include "model/link.h"
#include "model/name_index.h"
#include "model/router_table.h"

namespace noc::model {
namespace {

bool readable(const Node& node) {
  return node.record_is_object && node.is_router_member != Member::kAbsent;
}

class NetworkRules {
 public:
  NetworkRules(const Description& description, DiagnosticSink& sink)
      : description_(description),
        sink_(sink),
        numbered_(description.nodes().size()),
        first_lister_(description.nodes().size(), kNone) {}

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
    }
    check_numbers();
    check_tiles();
  }

 private:
  static constexpr std::uint32_t kNone = 0xFFFFFFFFu;

  std::size_t index(const Node& node) const { return description_.number(node); }

  bool listed(const Node& node, const Node& neighbour) const {
    for (Neighbour n : description_.neighbours(node))
      if (n.node == &neighbour) return true;
    return false;
  }

  void report(const Node& node, Rule rule, std::string message, std::string other = {}) {
    sink_.add(description_.diagnostic(node, rule, std::move(message), std::move(other)));
  }

  std::string line_of(std::uint32_t offset) const {
    int line = description_.line_column(offset).first;
    // A file changed since it was read has no lines to count; its byte offsets still hold.
    if (line == 0) return "byte " + std::to_string(offset + 1);
    return "line " + std::to_string(line);
  }

  void check_repeats(const Node& node) {
    if (node.replaced_offset)
      report(node, Rule::kNameGivenTwice,
             "the node is given twice; this record (" + line_of(node.offset) +
                 ") replaces the one on " + line_of(*node.replaced_offset) +
                 ", and the node keeps the earlier place in the order");
    for (const RepeatedMember& repeated : description_.repeated_members(node))
      report(node, Rule::kMemberGivenTwice,
             "member " + in_quotes(repeated.member) + " is given twice; the one on " +
                 line_of(repeated.offset) + " wins");
  }

  void check_router(const Node& node) {
    for (Neighbour neighbour : description_.neighbours(node)) {
      const Node* other = neighbour.node;
      if (!other || !readable(*other)) continue;
      if (other->is_router) {
        check_link(node, *other);
      } else if (first_lister_[index(*other)] == kNone) {
        first_lister_[index(*other)] = description_.number(node);
      } else {
        more_listers_.emplace_back(description_.number(*other), description_.number(node));
      }
    }
  }

  static std::string_view prefix(std::string_view name) { return name.substr(0, name.find('_')); }

  void check_link(const Node& node, const Node& other) {
    numbered_[index(node)] = true;
    numbered_[index(other)] = true;
    if (&node == &other)
      return sink_.add(description_.neighbour_diagnostic(
          node, node.name, Rule::kListsItself,
          "lists itself as a neighbour; the router's output is wired to its own input"));
    bool mirrored = listed(other, node);
    if (!mirrored)
      sink_.add(description_.neighbour_diagnostic(
          node, other.name, Rule::kNotMirrored,
          "neighbour " + in_quotes(other.name) + " does not list " + in_quotes(node.name) +
              " back; the link is connected at one end only"));
    bool report_here = !mirrored || &node < &other;
    if (report_here && prefix(node.name) != prefix(other.name))
      report(node, Rule::kDifferentPrefixes,
             "linked routers " + in_quotes(node.name) + " and " + in_quotes(other.name) +
                 " have different prefixes; the wires of their link are declared by neither "
                 "router",
             std::string(other.name));
  }

  // Link wires are named after router numbers: a number written with a leading zero or a sign
  // makes the first-end test fail at both ends, and two routers with one number share wires.
  void check_numbers() {
    // Numbers by their plain spelling, found with the name index: a view of the name when the
    // number is written plainly, a spelling of its own otherwise.
    std::deque<std::string> respelled;
    std::vector<std::string_view> numbers;
    std::vector<const Node*> owners;
    NameIndex index;
    auto number_of = [&numbers](std::uint32_t i) { return numbers[i]; };
    for (const Node& node : description_.nodes()) {
      if (!numbered_[this->index(node)] || router_number_problem(node.name)) continue;
      std::string_view field = *field_at(node.name, 1);
      std::string text = parse_big_decimal(field)->text();
      if (field != text)
        report(node, Rule::kNumberNotPlain,
               "router number " + in_quotes(field) +
                   " is not written as a plain decimal (leading zero or sign); the wires of its "
                   "links are declared by neither router");
      numbers.push_back(field == text ? field : std::string_view(respelled.emplace_back(text)));
      owners.push_back(&node);
      auto number = static_cast<std::uint32_t>(numbers.size() - 1);
      std::uint32_t first = index.insert(numbers.back(), number, number_of);
      if (first == number) continue;
      const Node& earlier = *owners[first];
      if (std::optional<std::string> wire = shared_link_name(earlier, node))
        report(node, Rule::kLinkWireTwice,
               "has the same router number " + text + " as router " + in_quotes(earlier.name) +
                   " (the second field of a router's name is its number, and link wires are "
                   "named by numbers): two different links would both be wired to " +
                   in_quotes(*wire) + "; give every router a number of its own",
               std::string(earlier.name));
      else
        report(node, Rule::kSameNumber,
               "has the same number " + text + " as router " + in_quotes(earlier.name) +
                   "; their link wires collide",
               std::string(earlier.name));
      numbers.pop_back();
      owners.pop_back();
    }
  }

  // A name that two different links of these routers both get: the top would declare its wires
  // twice, or wire both links to one set of wires.
  std::optional<std::string> shared_link_name(const Node& a, const Node& b) const {
    std::vector<std::pair<std::string, const Node*>> names_of_a;
    for (Neighbour n : description_.neighbours(a))
      if (n.node && readable(*n.node) && n.node->is_router)
        if (std::optional<std::string> name = link_name(a.name, n.name))
          names_of_a.emplace_back(std::move(*name), n.node);
    for (Neighbour m : description_.neighbours(b)) {
      if (!m.node || !readable(*m.node) || !m.node->is_router) continue;
      std::optional<std::string> name = link_name(b.name, m.name);
      if (!name) continue;
      for (const auto& [other_name, other_end] : names_of_a)
        if (other_name == *name && !(other_end == &b && m.node == &a)) return name;
    }
    return std::nullopt;
  }

  // A tile's own neighbour list says where the user meant it to go; the top follows the
  // routers' lists, so a tile that lists another router (or none) is wired where it did not say.
  void check_tile_neighbours(const Node& tile, const std::vector<const Node*>& listings) {
    if (tile.neighbors_member != Member::kPresent) return;
    bool says_where = false;
    for (Neighbour n : description_.neighbours(tile)) {
      // A name that is no node is a stale list, not a choice of router.
      if (!n.node) says_where = true;
      if (!n.node || !readable(*n.node) || !n.node->is_router) continue;
      says_where = true;
      if (std::find(listings.begin(), listings.end(), n.node) == listings.end())
        report(tile, Rule::kTileListsStranger,
               "lists router " + in_quotes(n.name) + ", which does not list it" +
                   (listings.empty() ? std::string()
                                     : "; it is attached to " + in_quotes(listings[0]->name)),
               std::string(n.name));
    }
    if (!says_where && !listings.empty())
      report(tile, Rule::kTileListsNoRouter,
             "lists no router, but " + in_quotes(listings[0]->name) +
                 " lists it and it is attached there; list that router in its neighbors");
  }

  // The routers listing a tile: the first, then the others in the order they were met.
  std::vector<const Node*> listers(const Node& tile, std::size_t& next_more) const {
    std::vector<const Node*> found;
    std::uint32_t number = description_.number(tile);
    if (first_lister_[number] == kNone) return found;
    found.push_back(&description_.nodes()[first_lister_[number]]);
    for (; next_more < more_listers_.size() && more_listers_[next_more].first == number;
         ++next_more)
      found.push_back(&description_.nodes()[more_listers_[next_more].second]);
    return found;
  }

  void check_tiles() {
    // Tiles listed more than once are few; their further listers are sorted by tile once and
    // read in step with the walk over the nodes.
    std::stable_sort(more_listers_.begin(), more_listers_.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    std::size_t next_more = 0;
    for (const Node& node : description_.nodes()) {
      if (!readable(node) || node.is_router) continue;
      std::vector<const Node*> listings = listers(node, next_more);
      check_tile_neighbours(node, listings);
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
    }
  }

  const Description& description_;
  DiagnosticSink& sink_;
  std::vector<bool> numbered_;  ///< by place in the description: the router takes part in a link
  /// By place: the number of the first router listing a tile, or kNone.
  std::vector<std::uint32_t> first_lister_;
  /// (tile, router) for every listing of a tile after its first, in the order met.
  std::vector<std::pair<std::uint32_t, std::uint32_t>> more_listers_;
};

}  // namespace

void check_network(const Description& description, DiagnosticSink& sink) {
  NetworkRules(description, sink).run();
}

}  // namespace noc::model
