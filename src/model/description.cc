#include "model/description.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <deque>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>
#include <tuple>

#include "common/error.h"
#include "common/input_file.h"
#include "common/text.h"
#include "model/json_scan.h"
#include "model/name_index.h"

namespace noc::model {
namespace {

using Json = nlohmann::json;

// A character iterator that publishes how far the JSON reader has read, so that the reader's
// events can be given file positions; the reader itself keeps no positions for its events.
struct CountingIterator {
  using iterator_category = std::forward_iterator_tag;
  using value_type = char;
  using difference_type = std::ptrdiff_t;
  using pointer = const char*;
  using reference = const char&;

  const char* at = nullptr;
  const char** cursor = nullptr;

  reference operator*() const { return *at; }
  CountingIterator& operator++() {
    ++at;
    *cursor = at;
    return *this;
  }
  CountingIterator operator++(int) {
    CountingIterator before = *this;
    ++*this;
    return before;
  }
  bool operator==(const CountingIterator& other) const { return at == other.at; }
  bool operator!=(const CountingIterator& other) const { return at != other.at; }
};

// Builds the nodes straight from the reader's events, without a document tree: a description
// of 65,536 routers then costs one pass, the nodes and one array of neighbour names.
class NodeBuilder : public JsonHandler {
 public:
  /// `decoded` keeps texts that are not views of `text` (the full reader decodes escapes into
  /// strings of its own); without it every text is taken as a view of `text`.
  NodeBuilder(std::string_view text, std::deque<std::string>* decoded) : decoded_(decoded) {
    // A node record takes some 80 bytes of text and a neighbour some 8; reserving from the size
    // saves the reallocations that dominate large descriptions. The name index is left to grow:
    // growing reads only its own slots, and a guess too large would double its memory.
    parts.nodes.reserve(text.size() / 80 + 16);
    parts.neighbour_names.reserve(text.size() / 24 + 16);
  }

  Description::Parts parts;
  bool top_is_object = false;

  void null_value() override { scalar(false); }
  void boolean_value(bool value) override {
    scalar(value);
    if (depth_ == 2 && node_ && member_ == kIsRouter) node_->is_router_boolean = true;
  }
  void number_value(bool nonzero) override { scalar(nonzero); }

  void string_value(std::string_view value) override {
    if (depth_ == 1 && node_) node_->record_is_object = false;
    if (depth_ == 2 && node_) {
      if (member_ == kIsRouter) set_is_router(!value.empty());
      if (member_ == kNeighbors) node_->neighbors_member = Member::kWrongType;
      if (member_ == kTopModule) {
        node_->top_module_fname_member = Member::kPresent;
        node_->top_module_fname = keep(value);
      }
    } else {
      element(&value);
    }
  }

  void key(std::string_view name, std::uint32_t offset) override {
    if (depth_ == 1) start_node(name, offset);
    if (depth_ == 2 && node_) {
      member_ = name == "is_Router"          ? kIsRouter
                : name == "neighbors"        ? kNeighbors
                : name == "top_module_fname" ? kTopModule
                                             : kOther;
      if (member_ != kOther && (seen_members_ & (1u << member_))) {
        parts.repeated_members.push_back(
            RepeatedMember{node_number_, member_name(member_), offset});
        node_->has_repeated_members = true;
      }
      seen_members_ |= 1u << member_;
      if (member_ == kNeighbors) start_neighbours();
      if (member_ == kIsRouter) node_->is_router_boolean = false;
    }
  }

  void open(bool is_object) override {
    if (depth_ == 0) top_is_object = is_object;
    if (depth_ == 1 && node_ && !is_object) node_->record_is_object = false;
    if (depth_ == 2 && node_) {
      if (member_ == kIsRouter) set_is_router(false);  // true once an element shows up
      if (member_ == kNeighbors)
        node_->neighbors_member = is_object ? Member::kWrongType : Member::kPresent;
      if (member_ == kTopModule) node_->top_module_fname_member = Member::kWrongType;
    } else {
      element(nullptr);
    }
    ++depth_;
  }

  void close() override {
    --depth_;
    if (depth_ == 1) member_ = kOther;
  }

 private:
  enum MemberKind { kOther, kIsRouter, kNeighbors, kTopModule };

  static std::string_view member_name(MemberKind kind) {
    return kind == kIsRouter ? "is_Router" : kind == kNeighbors ? "neighbors" : "top_module_fname";
  }

  std::string_view keep(std::string_view text) {
    if (!decoded_) return text;
    return decoded_->emplace_back(text);
  }

  void set_is_router(bool value) {
    node_->is_router_member = Member::kPresent;
    node_->is_router = value;
  }

  // A later "neighbors" replaces an earlier one: its names go to the end of the array, and the
  // earlier ones stay there unread.
  void start_neighbours() {
    node_->first_neighbour = static_cast<std::uint32_t>(parts.neighbour_names.size());
    node_->neighbour_count = 0;
  }

  // A value directly inside a node record, or inside one of its members.
  void scalar(bool truth) {
    if (depth_ == 0) return;  // a top level that is not an object
    if (depth_ == 1 && node_) node_->record_is_object = false;
    if (depth_ == 2 && node_) {
      if (member_ == kIsRouter) set_is_router(truth);
      if (member_ == kNeighbors) node_->neighbors_member = Member::kWrongType;
      if (member_ == kTopModule) node_->top_module_fname_member = Member::kWrongType;
    }
    element(nullptr);
  }

  // A value one level inside a member of a node record: an array element of "neighbors", or
  // the first thing that makes a container "is_Router" non-empty.
  void element(const std::string_view* text) {
    if (depth_ != 3 || !node_) return;
    if (member_ == kIsRouter) set_is_router(true);
    if (member_ == kNeighbors) {
      if (text && node_->neighbors_member == Member::kPresent) {
        parts.neighbour_names.push_back(keep(*text));
        ++node_->neighbour_count;
      } else {
        node_->neighbors_member = Member::kWrongType;
      }
    }
  }

  void start_node(std::string_view name, std::uint32_t offset) {
    std::vector<Node>& nodes = parts.nodes;
    auto name_of = [&nodes](std::uint32_t i) -> std::string_view { return nodes[i].name; };
    std::uint32_t number =
        parts.index.insert(name, static_cast<std::uint32_t>(nodes.size()), name_of);
    std::optional<std::uint32_t> replaced;
    if (number == nodes.size()) {
      nodes.push_back(Node{});
      nodes.back().name = keep(name);
    } else {
      replaced = nodes[number].offset;
      std::string_view kept = nodes[number].name;
      nodes[number] = Node{};  // the later record wins, at the first key's place
      nodes[number].name = kept;
      std::erase_if(parts.repeated_members,
                    [number](const RepeatedMember& m) { return m.node == number; });
    }
    node_ = &nodes[number];
    node_number_ = number;
    node_->offset = offset;
    node_->replaced_offset = replaced;
    member_ = kOther;
    seen_members_ = 0;
  }

  std::deque<std::string>* decoded_;
  int depth_ = 0;
  Node* node_ = nullptr;
  std::uint32_t node_number_ = 0;
  MemberKind member_ = kOther;
  unsigned seen_members_ = 0;  ///< members of the current record met so far, by kind
};

// The full JSON reader's events, for texts the plain scanner leaves to it: every escape, byte
// and number form, and the reader's own words for an error.
class SaxAdapter : public nlohmann::json_sax<Json> {
 public:
  SaxAdapter(std::string_view text, const char** cursor, NodeBuilder& builder)
      : text_(text), cursor_(cursor), builder_(builder) {}

  bool failed = false;
  std::size_t error_position = 0;
  std::string error_message;

  bool null() override { return builder_.null_value(), true; }
  bool boolean(bool value) override { return builder_.boolean_value(value), true; }
  bool number_integer(number_integer_t value) override {
    return builder_.number_value(value != 0), true;
  }
  bool number_unsigned(number_unsigned_t value) override {
    return builder_.number_value(value != 0), true;
  }
  bool number_float(number_float_t value, const string_t&) override {
    return builder_.number_value(value != 0), true;
  }
  bool binary(binary_t&) override { return builder_.number_value(true), true; }
  bool string(string_t& value) override { return builder_.string_value(value), true; }
  bool start_object(std::size_t) override { return builder_.open(true), true; }
  bool start_array(std::size_t) override { return builder_.open(false), true; }
  bool end_object() override { return builder_.close(), true; }
  bool end_array() override { return builder_.close(), true; }
  bool key(string_t& name) override { return builder_.key(name, key_offset()), true; }

  bool parse_error(std::size_t position, const std::string&,
                   const nlohmann::detail::exception& error) override {
    failed = true;
    error_position = position;
    error_message = error.what();
    return false;
  }

 private:
  // The reader has just passed the closing quote of a key: walk back to its opening quote.
  std::uint32_t key_offset() const {
    std::size_t end = static_cast<std::size_t>(*cursor_ - text_.data());
    std::size_t i = end >= 2 ? end - 2 : 0;
    while (i > 0) {
      if (text_[i] == '"') {
        std::size_t slashes = 0;
        while (i > slashes && text_[i - 1 - slashes] == '\\') ++slashes;
        if (slashes % 2 == 0) break;
      }
      --i;
    }
    return static_cast<std::uint32_t>(i);
  }

  std::string_view text_;
  const char** cursor_;
  NodeBuilder& builder_;
};

std::vector<std::uint32_t> line_starts_of(std::string_view text) {
  std::vector<std::uint32_t> starts{0};
  for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1))
    starts.push_back(static_cast<std::uint32_t>(i + 1));
  return starts;
}

// Line and column as an editor shows them: the column counts characters, not bytes.
std::pair<int, int> locate(std::string_view text, const std::vector<std::uint32_t>& starts,
                           std::size_t offset) {
  auto after = std::upper_bound(starts.begin(), starts.end(), offset);
  std::size_t line = static_cast<std::size_t>(after - starts.begin());
  std::size_t start = starts[line - 1];
  return {static_cast<int>(line),
          static_cast<int>(character_count(text.substr(start, offset - start))) + 1};
}

// nlohmann's message reads "[json.exception.parse_error.101] parse error at line 1, column 2:
// syntax error ..."; the location is ours to render, the rest is worth showing.
std::string parse_detail(const std::string& message) {
  std::size_t column = message.find("column ");
  std::size_t colon = column == std::string::npos ? column : message.find(": ", column);
  return colon == std::string::npos ? message : message.substr(colon + 2);
}

}  // namespace

namespace {

constexpr std::uint32_t kUnknown = 0x80000000u;

}  // namespace

Description::Description(std::string path, Parts parts)
    : path_(std::move(path)),
      nodes_(std::move(parts.nodes)),
      index_(std::move(parts.index)),
      repeated_members_(std::move(parts.repeated_members)),
      line_starts_(line_starts_of(*parts.text)),
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
  return locate(text(), line_starts_, node.offset);
}

std::pair<int, int> Description::line_column(std::uint32_t offset) const {
  return locate(text(), line_starts_, offset);
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

Description parse_description(std::string path, std::string_view text,
                              const ParseErrorReporter& report) {
  return parse_description(std::move(path), std::string(text), report);
}

Description parse_description(std::string path, std::string&& owned_text,
                              const ParseErrorReporter& report) {
  // The nodes' names are views of the text, so it moves to its final place before they are read.
  auto owned = std::make_unique<const std::string>(std::move(owned_text));
  std::string_view text = *owned;
  auto builder = std::make_unique<NodeBuilder>(text, nullptr);
  auto decoded = std::make_unique<std::deque<std::string>>();
  if (!scan_plain_json(text, *builder)) {
    builder = std::make_unique<NodeBuilder>(text, decoded.get());
    const char* cursor = text.data();
    SaxAdapter adapter(text, &cursor, *builder);
    CountingIterator first{text.data(), &cursor};
    CountingIterator last{text.data() + text.size(), &cursor};
    Json::sax_parse(first, last, &adapter);
    if (adapter.failed) {
      if (report) report(adapter.error_message);
      // The reader's position counts the offending character itself.
      std::size_t at = adapter.error_position > 0 ? adapter.error_position - 1 : 0;
      auto [line, column] = locate(text, line_starts_of(text), std::min(at, text.size()));
      throw Error("the description is not valid JSON: " + parse_detail(adapter.error_message), path,
                  line, column);
    }
  }
  if (!builder->top_is_object)
    throw Error("the description must be a JSON object of node records", path, 1, 1);
  Description::Parts parts = std::move(builder->parts);
  parts.text = std::move(owned);
  parts.decoded = std::move(decoded);
  return Description(std::move(path), std::move(parts));
}

Description load_description(const std::string& path, const ParseErrorReporter& report) {
  return parse_description(path, read_input_file(path, "description"), report);
}

}  // namespace noc::model
