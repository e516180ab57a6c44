#include "rtl/module_header_parser.h"

#include <optional>
#include <string_view>
#include <unordered_map>

namespace noc::rtl {
namespace {

enum class Direction { kNone, kInput, kOutput, kInout };

template <std::size_t N>
bool one_of(std::string_view text, const std::string_view (&list)[N]) {
  for (std::string_view item : list)
    if (item == text) return true;
  return false;
}

constexpr std::string_view kDirections[] = {"input", "output", "inout", "ref"};
constexpr std::string_view kTypeKeywords[] = {
    "wire",     "tri",      "wand",    "wor",     "triand",       "trior",    "tri0",  "tri1",
    "uwire",    "supply0",  "supply1", "var",     "interconnect", "logic",    "reg",   "bit",
    "byte",     "shortint", "int",     "longint", "integer",      "time",     "real",  "shortreal",
    "realtime", "string",   "chandle", "event",   "signed",       "unsigned", "const",
};
// Regions of a module body that end with their own keyword and may hold port-like declarations
// (function and task arguments) or nested declarations that are not the module's.
const std::unordered_map<std::string_view, std::string_view> kRegions = {
    {"function", "endfunction"},   {"task", "endtask"},           {"class", "endclass"},
    {"covergroup", "endgroup"},    {"property", "endproperty"},   {"sequence", "endsequence"},
    {"clocking", "endclocking"},   {"specify", "endspecify"},     {"checker", "endchecker"},
    {"program", "endprogram"},     {"interface", "endinterface"}, {"package", "endpackage"},
    {"primitive", "endprimitive"}, {"config", "endconfig"},
};
// Words that make the next region keyword a prototype or a type, which has no end keyword.
constexpr std::string_view kPrototypeWords[] = {"extern", "pure",    "import",
                                                "export", "typedef", "virtual"};

bool is_word_char(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' ||
         c == '$' || c == '\'' || c == '`';
}
bool is_operator_char(char c) {
  return std::string_view("+-*/%&|^~<>=!:?#@.").find(c) != std::string_view::npos;
}

bool needs_space(const Token& before, const Token& after) {
  char last = before.text.back();
  char first = after.text.front();
  if (before.text.front() == '\\') return true;  // an escaped identifier ends at white space
  if (is_word_char(last) && is_word_char(first)) return true;
  return before.kind == TokenKind::kPunctuation && after.kind == TokenKind::kPunctuation &&
         is_operator_char(last) && is_operator_char(first);
}

// One declaration item of a port list: the tokens between two commas, split into its parts.
struct PortItem {
  Direction direction = Direction::kNone;
  bool interface_port = false;
  bool has_type = false;  ///< a data or net type, or packed dimensions, was written
  std::string type_text;
  std::vector<std::string> packed;  ///< each "[...]" before the name
  std::string name;
  std::string unpacked;  ///< all "[...]" after the name, joined
};

class Parser {
 public:
  Parser(const SourceText& source, const std::vector<Token>& tokens)
      : source_(source), tokens_(tokens) {}

  std::vector<ModuleHeader> run() {
    while (!at_end()) {
      if (cur().is("extern") && (peek(1).is("module") || peek(1).is("macromodule"))) {
        skip_past(";");
      } else if (cur().is("module") || cur().is("macromodule")) {
        parse_module();
      } else {
        ++pos_;
      }
    }
    return std::move(modules_);
  }

 private:
  const Token& cur() const { return tokens_[pos_]; }
  const Token& peek(std::size_t ahead) const {
    std::size_t at = pos_ + ahead;
    return at < tokens_.size() ? tokens_[at] : tokens_.back();
  }
  bool at_end() const { return cur().kind == TokenKind::kEndOfFile; }

  [[noreturn]] void fail(const Token& at, const std::string& message) const {
    source_.fail(at.location, message);
  }

  void expect(std::string_view text, const std::string& context) {
    if (!cur().is(text))
      fail(cur(), "expected '" + std::string(text) + "' " + context + ", found " + describe(cur()));
    ++pos_;
  }

  static std::string describe(const Token& token) {
    if (token.kind == TokenKind::kEndOfFile) return "the end of the file";
    return "'" + std::string(token.text) + "'";
  }

  void skip_past(std::string_view text) {
    while (!at_end() && !cur().is(text)) ++pos_;
    if (!at_end()) ++pos_;
  }

  // Moves past a bracketed group that starts at the current token; returns its end.
  std::size_t skip_group(const Token& opener) {
    int depth = 0;
    do {
      if (at_end()) fail(opener, "'" + std::string(opener.text) + "' is never closed");
      if (cur().is("(") || cur().is("[") || cur().is("{")) ++depth;
      if (cur().is(")") || cur().is("]") || cur().is("}")) --depth;
      ++pos_;
    } while (depth > 0);
    return pos_;
  }

  // Tokens of one list item: up to a "," or the closing token at depth 0.
  std::pair<std::size_t, std::size_t> list_item(const Token& opener, std::string_view closer) {
    std::size_t begin = pos_;
    while (!cur().is(",") && !cur().is(closer)) {
      if (at_end()) fail(opener, "'" + std::string(opener.text) + "' is never closed");
      if (cur().is("(") || cur().is("[") || cur().is("{")) {
        skip_group(cur());
      } else {
        ++pos_;
      }
    }
    return {begin, pos_};
  }

  void parse_module() {
    const Token& keyword = cur();
    ++pos_;
    if (cur().is("static") || cur().is("automatic")) ++pos_;
    if (cur().kind != TokenKind::kIdentifier)
      fail(cur(), "expected a module name after '" + std::string(keyword.text) + "'");
    std::size_t index = modules_.size();
    modules_.push_back({std::string(cur().text), keyword.location, {}, {}, {}});
    std::string context = "in the header of module \"" + modules_[index].name + "\"";
    ++pos_;
    while (cur().is("import")) skip_past(";");
    if (cur().is("#")) {
      ++pos_;
      const Token& open = cur();
      expect("(", context);
      parse_parameters(index, open);
    }
    std::vector<std::string> header_names;
    bool ansi = true;
    if (cur().is("(")) ansi = parse_port_list(index, header_names);
    expect(";", context);
    parse_body(index, keyword, ansi ? nullptr : &header_names);
  }

  void parse_parameters(std::size_t index, const Token& open) {
    bool local = false;
    while (!cur().is(")")) {
      auto [begin, end] = list_item(open, ")");
      if (begin == end) fail(cur(), "empty entry in a parameter list");
      ModuleParameter param;
      std::size_t equals = end;
      for (std::size_t i = begin; i < end; ++i) {
        const Token& t = tokens_[i];
        if (t.is("parameter")) local = false;
        if (t.is("localparam")) local = true;
        if (t.is("=")) {
          equals = i;
          break;
        }
        if (t.kind == TokenKind::kIdentifier && !t.is("parameter") && !t.is("localparam") &&
            !(i + 1 < end && tokens_[i + 1].is("::")) && !(i > begin && tokens_[i - 1].is("::")))
          param.name = std::string(t.text);
        if (t.is("[") || t.is("(")) i = group_end(i) - 1;
      }
      param.local = local;
      if (equals < end) param.default_text = join_tokens(&tokens_[equals + 1], &tokens_[end]);
      if (!param.name.empty()) modules_[index].params.push_back(std::move(param));
      if (cur().is(",")) ++pos_;
    }
    ++pos_;
  }

  std::size_t group_end(std::size_t at) const {
    int depth = 0;
    for (std::size_t i = at; i < tokens_.size(); ++i) {
      const Token& t = tokens_[i];
      if (t.is("(") || t.is("[") || t.is("{")) ++depth;
      if (t.is(")") || t.is("]") || t.is("}")) --depth;
      if (depth == 0) return i + 1;
    }
    return tokens_.size() - 1;
  }

  PortItem parse_item(std::size_t begin, std::size_t end) const {
    PortItem item;
    std::size_t equals = end;
    for (std::size_t i = begin; i < end; ++i)
      if (tokens_[i].is("=")) {
        equals = i;
        break;
      }
    end = equals;
    // The name is the last identifier that is not part of a scoped or dotted type name.
    std::optional<std::size_t> name_at;
    for (std::size_t i = begin; i < end; ++i) {
      const Token& t = tokens_[i];
      if (t.is("[") || t.is("(")) {
        i = group_end(i) - 1;
        continue;
      }
      if (t.kind != TokenKind::kIdentifier || one_of(t.text, kDirections) ||
          one_of(t.text, kTypeKeywords) || t.is("interface"))
        continue;
      bool scoped_after = i + 1 < end && (tokens_[i + 1].is("::") || tokens_[i + 1].is("."));
      bool scoped_before = i > begin && (tokens_[i - 1].is("::") || tokens_[i - 1].is("."));
      if (!scoped_after && !scoped_before) name_at = i;
    }
    if (!name_at) fail(tokens_[begin], "cannot find the port name in this declaration");
    item.name = std::string(tokens_[*name_at].text);
    std::size_t type_begin = begin;
    for (std::size_t i = begin; i < *name_at; ++i) {
      const Token& t = tokens_[i];
      if (one_of(t.text, kDirections) && t.kind == TokenKind::kIdentifier) {
        item.direction = t.is("input")    ? Direction::kInput
                         : t.is("output") ? Direction::kOutput
                                          : Direction::kInout;
        type_begin = i + 1;
      } else if (t.is("interface") || t.is(".")) {
        item.interface_port = true;
      }
    }
    std::vector<const Token*> type_tokens;
    for (std::size_t i = type_begin; i < *name_at; ++i) {
      if (tokens_[i].is("[")) {
        std::size_t close = group_end(i);
        item.packed.push_back(join_tokens(&tokens_[i], &tokens_[close]));
        item.has_type = true;
        i = close - 1;
        continue;
      }
      item.has_type = true;
      if (!type_tokens.empty() && needs_space(*type_tokens.back(), tokens_[i]))
        item.type_text += ' ';
      item.type_text += tokens_[i].text;
      type_tokens.push_back(&tokens_[i]);
    }
    if (*name_at + 1 < end) item.unpacked = join_tokens(&tokens_[*name_at + 1], &tokens_[end]);
    return item;
  }

  void add_port(std::size_t index, const PortItem& item) {
    if (item.interface_port) return;
    if (item.direction != Direction::kInput && item.direction != Direction::kOutput) return;
    std::string outer = item.packed.empty() ? "" : item.packed.front();
    std::string inner;
    for (std::size_t i = 1; i < item.packed.size(); ++i) inner += item.packed[i];
    PortTuple tuple = make_port_tuple(std::move(outer), std::move(inner), item.name, item.unpacked,
                                      item.type_text);
    auto& list =
        item.direction == Direction::kInput ? modules_[index].inputs : modules_[index].outputs;
    list.push_back(std::move(tuple));
  }

  // A later item that names only a port takes everything from the item before it; one that
  // names a type but no direction takes only the direction.
  static void inherit(PortItem& item, const PortItem* previous) {
    if (item.direction != Direction::kNone) return;
    if (!previous) {
      item.interface_port |= item.has_type;  // a bare type first: an interface port
      return;
    }
    item.direction = previous->direction;
    item.interface_port |= previous->interface_port && !item.has_type;
    if (!item.has_type) {
      item.type_text = previous->type_text;
      item.packed = previous->packed;
    }
  }

  // Returns false for an old-style list of bare names, whose directions follow in the body.
  bool parse_port_list(std::size_t index, std::vector<std::string>& names) {
    const Token& open = cur();
    ++pos_;
    std::optional<PortItem> previous;
    bool ansi = true;
    bool first = true;
    while (!cur().is(")")) {
      auto [begin, end] = list_item(open, ")");
      if (first)
        ansi = !(end - begin == 1 && tokens_[begin].kind == TokenKind::kIdentifier) &&
               !tokens_[begin].is(".");
      first = false;
      if (!ansi) {
        if (begin < end) {
          std::size_t at = tokens_[begin].is(".") ? begin + 1 : begin;
          names.emplace_back(tokens_[at].text);
        }
      } else if (begin == end) {
        fail(cur(), "empty entry in the port list of module \"" + modules_[index].name + "\"");
      } else {
        PortItem item = parse_item(begin, end);
        inherit(item, previous ? &*previous : nullptr);
        add_port(index, item);
        previous = std::move(item);
      }
      if (cur().is(",")) ++pos_;
    }
    ++pos_;
    return ansi;
  }

  void parse_body(std::size_t index, const Token& keyword, std::vector<std::string>* header_names) {
    std::unordered_map<std::string, PortItem> declared;
    std::vector<std::string_view> regions;  // end keywords of the open regions
    bool statement_start = true;
    bool prototype = false;
    for (;;) {
      if (at_end()) fail(keyword, "module \"" + modules_[index].name + "\" has no endmodule");
      const Token& t = cur();
      if (t.kind == TokenKind::kString) {
        ++pos_;
        statement_start = false;
        continue;
      }
      if (regions.empty() && t.is("endmodule")) {
        ++pos_;
        break;
      }
      if (regions.empty() && (t.is("module") || t.is("macromodule"))) {
        parse_module();
        statement_start = true;
        continue;
      }
      if (!regions.empty() && t.text == regions.back()) {
        regions.pop_back();
        ++pos_;
        statement_start = true;
        prototype = false;
        continue;
      }
      if (auto region = kRegions.find(t.text);
          region != kRegions.end() && t.kind == TokenKind::kIdentifier && !prototype) {
        regions.push_back(region->second);
        ++pos_;
        statement_start = false;
        continue;
      }
      if (one_of(t.text, kPrototypeWords)) prototype = true;
      if (regions.empty() && statement_start && header_names &&
          (t.is("input") || t.is("output") || t.is("inout"))) {
        parse_body_ports(declared);
        continue;
      }
      statement_start = t.is(";") || t.is("begin") || t.is("end");
      if (t.is(";")) prototype = false;
      ++pos_;
    }
    if (!header_names) return;
    for (const std::string& name : *header_names) {
      auto it = declared.find(name);
      if (it != declared.end()) add_port(index, it->second);
    }
  }

  void parse_body_ports(std::unordered_map<std::string, PortItem>& declared) {
    const Token& start = cur();
    std::optional<PortItem> previous;
    for (;;) {
      auto [begin, end] = list_item(start, ";");
      if (begin == end) fail(cur(), "empty entry in a port declaration");
      PortItem item = parse_item(begin, end);
      inherit(item, previous ? &*previous : nullptr);
      declared[item.name] = item;
      previous = std::move(item);
      bool more = cur().is(",");
      ++pos_;
      if (!more) return;
    }
  }

  const SourceText& source_;
  const std::vector<Token>& tokens_;
  std::size_t pos_ = 0;
  std::vector<ModuleHeader> modules_;
};

}  // namespace

std::string join_tokens(const Token* begin, const Token* end) {
  std::string out;
  for (const Token* t = begin; t != end; ++t) {
    if (t != begin && needs_space(*(t - 1), *t)) out += ' ';
    out += t->text;
  }
  return out;
}

std::vector<ModuleHeader> parse_module_headers(const SourceText& source,
                                               const std::vector<Token>& tokens) {
  return Parser(source, tokens).run();
}

}  // namespace noc::rtl
