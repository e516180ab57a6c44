#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "rtl/port.h"
#include "rtl/token_reader.h"

namespace noc::rtl {

enum class Direction { kNone, kInput, kOutput, kInout, kRef };

/// One port declaration as written, split into its parts.
struct PortItem {
  Direction direction = Direction::kNone;
  bool interface_port = false;
  bool has_type = false;            ///< a net type, data type or signing was written
  bool named_type = false;          ///< the data type is a bare name such as my_t (or an interface)
  std::string type_text;            ///< the type as written, without its packed dimensions
  std::vector<std::string> packed;  ///< each "[...]" before the name
  std::string name;
  std::string unpacked;  ///< all "[...]" after the name, joined
  const Token* name_token = nullptr;
  const Token* type_token = nullptr;  ///< the first token of a named type
};

/// Names the source declares that decide how a port list reads: a bare name before a port name
/// is a type when the source declares it as one (typedef, class, type parameter), an interface
/// when it declares an interface of that name.
struct TypeNames {
  std::unordered_set<std::string_view> types;
  std::unordered_set<std::string_view> interfaces;
  bool wildcard_import = false;  ///< import p::*: a bare type may come from a package
};

TypeNames collect_type_names(const std::vector<Token>& tokens);

/// What a module declaration tells a user of the module: its name, its parameter ports and its
/// input and output ports in declaration order. Inout, ref and interface ports are counted but
/// not listed: the generator connects none of them.
struct ModuleHeader {
  std::string name;
  SourceLocation location;
  std::vector<ModuleParameter> params;
  std::vector<PortTuple> inputs;
  std::vector<PortTuple> outputs;
  std::size_t unconnectable_ports = 0;  ///< inout, ref and interface ports
  bool ansi = true;
  /// Old style: the names of the port list, whose directions follow in the body.
  std::vector<const Token*> port_names;
};

/// Reads the header of the module whose keyword is the current token, up to and with the ";"
/// that ends it, by the grammar of ANSI and non-ANSI port lists. What the grammar does not
/// accept is an error at the offending token.
ModuleHeader parse_module_header(TokenReader& reader, TypeNames& names);

/// Reads the items of one port declaration in a module body ("input [3:0] a, b;"), with the
/// direction as the current token, up to and with the ";".
std::vector<PortItem> parse_port_declaration(TokenReader& reader, const TypeNames& names);

/// Reads a net or variable declaration in a module body ("reg [3:0] y;", "wire signed a, b;"),
/// up to and with the ";": its type and dimensions, with one item per name.
std::vector<PortItem> parse_net_declaration(TokenReader& reader, const TypeNames& names);

/// Adds a finished port to the header's lists by its direction.
void add_port(ModuleHeader& header, const PortItem& item);

}  // namespace noc::rtl
