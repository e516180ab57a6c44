#pragma once

#include <string>
#include <vector>

#include "rtl/lexer.h"

namespace noc::rtl {

/// A source after the preprocessor: the tokens the parser sees, and the include entries in the
/// order in which they stand in the file.
struct PreprocessedSource {
  std::vector<Token> tokens;  ///< ends with kEndOfFile
  std::vector<std::string> includes;
};

/// Runs the directives of one file on its tokens: `define (object-like and function-like),
/// `undef, `undefineall, `ifdef / `ifndef / `elsif / `else / `endif with the macros defined
/// earlier in the same file, and `include, whose entries are recorded but not read: the generator
/// only needs the port lists, and included headers usually hold definitions of the outer
/// framework. Other compiler directives are dropped. A usage of a macro that this file does not
/// define is kept as one opaque token, so that `WIDTH in a dimension survives as text.
PreprocessedSource preprocess(const SourceText& source, const std::vector<Token>& tokens);

}  // namespace noc::rtl
