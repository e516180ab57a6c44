#include "model/description.h"

#include <algorithm>
#include <cstring>

#include <tuple>
#include <unordered_map>

#include "common/error.h"
#include "common/text.h"

namespace noc::model {
namespace {

constexpr std::uint32_t kUnknown = 0x80000000u;

}  // namespace

Description::Description(std::string path, Parts parts)
    : path_(std::move(path)),
      nodes_(std::move(parts.nodes)),
      repeated_members_(std::move(parts.repeated_members)),
      text_(parts.text ? DescriptionText(std::move(parts.text)) : std::move(parts.file)),
      decoded_(std::move(parts.decoded)),
      names_(std::move(parts.names)) {
  // Each node's list is copied to the front in node order, so the neighbours a later record
  // replaced take no room; a name that is no node keeps its text for messages.
  neighbour_refs_.reserve(parts.neighbour_names.size());
  auto name_of = [this](std::uint32_t i) -> std::string_view { return nodes_[i].name; };
  std::string_view text = text_.held() ? text_.held_text() : std::string_view(parts.neighbour_text);
  auto neighbour_name = [&](Parts::NameRef ref) {
    return ref.size == Parts::NameRef::kDecoded ? parts.decoded_names[ref.at]
                                                : text.substr(ref.at, ref.size);
  };
  for (Node& node : nodes_) {
    std::uint32_t first = node.first_neighbour;
    node.first_neighbour = static_cast<std::uint32_t>(neighbour_refs_.size());
    for (std::uint32_t i = first; i < first + node.neighbour_count; ++i) {
      std::string_view name = neighbour_name(parts.neighbour_names[i]);
      std::int64_t at = parts.index.find(name, name_of);
      if (at >= 0) {
        neighbour_refs_.push_back(static_cast<std::uint32_t>(at));
      } else {
        neighbour_refs_.push_back(kUnknown | static_cast<std::uint32_t>(unknown_.size()));
        // Read piece by piece, the name's text goes with the parts.
        unknown_.push_back(text_.held() || !names_ ? name : names_->copy(name));
      }
    }
  }
}

void Description::release_text(const std::string& path) {
  if (!text_.held()) return;
  // The names are views of the text (or of decoded_). Sources are few and named by many nodes,
  // so each is kept once.
  auto names = std::make_unique<NameStore>();
  std::unordered_map<std::string_view, std::string_view> sources;
  for (Node& node : nodes_) {
    node.name = names->copy(node.name);
    auto [source, added] = sources.try_emplace(node.top_module_fname);
    if (added) source->second = names->copy(node.top_module_fname);
    node.top_module_fname = source->second;
  }
  for (std::string_view& name : unknown_) name = names->copy(name);
  names_ = std::move(names);
  decoded_.reset();
  // A file that cannot be opened again keeps its text in memory.
  text_.release(path);
}

Neighbour NeighbourList::operator[](std::size_t i) const {
  std::uint32_t ref = refs_[i];
  if (ref & kUnknown) return Neighbour{unknown_[ref & ~kUnknown], nullptr};
  const Node& node = nodes_[ref];
  return Neighbour{node.name, &node};
}

const Node* Description::find(std::string_view name) const {
  // The first node of the name is the one the index kept: a name given twice has one node.
  for (const Node& node : nodes_)
    if (node.name == name) return &node;
  return nullptr;
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
  // counting up to the few that are printed. A released text is read again in chunks, so that
  // placing a message late in a large file does not hold the whole file again.
  constexpr std::uint64_t kChunk = 1 << 20;
  offset = static_cast<std::uint32_t>(std::min<std::uint64_t>(offset, text_.size()));
  auto after =
      std::upper_bound(known_lines_.begin(), known_lines_.end(), offset,
                       [](std::uint32_t at, const KnownLine& known) { return at < known.offset; });
  KnownLine from = after == known_lines_.begin() ? KnownLine{0, 1} : *(after - 1);
  std::string buffer;
  std::string_view bytes;
  int line = from.line;
  std::uint64_t start = from.offset;
  for (std::uint64_t at = from.offset; at < offset; at += kChunk) {
    if (!text_.read(at, std::min<std::uint64_t>(offset, at + kChunk), buffer, bytes)) return {0, 0};
    // memchr steps a line at a time, far faster than a byte-wise count on lines of JSON.
    const char* begin = bytes.data();
    const char* end = begin + bytes.size();
    for (const void* nl; (nl = std::memchr(begin, '\n', static_cast<std::size_t>(end - begin)));) {
      begin = static_cast<const char*>(nl) + 1;
      ++line;
      start = at + static_cast<std::uint64_t>(begin - bytes.data());
    }
  }
  if (!text_.read(start, offset, buffer, bytes)) return {0, 0};
  if (line > from.line || after == known_lines_.begin())
    known_lines_.insert(after, KnownLine{static_cast<std::uint32_t>(start), line});
  return {line, static_cast<int>(character_count(bytes)) + 1};
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
  // The node's record is read from its key on, in a window that widens until it holds the
  // list's closing bracket: records are short, but nothing bounds them.
  std::string buffer;
  std::string_view record;
  for (std::uint64_t window = 1 << 16;; window *= 8) {
    if (!text_.read(node.offset, node.offset + window, buffer, record)) return d;
    std::size_t key = record.find("\"neighbors\"");
    std::size_t open = key == std::string_view::npos ? key : record.find('[', key);
    std::size_t close = open == std::string_view::npos ? open : record.find(']', open);
    if (close == std::string_view::npos) {
      if (node.offset + window >= text_.size()) return d;
      continue;
    }
    std::size_t at = record.substr(open, close - open).find("\"" + std::string(neighbour) + "\"");
    if (at == std::string_view::npos) return d;
    std::tie(d.line, d.column) = line_column(static_cast<std::uint32_t>(node.offset + open + at));
    return d;
  }
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
