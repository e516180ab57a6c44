#include "model/description.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
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
// of 65,536 routers then costs one pass and the nodes themselves.
class NodeBuilder : public JsonHandler {
 public:
  explicit NodeBuilder(std::string_view text) {
    // A node record takes some 80 bytes of text; reserving from the size saves the rehashes and
    // reallocations that dominate large descriptions.
    std::size_t expected = text.size() / 80 + 16;
    nodes.reserve(expected);
    index.reserve(expected);
  }

  std::vector<Node> nodes;
  NameIndex index;  ///< node number by name, handed to the description
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
        node_->top_module_fname = value;
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
      if (member_ != kOther && (seen_members_ & (1u << member_)))
        node_->repeated_members.emplace_back(name, offset);
      seen_members_ |= 1u << member_;
      if (member_ == kNeighbors) node_->neighbors.clear();
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
    // The names are gathered in one reused list and stored at the end of the array with one
    // allocation of the right size.
    if (depth_ == 2 && node_ && member_ == kNeighbors)
      node_->neighbors.assign(std::make_move_iterator(neighbours_.begin()),
                              std::make_move_iterator(neighbours_.end()));
    if (depth_ == 2) neighbours_.clear();
    if (depth_ == 1) member_ = kOther;
  }

 private:
  enum MemberKind { kOther, kIsRouter, kNeighbors, kTopModule };

  void set_is_router(bool value) {
    node_->is_router_member = Member::kPresent;
    node_->is_router = value;
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
        neighbours_.emplace_back(*text);
      } else {
        node_->neighbors_member = Member::kWrongType;
      }
    }
  }

  void start_node(std::string_view name, std::uint32_t offset) {
    auto name_of = [this](std::uint32_t i) -> std::string_view { return nodes[i].name; };
    std::uint32_t number = index.insert(name, static_cast<std::uint32_t>(nodes.size()), name_of);
    std::optional<std::uint32_t> replaced;
    if (number == nodes.size()) {
      nodes.push_back(Node{});
      nodes.back().name = name;
    } else {
      replaced = nodes[number].offset;
      std::string kept = std::move(nodes[number].name);
      nodes[number] = Node{};  // the later record wins, at the first key's place
      nodes[number].name = std::move(kept);
    }
    node_ = &nodes[number];
    node_->offset = offset;
    node_->replaced_offset = replaced;
    member_ = kOther;
    seen_members_ = 0;
  }

  int depth_ = 0;
  Node* node_ = nullptr;
  MemberKind member_ = kOther;
  unsigned seen_members_ = 0;            ///< members of the current record met so far, by kind
  std::vector<std::string> neighbours_;  ///< of the "neighbors" array being read
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

Description::Description(std::string path, std::vector<Node> nodes,
                         std::vector<std::uint32_t> line_starts, std::string text)
    : Description(std::move(path), std::move(nodes), NameIndex(), std::move(line_starts),
                  std::move(text)) {
  index_.reserve(nodes_.size());
  auto name_of = [this](std::uint32_t i) -> std::string_view { return nodes_[i].name; };
  for (std::size_t i = 0; i < nodes_.size(); ++i)
    index_.insert(nodes_[i].name, static_cast<std::uint32_t>(i), name_of);
}

Description::Description(std::string path, std::vector<Node> nodes, NameIndex index,
                         std::vector<std::uint32_t> line_starts, std::string text)
    : path_(std::move(path)),
      nodes_(std::move(nodes)),
      index_(std::move(index)),
      line_starts_(std::move(line_starts)),
      text_(std::move(text)) {}

const Node* Description::find(std::string_view name) const {
  std::int64_t at =
      index_.find(name, [this](std::uint32_t i) -> std::string_view { return nodes_[i].name; });
  return at < 0 ? nullptr : &nodes_[static_cast<std::size_t>(at)];
}

std::pair<int, int> Description::line_column(const Node& node) const {
  return locate(text_, line_starts_, node.offset);
}

std::pair<int, int> Description::line_column(std::uint32_t offset) const {
  return locate(text_, line_starts_, offset);
}

Diagnostic Description::diagnostic(const Node& node, Rule rule, std::string message,
                                   std::string other) const {
  auto [line, column] = line_column(node);
  return Diagnostic{rule, path_, line, column, node.name, std::move(other), std::move(message)};
}

Diagnostic Description::neighbour_diagnostic(const Node& node, const std::string& neighbour,
                                             Rule rule, std::string message) const {
  Diagnostic d = diagnostic(node, rule, std::move(message), neighbour);
  std::string_view text(text_);
  std::size_t key = text.find("\"neighbors\"", node.offset);
  std::size_t open = key == std::string_view::npos ? key : text.find('[', key);
  std::size_t close = open == std::string_view::npos ? open : text.find(']', open);
  if (close == std::string_view::npos) return d;
  std::size_t at = text.substr(open, close - open).find("\"" + neighbour + "\"");
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
  if (error.line() > 0) return from_error(Rule::kSourceProblem, error, node.name);
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
  std::string_view text = owned_text;
  auto builder = std::make_unique<NodeBuilder>(text);
  if (!scan_plain_json(text, *builder)) {
    builder = std::make_unique<NodeBuilder>(text);
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
  return Description(std::move(path), std::move(builder->nodes), std::move(builder->index),
                     line_starts_of(text), std::move(owned_text));
}

Description load_description(const std::string& path, const ParseErrorReporter& report) {
  return parse_description(path, read_input_file(path, "description"), report);
}

}  // namespace noc::model
