#pragma once

#include <string>
#include <vector>

#include "rtl/lexer.h"
#include "rtl/port.h"

namespace noc::rtl {

/// What a module declaration tells a user of the module: its name, its parameter ports and its
/// input and output ports in declaration order. Inout and interface ports are left out: the
/// generator connects neither.
struct ModuleHeader {
  std::string name;
  SourceLocation location;
  std::vector<ModuleParameter> params;
  std::vector<PortTuple> inputs;
  std::vector<PortTuple> outputs;
};

/// Reads every module and macromodule declaration of a preprocessed token stream, in file order
/// (a nested module follows the module that holds it). Handles ANSI port lists and the older
/// style whose directions are declared in the module body; skips function, task, class and
/// similar regions of a body, whose arguments look like ports but are not.
std::vector<ModuleHeader> parse_module_headers(const SourceText& source,
                                               const std::vector<Token>& tokens);

/// Joins token texts the way a person would write them without spaces: "[W-1:0]". A space stays
/// only where two tokens would otherwise read as one ("a - -1", "int unsigned").
std::string join_tokens(const Token* begin, const Token* end);

}  // namespace noc::rtl
