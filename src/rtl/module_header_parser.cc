#include "rtl/module_header_parser.h"

#include "common/text.h"

#include <optional>

#include "rtl/expression.h"

namespace noc::rtl {

void read_import(TokenReader& reader, TypeNames& names, std::vector<std::string>& imports) {
  reader.expect("import", "");
  do {
    if (!reader.at_name()) reader.fail_expected("a package name");
    std::string item(reader.take().text);
    reader.expect("::", "in a package import");
    if (reader.accept("*")) {
      names.wildcard_import = true;
      item += "::*";
    } else if (!reader.at_name()) {
      reader.fail_expected("a name or '*' after '::'");
    } else {
      item += "::" + std::string(reader.take().text);
    }
    imports.push_back(std::move(item));
  } while (reader.accept(","));
  reader.expect(";", "after a package import");
}

namespace {

// True when the name at the current token is the parameter's own name: its unpacked dimensions,
// if any, and then "=", "," or ")" follow.
bool ends_parameter_name(const TokenReader& r) {
  std::size_t at = r.pos() + 1;
  while (r.raw(at).is("[")) at = r.group_end(at);
  const Token& next = r.raw(at);
  return next.is("=") || next.is(",") || next.is(")");
}

// Parameter declarations up to `closer`: ")" ends a parameter port list, ";" a declaration in
// a module body.
void parse_parameter_items(TokenReader& r, ModuleHeader& header, TypeNames& names,
                           std::string_view closer) {
  bool local = false;
  bool type_parameter = false;
  std::string type_text;  // carried over to a parameter that names neither keyword nor type
  for (;;) {
    bool keyword = true;
    if (r.accept("parameter")) {
      local = type_parameter = false;
    } else if (r.accept("localparam")) {
      local = true;
      type_parameter = false;
    } else {
      keyword = false;
    }
    bool bare_name = r.at_name() && !is_reserved(r.cur().text) && ends_parameter_name(r);
    std::size_t type_begin = r.pos();
    if (r.accept("type")) {
      type_parameter = true;
    } else if (!bare_name) {
      type_parameter = false;  // "int N" after type parameters starts value parameters again
      PortItem scratch;
      read_data_type(r, names, scratch);
    }
    if (r.pos() != type_begin) {
      type_text = join_tokens(&r.raw(type_begin), &r.raw(type_begin) + (r.pos() - type_begin));
    } else if (keyword) {
      type_text.clear();
    }
    if (!r.at_name()) r.fail_expected("a parameter name");
    const Token& name = r.take();
    ModuleParameter param{std::string(name.text), {}, local, {}};
    std::size_t dims_begin = r.pos();
    while (r.cur().is("[")) read_dimension(r);
    std::string dims = join_tokens(&r.raw(dims_begin), &r.raw(dims_begin) + (r.pos() - dims_begin));
    if (r.accept("=")) {
      std::size_t begin = r.pos();
      if (type_parameter) {
        PortItem scratch;
        read_type(r, names, scratch);
        if (r.pos() == begin) r.fail_expected("a data type");
      } else {
        skip_expression(r);
      }
      param.default_text = join_tokens(&r.raw(begin), &r.raw(begin) + (r.pos() - begin));
    }
    param.declaration = std::string(local ? "localparam " : "parameter ") + type_text +
                        (type_text.empty() ? "" : " ") + param.name + dims +
                        (param.default_text.empty() ? "" : " = " + param.default_text);
    if (type_parameter) names.types.insert(name.text);
    header.params.push_back(std::move(param));
    if (r.accept(",")) continue;
    if (r.cur().is(closer)) break;
    r.fail(r.cur(), "expected ',' or '" + std::string(closer) + "' after parameter " +
                        in_quotes(header.params.back().name) + ", found " +
                        TokenReader::describe(r.cur()));
  }
  r.advance();
}

void parse_parameters(TokenReader& r, ModuleHeader& header, TypeNames& names) {
  r.expect("#", "");
  r.expect("(", "to open the parameter list");
  if (r.accept(")")) return;
  parse_parameter_items(r, header, names, ")");
}

bool old_style_list(const TokenReader& r) {
  const Token& first = r.cur();
  if (first.kind != TokenKind::kIdentifier && first.kind != TokenKind::kEscapedIdentifier)
    return false;
  if (first.kind == TokenKind::kIdentifier && is_reserved(first.text)) return false;
  // A first port with neither direction nor type starts an old-style list of names, where
  // "a[3:0]" is a port expression.
  return r.peek(1).is(",") || r.peek(1).is(")") || r.peek(1).is("[");
}

void parse_old_style_names(TokenReader& r, ModuleHeader& header) {
  header.ansi = false;
  for (;;) {
    if (r.at_name()) {
      header.port_names.push_back(&r.take());
      if (r.cur().is("["))
        r.fail(r.cur(),
               "port expressions such as a[3:0] are not supported; list each port by "
               "name");
    } else if (r.cur().is(".") || r.cur().is("{")) {
      r.fail(r.cur(),
             "port expressions such as .a(x) or {a, b} are not supported; list each "
             "port by name");
    } else if (!r.cur().is(",") && !r.cur().is(")")) {
      r.fail_expected("a port name");
    }
    if (r.accept(",")) continue;
    r.expect(")", "to close the port list");
    return;
  }
}

void warn_empty_port(const TokenReader& r, ModuleHeader& header) {
  header.warnings.emplace_back(
      r.cur().location,
      "the port list of module " + in_quotes(header.name) + " has an empty port; it is skipped");
}

// "(, a": Verilator skips the empty port with a warning (NULLPORT).
void skip_leading_empty_ports(TokenReader& r, ModuleHeader& header) {
  while (r.cur().is(",")) {
    warn_empty_port(r, header);
    r.advance();
  }
}

void parse_ansi_ports(TokenReader& r, ModuleHeader& header, const TypeNames& names) {
  std::optional<PortItem> previous;
  for (;;) {
    // Verilator reads the ports around an empty one, "a, , b" or "a, b,)", and warns
    // (NULLPORT); so do we.
    if (r.cur().is(",")) {
      warn_empty_port(r, header);
      r.advance();
      continue;
    }
    if (r.cur().is(")")) {
      if (!previous) r.fail_expected("a port declaration after ','");
      header.warnings.emplace_back(r.raw(r.pos() - 1).location,
                                   "the port list of module " + in_quotes(header.name) +
                                       " ends with ','; the ports before it are read");
      r.advance();
      return;
    }
    PortItem item = read_port_item(r, names);
    resolve_port(item, previous ? &*previous : nullptr, names, r);
    add_port(header, item);
    previous = std::move(item);
    if (r.accept(",")) continue;
    if (r.accept(")")) return;
    r.fail(r.cur(), "expected ',' or ')' after port " + in_quotes(previous->name) + ", found " +
                        TokenReader::describe(r.cur()));
  }
}

}  // namespace

void parse_body_parameters(TokenReader& r, ModuleHeader& header, TypeNames& names) {
  parse_parameter_items(r, header, names, ";");
}

ModuleHeader parse_module_header(TokenReader& r, TypeNames& names,
                                 std::vector<std::string> unit_imports) {
  ModuleHeader header;
  header.imports = std::move(unit_imports);
  const Token& keyword = r.take();
  header.location = keyword.location;
  if (!r.accept("static")) r.accept("automatic");
  if (!r.at_name()) r.fail_expected("a module name after '" + std::string(keyword.text) + "'");
  header.name = std::string(r.take().text);
  while (r.cur().is("import")) read_import(r, names, header.imports);
  if (r.cur().is("#")) parse_parameters(r, header, names);
  if (r.accept("(")) {
    skip_leading_empty_ports(r, header);
    if (r.accept(")")) {
    } else if (old_style_list(r)) {
      parse_old_style_names(r, header);
    } else {
      parse_ansi_ports(r, header, names);
    }
  }
  r.expect(";", "after the header of module " + in_quotes(header.name));
  return header;
}

void add_port(ModuleHeader& header, const PortItem& item) {
  if (item.interface_port ||
      (item.direction != Direction::kInput && item.direction != Direction::kOutput)) {
    header.unconnectable_ports.push_back(item.name);
    return;
  }
  std::string outer = item.packed.empty() ? "" : item.packed.front();
  std::string inner;
  for (std::size_t i = 1; i < item.packed.size(); ++i) inner += item.packed[i];
  PortTuple tuple =
      make_port_tuple(std::move(outer), std::move(inner), item.name, item.unpacked, item.type_text);
  auto& list = item.direction == Direction::kInput ? header.inputs : header.outputs;
  list.push_back(std::move(tuple));
  if (item.name_token) header.port_locations.emplace_back(item.name, item.name_token->location);
}

}  // namespace noc::rtl
