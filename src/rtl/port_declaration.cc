#include "rtl/port_declaration.h"

#include "common/text.h"
#include "rtl/expression.h"

namespace noc::rtl {
namespace {

constexpr std::string_view kNetTypes[] = {
    "wire", "tri",    "wand",  "wor",     "triand",  "trior",        "tri0",
    "tri1", "trireg", "uwire", "supply0", "supply1", "interconnect",
};
constexpr std::string_view kIntegerVectorTypes[] = {"bit", "logic", "reg"};
constexpr std::string_view kSimpleTypes[] = {
    "byte", "shortint",  "int",      "longint", "integer", "time",
    "real", "shortreal", "realtime", "string",  "chandle", "event",
};
// Words that can never be the name of a type or a port.
constexpr std::string_view kReserved[] = {
    "input",     "output",   "inout",    "ref",      "var",       "interface", "struct",
    "union",     "enum",     "packed",   "type",     "virtual",   "parameter", "localparam",
    "const",     "signed",   "unsigned", "module",   "endmodule", "import",    "static",
    "automatic", "vectored", "scalared", "assign",   "always",    "initial",   "function",
    "task",      "begin",    "end",      "generate", "if",        "else",      "for",
};

}  // namespace

bool is_reserved(std::string_view word) {
  return one_of(word, kReserved) || one_of(word, kNetTypes) || is_builtin_type(word);
}

namespace {

Direction direction_of(std::string_view word) {
  if (word == "input") return Direction::kInput;
  if (word == "output") return Direction::kOutput;
  if (word == "inout") return Direction::kInout;
  if (word == "ref") return Direction::kRef;
  return Direction::kNone;
}

class ItemParser {
 public:
  ItemParser(TokenReader& reader, const TypeNames& names) : r_(reader), names_(names) {}

  // [direction] [type] name {unpacked dimension} [= expression]
  PortItem port_item() {
    PortItem item;
    item.direction = direction_of(r_.cur().kind == TokenKind::kIdentifier ? r_.cur().text : "");
    if (item.direction != Direction::kNone) r_.advance();
    if (r_.cur().is(".") || r_.cur().is("{"))
      r_.fail(r_.cur(),
              "port expressions such as .a(x) or {a, b} are not supported; declare "
              "each port by name");
    if (r_.accept("interface")) {
      item.interface_port = item.has_type = true;
      modport();
    } else {
      port_type(item);
    }
    name_and_rest(item);
    return item;
  }

  // The type part of a port declaration: net type, var, data type or an implicit type.
  void port_type(PortItem& item) {
    std::size_t start = r_.pos();
    if (r_.cur().kind == TokenKind::kIdentifier && one_of(r_.cur().text, kNetTypes)) {
      item.has_type = true;
      r_.advance();
    } else if (r_.accept("var")) {
      item.has_type = true;
    }
    data_type(item, start);
  }

  // A data type or an implicit one ([signing] {packed dimension}); fills type_text and packed.
  // Where only a type can stand (a type parameter's default), a bare name is one whatever
  // follows it: it may come from an import, the file scope or a file read before.
  void data_type(PortItem& item, std::size_t start, bool only_type = false) {
    const Token& t = r_.cur();
    bool word = t.kind == TokenKind::kIdentifier;
    if (word && one_of(t.text, kIntegerVectorTypes)) {
      r_.advance();
      signing();
    } else if (word && one_of(t.text, kSimpleTypes)) {
      r_.advance();
      signing();
    } else if (word && (t.is("struct") || t.is("union"))) {
      r_.advance();
      r_.accept("packed");
      signing();
      brace_body();
    } else if (word && t.is("enum")) {
      r_.advance();
      while (!r_.cur().is("{") && !r_.at_end()) r_.advance();  // the base type
      brace_body();
    } else if (word && t.is("type") && r_.peek(1).is("(")) {
      r_.advance();
      r_.seek(r_.group_end(r_.pos()));
    } else if (word && t.is("virtual")) {
      r_.advance();
      r_.accept("interface");
      named_type(item);
    } else if (word && (t.is("signed") || t.is("unsigned"))) {
      r_.advance();
    } else if (r_.at_name() && !(word && is_reserved(t.text)) &&
               (only_type || named_type_ahead())) {
      named_type(item);
    }
    if (r_.pos() != start) item.has_type = true;
    std::size_t type_end = r_.pos();
    item.type_text = join_tokens(&r_.raw(start), &r_.raw(start) + (type_end - start));
    while (r_.cur().is("[")) item.packed.push_back(read_dimension(r_));
  }

  void name_and_rest(PortItem& item) {
    if (!r_.at_name()) r_.fail_expected("a port name");
    if (r_.cur().kind == TokenKind::kIdentifier && is_reserved(r_.cur().text))
      r_.fail(r_.cur(), "'" + std::string(r_.cur().text) + "' is a keyword, not a port name");
    item.name_token = &r_.take();
    item.name = std::string(item.name_token->text);
    // An escaped name ends at white space, and that space is part of how it is written.
    if (item.name_token->kind == TokenKind::kEscapedIdentifier) item.name += ' ';
    while (r_.cur().is("[")) item.unpacked += read_dimension(r_);
    if (r_.accept("=")) skip_expression(r_);
  }

  const TypeNames& names() const { return names_; }

 private:
  void signing() {
    if (!r_.accept("signed")) r_.accept("unsigned");
  }

  void brace_body() {
    if (!r_.cur().is("{")) r_.fail_expected("'{'");
    r_.seek(r_.group_end(r_.pos()));
  }

  void modport() {
    if (!r_.accept(".")) return;
    if (!r_.at_name()) r_.fail_expected("a modport name");
    r_.advance();
  }

  // A bare name at the current token is a type when a name follows it (after any packed
  // dimensions), or when a scope, a parameter list or a modport follows it.
  bool named_type_ahead() const {
    const Token& next = r_.peek(1);
    if (next.is("::") || next.is("#")) return true;
    if (next.is(".")) return true;
    std::size_t at = r_.pos() + 1;
    while (r_.raw(at).is("[")) at = r_.group_end(at);
    const Token& after = r_.raw(at);
    return after.kind == TokenKind::kIdentifier || after.kind == TokenKind::kEscapedIdentifier;
  }

  // pkg::type, cls#(8)::type, a bare type name, or interface.modport.
  void named_type(PortItem& item) {
    if (!r_.at_name()) r_.fail_expected("a type name");
    item.type_token = &r_.take();
    bool scoped = false;
    for (;;) {
      if (r_.cur().is("#") && r_.peek(1).is("(")) {
        r_.advance();
        r_.seek(r_.group_end(r_.pos()));
        scoped = true;
      } else if (r_.accept("::")) {
        if (!r_.at_name()) r_.fail_expected("a type name after '::'");
        r_.advance();
        scoped = true;
      } else {
        break;
      }
    }
    if (!scoped && r_.cur().is(".")) {
      item.interface_port = true;
      modport();
      return;
    }
    item.named_type = !scoped;
  }

  TokenReader& r_;
  const TypeNames& names_;
};

bool known_type(const TypeNames& names, std::string_view name) {
  return names.types.count(name) || names.wildcard_import;
}

// A later item without a direction takes the direction of the one before it, and without a type
// its type and packed dimensions too.
}  // namespace

void resolve_port(PortItem& item, const PortItem* previous, const TypeNames& names,
                  const TokenReader& reader) {
  std::string_view type_name = item.type_token ? item.type_token->text : std::string_view();
  if (item.direction != Direction::kNone) {
    if (item.named_type && !known_type(names, type_name) && !names.interfaces.count(type_name))
      reader.fail(*item.type_token,
                  "unknown type '" + std::string(type_name) +
                      "': no typedef, type parameter or package import of this source declares "
                      "it; if " +
                      in_quotes(item.name) + " is a second port, a comma is missing");
    return;
  }
  if (!previous) return;  // the first port: inout by default, or an interface
  if (item.named_type && !item.interface_port) {
    if (names.interfaces.count(type_name)) {
      item.interface_port = true;
      return;
    }
    if (!names.types.count(type_name))
      reader.fail(*item.type_token,
                  "cannot tell whether '" + std::string(type_name) +
                      "' is an interface or a data type: this source declares neither; write "
                      "the direction of port " +
                      in_quotes(item.name) + ", or a modport");
  }
  item.direction = previous->direction;
  if (!item.has_type && item.packed.empty()) {
    item.interface_port = previous->interface_port;
    item.type_text = previous->type_text;
    item.packed = previous->packed;
  }
}

PortItem read_port_item(TokenReader& reader, const TypeNames& names) {
  return ItemParser(reader, names).port_item();
}

void read_data_type(TokenReader& reader, const TypeNames& names, PortItem& item) {
  ItemParser(reader, names).data_type(item, reader.pos());
}

void read_type(TokenReader& reader, const TypeNames& names, PortItem& item) {
  ItemParser(reader, names).data_type(item, reader.pos(), true);
}

namespace {

// The name declared by a typedef: the last name before its ";" outside brackets.
void add_typedef(const std::vector<Token>& tokens, std::size_t& at, TypeNames& names) {
  int depth = 0;
  std::string_view last;
  for (++at; at < tokens.size() && tokens[at].kind != TokenKind::kEndOfFile; ++at) {
    const Token& t = tokens[at];
    if (t.is("(") || t.is("[") || t.is("{") || t.is("'{")) ++depth;
    if (t.is(")") || t.is("]") || t.is("}")) --depth;
    if (depth == 0 && t.is(";")) break;
    if (depth == 0 && (t.kind == TokenKind::kIdentifier || t.kind == TokenKind::kEscapedIdentifier))
      last = t.text;
  }
  if (!last.empty()) names.types.insert(last);
}

// "import p::t, q::u;" declares t and u where it stands; "p::*" only may.
void add_imported_names(const std::vector<Token>& tokens, std::size_t at, TypeNames& names) {
  for (++at; at + 1 < tokens.size() && !tokens[at].is(";"); ++at) {
    const Token& name = tokens[at + 1];
    if (tokens[at].is("::") &&
        (name.kind == TokenKind::kIdentifier || name.kind == TokenKind::kEscapedIdentifier))
      names.types.insert(name.text);
  }
}

}  // namespace

TypeNames collect_type_names(const std::vector<Token>& tokens) {
  TypeNames names;
  for (std::size_t i = 0; i + 1 < tokens.size(); ++i) {
    const Token& t = tokens[i];
    const Token& next = tokens[i + 1];
    if (t.is("typedef")) {
      add_typedef(tokens, i, names);
    } else if ((t.is("interface") || t.is("class")) && next.kind == TokenKind::kIdentifier &&
               !is_reserved(next.text)) {
      (t.is("class") ? names.types : names.interfaces).insert(next.text);
    } else if (t.is("::") && next.is("*")) {
      names.wildcard_import = true;
    } else if (t.is("import") && next.kind == TokenKind::kIdentifier) {
      add_imported_names(tokens, i, names);
    }
  }
  return names;
}

std::vector<PortItem> parse_port_declaration(TokenReader& r, const TypeNames& names) {
  ItemParser items(r, names);
  std::vector<PortItem> list;
  for (;;) {
    PortItem item;
    if (list.empty()) {
      item = items.port_item();
    } else {
      std::size_t start = r.pos();
      items.data_type(item, start);
      items.name_and_rest(item);
    }
    resolve_port(item, list.empty() ? nullptr : &list.back(), names, r);
    list.push_back(std::move(item));
    if (r.accept(",")) continue;
    if (r.accept(";")) return list;
    r.fail(r.cur(), "expected ',' or ';' after port " + in_quotes(list.back().name) + ", found " +
                        TokenReader::describe(r.cur()));
  }
}

std::vector<PortItem> parse_net_declaration(TokenReader& r, const TypeNames& names) {
  ItemParser items(r, names);
  std::size_t start = r.pos();
  PortItem type;
  if (r.cur().kind == TokenKind::kIdentifier && one_of(r.cur().text, kNetTypes)) {
    r.advance();
    if (r.cur().is("(")) r.seek(r.group_end(r.pos()));  // drive or charge strength
    if (!r.accept("vectored")) r.accept("scalared");
  } else {
    r.accept("var");
  }
  std::size_t keyword_end = r.pos();
  items.data_type(type, keyword_end);
  std::string keywords = join_tokens(&r.raw(start), &r.raw(start) + (keyword_end - start));
  if (!keywords.empty() && !type.type_text.empty()) keywords += ' ';
  type.type_text = keywords + type.type_text;
  if (r.cur().is("#")) {  // a delay
    r.advance();
    if (r.cur().is("(")) {
      r.seek(r.group_end(r.pos()));
    } else {
      r.advance();
    }
  }
  std::vector<PortItem> list;
  do {
    PortItem item = type;
    items.name_and_rest(item);
    list.push_back(std::move(item));
  } while (r.accept(","));
  r.expect(";", "after a declaration");
  return list;
}

}  // namespace noc::rtl
