#pragma once

#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

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

/// True for the keywords that can be neither a type's nor a port's name.
bool is_reserved(std::string_view word);

/// Reads one ANSI port declaration: [direction] [type] name {unpacked dimension} [= value].
PortItem read_port_item(TokenReader& reader, const TypeNames& names);

/// Reads a data type, or an implicit one ([signing] {packed dimension}), into `item`.
void read_data_type(TokenReader& reader, const TypeNames& names, PortItem& item);

/// The same where only a data type can stand (a type parameter's default): a bare name is a
/// type whatever follows it.
void read_type(TokenReader& reader, const TypeNames& names, PortItem& item);

/// Completes a port by the rules of a list: without a direction it takes the one of the port
/// before it, and without a type that port's type and packed dimensions too. A bare type name
/// that the source does not declare is an error, since it may be a missing comma or an interface.
void resolve_port(PortItem& item, const PortItem* previous, const TypeNames& names,
                  const TokenReader& reader);

/// Reads the items of one port declaration in a module body ("input [3:0] a, b;"), with the
/// direction as the current token, up to and with the ";".
std::vector<PortItem> parse_port_declaration(TokenReader& reader, const TypeNames& names);

/// Reads a net or variable declaration in a module body ("reg [3:0] y;", "wire signed a, b;"),
/// up to and with the ";": its type and dimensions, with one item per name.
std::vector<PortItem> parse_net_declaration(TokenReader& reader, const TypeNames& names);

}  // namespace noc::rtl
