#include "model/description.h"

#include <algorithm>

#include <tuple>

#include "common/error.h"
#include "common/text.h"

namespace noc::model {
namespace {

constexpr std::uint32_t kUnknown = 0x80000000u;

}  // namespace

Description::Description(std::string path, Parts parts)
    : path_(std::move(path)),
      nodes_(std::move(parts.nodes)),
      index_(std::move(parts.index)),
      repeated_members_(std::move(parts.repeated_members)),
      text_(std::move(parts.text)),
      decoded_(std::move(parts.decoded)) {
  // Each node's list is copied to the front in node order, so the neighbours a later record
  // replaced take no room; a name that is no node keeps its text for messages.
  neighbour_refs_.reserve(parts.neighbour_names.size());
  auto name_of = [this](std::uint32_t i) -> std::string_view { return nodes_[i].name; };
  for (Node& node : nodes_) {
    std::uint32_t first = node.first_neighbour;
    node.first_neighbour = static_cast<std::uint32_t>(neighbour_refs_.size());
    for (std::uint32_t i = first; i < first + node.neighbour_count; ++i) {
      std::string_view name = parts.neighbour_names[i];
      std::int64_t at = index_.find(name, name_of);
      if (at >= 0) {
        neighbour_refs_.push_back(static_cast<std::uint32_t>(at));
      } else {
        neighbour_refs_.push_back(kUnknown | static_cast<std::uint32_t>(unknown_.size()));
        unknown_.push_back(name);
      }
    }
  }
}

Neighbour NeighbourList::operator[](std::size_t i) const {
  std::uint32_t ref = refs_[i];
  if (ref & kUnknown) return Neighbour{unknown_[ref & ~kUnknown], nullptr};
  const Node& node = nodes_[ref];
  return Neighbour{node.name, &node};
}

const Node* Description::find(std::string_view name) const {
  std::int64_t at =
      index_.find(name, [this](std::uint32_t i) -> std::string_view { return nodes_[i].name; });
  return at < 0 ? nullptr : &nodes_[static_cast<std::size_t>(at)];
}

NeighbourList Description::neighbours(const Node& node) const {
  return NeighbourList(neighbour_refs_.data() + node.first_neighbour, node.neighbour_count,
                       nodes_.data(), unknown_.data());
}

std::vector<RepeatedMember> Description::repeated_members(const Node& node) const {
  std::vector<RepeatedMember> members;
  if (!node.has_repeated_members) return members;
  for (const RepeatedMember& member : repeated_members_)
    if (member.node == number(node)) members.push_back(member);
  return members;
}

std::pair<int, int> Description::line_column(const Node& node) const {
  return line_column(node.offset);
}

std::pair<int, int> Description::line_column(std::uint32_t offset) const {
  // Lines are counted from the nearest place already known, not from an index of every line
  // start: most runs print no message, and a large description's index costs more than
  // counting up to the few that are printed.
  std::string_view all = text();
  offset = std::min<std::uint32_t>(offset, static_cast<std::uint32_t>(all.size()));
  auto after =
      std::upper_bound(known_lines_.begin(), known_lines_.end(), offset,
                       [](std::uint32_t at, const KnownLine& known) { return at < known.offset; });
  KnownLine from = after == known_lines_.begin() ? KnownLine{0, 1} : *(after - 1);
  auto newlines = std::count(all.begin() + from.offset, all.begin() + offset, '\n');
  int line = from.line + static_cast<int>(newlines);
  std::size_t start = all.rfind('\n', offset == 0 ? 0 : offset - 1);
  start = start == std::string_view::npos || start >= offset ? 0 : start + 1;
  if (newlines > 0 || after == known_lines_.begin())
    known_lines_.insert(after, KnownLine{static_cast<std::uint32_t>(start), line});
  return {line, static_cast<int>(character_count(all.substr(start, offset - start))) + 1};
}

Diagnostic Description::diagnostic(const Node& node, Rule rule, std::string message,
                                   std::string other) const {
  auto [line, column] = line_column(node);
  return Diagnostic{
      rule, path_, line, column, std::string(node.name), std::move(other), std::move(message)};
}

Diagnostic Description::neighbour_diagnostic(const Node& node, std::string_view neighbour,
                                             Rule rule, std::string message) const {
  Diagnostic d = diagnostic(node, rule, std::move(message), std::string(neighbour));
  std::string_view text = this->text();
  std::size_t key = text.find("\"neighbors\"", node.offset);
  std::size_t open = key == std::string_view::npos ? key : text.find('[', key);
  std::size_t close = open == std::string_view::npos ? open : text.find(']', open);
  if (close == std::string_view::npos) return d;
  std::size_t at = text.substr(open, close - open).find("\"" + std::string(neighbour) + "\"");
  if (at == std::string_view::npos) return d;
  std::tie(d.line, d.column) = line_column(static_cast<std::uint32_t>(open + at));
  return d;
}

void Description::fail(const Node& node, const std::string& message) const {
  fail_at(node, "node " + in_quotes(node.name) + ": " + message);
}

void Description::fail_at(const Node& node, const std::string& message) const {
  auto [line, column] = line_column(node);
  throw Error(message, path_, line, column);
}

Diagnostic source_problem(const Description& description, const Node& node, const Error& error) {
  if (error.line() > 0) return from_error(Rule::kSourceProblem, error, std::string(node.name));
  std::string message = error.message();
  if (!error.file().empty()) message += " (" + error.file() + ")";
  Diagnostic d = description.diagnostic(node, Rule::kSourceProblem, std::move(message));
  d.errno_value = error.errno_value();
  return d;
}

Diagnostic at_source(const rtl::SourcePlace& place, Rule rule, const Node& node,
                     std::string message) {
  return Diagnostic{rule, place.file,        place.line, place.column, std::string(node.name),
                    {},   std::move(message)};
}

}  // namespace noc::model
