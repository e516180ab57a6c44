#pragma once

#include <string>
#include <utility>
#include <vector>

#include "rtl/port.h"
#include "rtl/port_declaration.h"
#include "rtl/token_reader.h"

namespace noc::rtl {

/// What a module declaration tells a user of the module: its name, its parameter ports and its
/// input and output ports in declaration order. Inout, ref and interface ports are counted but
/// not listed: the generator connects none of them.
struct ModuleHeader {
  std::string name;
  SourceLocation location;
  /// Package imports that the header sees, from the compilation unit before the module and from
  /// the header itself, as written ("config_pkg::*").
  std::vector<std::string> imports;
  std::vector<ModuleParameter> params;
  std::vector<PortTuple> inputs;
  std::vector<PortTuple> outputs;
  std::vector<std::string> unconnectable_ports;  ///< names of inout, ref and interface ports
  bool ansi = true;
  /// What a compiler reads but warns about, with where.
  std::vector<std::pair<SourceLocation, std::string>> warnings;
  /// Where each input and output port's name is declared (in the body, old style).
  std::vector<std::pair<std::string, SourceLocation>> port_locations;
  /// Old style: the names of the port list, whose directions follow in the body.
  std::vector<const Token*> port_names;
};

/// Reads the header of the module whose keyword is the current token, up to and with the ";"
/// that ends it, by the grammar of ANSI and non-ANSI port lists. What the grammar does not
/// accept is an error at the offending token.
ModuleHeader parse_module_header(TokenReader& reader, TypeNames& names,
                                 std::vector<std::string> unit_imports = {});

/// Reads "parameter int A = 1, B = 2;" or "localparam ..." in a module body, with its keyword as
/// the current token, up to and with the ";", into `header`'s parameters.
void parse_body_parameters(TokenReader& reader, ModuleHeader& header, TypeNames& names);

/// Reads "import p::*, q::x;" at the current token into `imports` ("p::*", "q::x").
void read_import(TokenReader& reader, TypeNames& names, std::vector<std::string>& imports);

/// Adds a finished port to the header's lists by its direction.
void add_port(ModuleHeader& header, const PortItem& item);

}  // namespace noc::rtl
