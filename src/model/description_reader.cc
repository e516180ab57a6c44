#include "model/description_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <iterator>
#include <memory>
#include <nlohmann/json.hpp>

#include "common/content_digest.h"
#include "common/error.h"
#include "common/file_window.h"
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
class NodeBuilder final : public JsonHandler {
 public:
  /// `decoded` keeps texts that are not views of `text` (the full reader decodes escapes into
  /// strings of its own); without it every text is taken as a view of `text`.
  NodeBuilder(std::string_view text, std::deque<std::string>* decoded)
      : text_(text.data()), decoded_(decoded) {
    reserve(text.size());
  }

  /// For a text read a window at a time (`size` bytes in all): every name is copied out as it
  /// is met, for the window moves on.
  explicit NodeBuilder(std::uint64_t size) : text_(nullptr), decoded_(nullptr), copies_(true) {
    reserve(size);
    parts.names = std::make_unique<NameStore>();
    // Neighbour names are a few bytes each, some 18% of a mesh description's text: reserved a
    // little above, so that the text is never copied to a larger block as it grows.
    parts.neighbour_text.reserve(size / 5 + 16);
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
        node_->top_module_fname = keep_source(value);
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

  // A node record takes some 80 bytes of text and a neighbour some 8; reserving from the size
  // saves the reallocations that dominate large descriptions. The name index is left to grow:
  // growing reads only its own slots, and a guess too large would double its memory.
  void reserve(std::uint64_t size) {
    parts.nodes.reserve(size / 80 + 16);
    parts.neighbour_names.reserve(size / 24 + 16);
  }

  std::string_view keep(std::string_view text) {
    if (copies_) return parts.names->copy(text);
    if (!decoded_) return text;
    return decoded_->emplace_back(text);
  }

  // Sources are few and named by every node: the ones met are kept once.
  std::string_view keep_source(std::string_view text) {
    if (!copies_) return keep(text);
    for (std::string_view known : sources_)
      if (known == text) return known;
    std::string_view kept = keep(text);
    if (sources_.size() < 64) sources_.push_back(kept);
    return kept;
  }

  Description::Parts::NameRef name_ref(std::string_view name) {
    if (copies_) {
      auto at = static_cast<std::uint32_t>(parts.neighbour_text.size());
      parts.neighbour_text.append(name);
      return {at, static_cast<std::uint32_t>(name.size())};
    }
    if (!decoded_)
      return {static_cast<std::uint32_t>(name.data() - text_),
              static_cast<std::uint32_t>(name.size())};
    parts.decoded_names.push_back(keep(name));
    return {static_cast<std::uint32_t>(parts.decoded_names.size() - 1),
            Description::Parts::NameRef::kDecoded};
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
        parts.neighbour_names.push_back(name_ref(*text));
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

  const char* text_;  ///< what plain names are views of
  std::deque<std::string>* decoded_;
  bool copies_ = false;                    ///< every name is copied out of a moving window
  std::vector<std::string_view> sources_;  ///< the source names kept so far, when copying
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

  bool parse_error(std::size_t position, const std::string& token,
                   const nlohmann::detail::exception& error) override {
    failed = true;
    error_position = position;
    error_message = error.what();
    // 406: a number beyond double's range (1e400). It is a valid JSON number all the same.
    if (error.id == 406) out_of_range_number = token;
    return false;
  }

  std::string out_of_range_number;

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

// nlohmann's message reads "[json.exception.parse_error.101] parse error at line 1, column 2:
// syntax error ..."; the location is ours to render, the rest is worth showing.
std::string parse_detail(const std::string& message) {
  std::size_t column = message.find("column ");
  std::size_t colon = column == std::string::npos ? column : message.find(": ", column);
  if (colon != std::string::npos) return message.substr(colon + 2);
  // Other messages carry only the reader's tag: "[json.exception.out_of_range.406] number ...".
  std::size_t tag_end = message.find("] ");
  if (!message.empty() && message.front() == '[' && tag_end != std::string::npos)
    return message.substr(tag_end + 2);
  return message;
}

// Writes every number beyond double's range as 1 followed by blanks, so that offsets stay as
// they are: all at once, since the full reader names only the first it meets.
void patch_out_of_range_numbers(std::string& text) {
  for (std::size_t at = 0; at < text.size();) {
    char c = text[at];
    if (c == '"') {
      for (++at; at < text.size() && text[at] != '"'; ++at)
        if (text[at] == '\\') ++at;
      ++at;
      continue;
    }
    if (c != '-' && (c < '0' || c > '9')) {
      ++at;
      continue;
    }
    std::size_t end = at + 1;
    while (end < text.size() && std::strchr("0123456789.eE+-", text[end]) && text[end] != '\0')
      ++end;
    std::string token = text.substr(at, end - at);
    char* parsed = nullptr;
    // In the C locale whatever the host process set: a JSON number's point is always ".".
    static const locale_t c_numbers = ::newlocale(LC_NUMERIC_MASK, "C", locale_t{});
    double value = ::strtod_l(token.c_str(), &parsed, c_numbers);
    // Only a whole token: "1e400e5" stays as it is, for the reader to refuse.
    if (parsed == token.c_str() + token.size() && !std::isfinite(value)) {
      text[at] = '1';
      std::fill(text.begin() + static_cast<std::ptrdiff_t>(at) + 1,
                text.begin() + static_cast<std::ptrdiff_t>(end), ' ');
    }
    at = end;
  }
}

}  // namespace

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
    if (const void* nul = std::memchr(text.data(), '\0', text.size())) {
      std::size_t at = static_cast<std::size_t>(static_cast<const char*>(nul) - text.data());
      auto [line, column] = line_and_column(text, line_starts(text), at);
      throw Error(
          "the description holds a NUL byte here, which JSON text never does (a UTF-16 or "
          "binary file, or one cut short while written?)",
          path, line, column);
    }
    // The full reader stops at a number beyond its range; such a number reads as what it is,
    // a number that is not zero, so the reader goes on over a copy with the number as 1
    // followed by blanks: every offset stays as it is.
    std::string patched;
    for (;;) {
      std::string_view read = patched.empty() ? text : std::string_view(patched);
      decoded->clear();
      builder = std::make_unique<NodeBuilder>(read, decoded.get());
      const char* cursor = read.data();
      SaxAdapter adapter(read, &cursor, *builder);
      CountingIterator first{read.data(), &cursor};
      CountingIterator last{read.data() + read.size(), &cursor};
      Json::sax_parse(first, last, &adapter);
      if (!adapter.failed) break;
      if (!adapter.out_of_range_number.empty() && patched.empty()) {
        patched = std::string(text);
        patch_out_of_range_numbers(patched);
        continue;
      }
      if (report) report(adapter.error_message);
      // The reader's position counts the offending character itself.
      std::size_t error_at = adapter.error_position > 0 ? adapter.error_position - 1 : 0;
      auto [line, column] =
          line_and_column(text, line_starts(text), std::min(error_at, text.size()));
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

// A description of plain JSON read through a window, its names copied out: the file's text is
// never held whole. Nothing when the file holds anything else, or changed while it was read.
std::function<void(const std::string&)> read_hook;

void after_read(const std::string& path) {
  if (read_hook) read_hook(path);
}

const char kChanged[] = "the description changed while it was read; run again";

// A file written moments ago may be written still, and its status cannot tell a rewrite of the
// same length within one tick of the file system's clock: what was read is held to the file's
// text as it is now.
void check_unchanged(const std::string& path, const FileVersion& before, std::uint64_t read) {
  if (!changed_moments_ago(before)) return;
  std::uint64_t now = 0;
  if (!digest_file(path, now) || now != read) throw Error(kChanged, path);
}

std::optional<Description> read_plain(const std::string& path, const FileVersion& before) {
  InputFile file = open_input_file(path, "description");
  NodeBuilder builder(file.size);
  std::uint64_t digest = 0;
  {
    FileWindow window(file.fd);
    if (!scan_plain_json_from(window, builder) || window.failed() || window.end() != file.size ||
        !builder.top_is_object)
      return std::nullopt;
    digest = window.digest();
  }
  // A file changed while it was read is read again whole, as it is now.
  after_read(path);
  FileVersion now;
  if (!read_file_version(path, now) || now != before || file.size != before.size)
    return std::nullopt;
  check_unchanged(path, before, digest);
  Description::Parts parts = std::move(builder.parts);
  parts.file = DescriptionText(file.release(), file.size, file.modified_ns);
  return Description(path, std::move(parts));
}

Description load_description(const std::string& path, const ParseErrorReporter& report) {
  FileVersion before;
  if (read_file_version(path, before))
    if (std::optional<Description> plain = read_plain(path, before)) return std::move(*plain);
  // Anything else is read whole, by the reader that decodes every form and words every error.
  read_file_version(path, before);
  std::string text = read_input_file(path, "description");
  after_read(path);
  ContentDigest read;
  read.add(text);
  check_unchanged(path, before, read.value());
  Description description = parse_description(path, std::move(text), report);
  description.release_text(path);
  return description;
}

void set_description_read_hook(std::function<void(const std::string&)> hook) {
  read_hook = std::move(hook);
}

}  // namespace noc::model
