#pragma once

#include "rtl/rtl_options.h"

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "rtl/lexer.h"

namespace noc::rtl {

/// What a caller sets up around one source, as a compiler's -D, -U and -I do.
struct PreprocessOptions {
  /// -D NAME[=VALUE], in command-line order; a NAME without a value is defined as empty.
  std::vector<std::pair<std::string, std::string>> defines;
  /// -U NAME: undefines a name given with -D.
  std::vector<std::string> undefines;
  /// Finds the file an `include names, given the including file's path: its path, or nothing
  /// when it is not there. Without it no include is read.
  std::function<std::optional<std::string>(std::string_view name, const std::string& includer)>
      find_include;
  /// Files read, in order, before the source as one compilation unit with it (a file list's
  /// sources): their macros are defined when the source is read.
  std::vector<std::string> unit_files;
  std::vector<ListedFile> absent_unit_files;  ///< where a list names a file that was not there
  /// Macros that only an include that was not found could define, with the branch to take for
  /// each: a conditional on one of them takes that branch without a marker in the stream.
  std::vector<std::pair<std::string, bool>> assumed;
  /// Puts a kUncertain marker where a conditional on such a macro that is not assumed stands.
  bool mark_uncertain = true;
  std::size_t max_expansion_depth = 64;
  std::size_t max_expanded_tokens = std::size_t{1} << 20;
  std::size_t max_include_depth = 32;
};

/// A conditional on a macro that only an include that was not found could define.
struct UncertainTest {
  std::string macro;
  SourceLocation location;  ///< the first conditional on it
  /// Where it stands in the source's tokens: the number of tokens before it (0 in a unit file).
  std::size_t token_index = 0;
};

/// A source after the preprocessor: the tokens the parser sees and what the directives named.
struct PreprocessedSource {
  std::vector<Token> tokens;  ///< ends with kEndOfFile
  /// The include entries of the source itself (not of the headers it includes), in file order.
  std::vector<std::string> includes;
  /// Include entries, of the source or of a header, that could not be found.
  std::vector<std::string> missing_includes;
  /// Paths of the headers read, in the order they were first read, after the unit files.
  std::vector<std::string> headers_read;
  /// The tokens of the unit files, which the source's header may use names of.
  std::vector<Token> unit_tokens;
  /// Macros that conditionals tested while an include was missing that could have defined
  /// them, each once, in the order first tested.
  std::vector<UncertainTest> uncertain;
};

/// Runs the directives of the source in `buffer`: `define (with arguments, defaults, ``
/// pasting and `" strings), `undef, `undefineall, `ifdef / `ifndef / `elsif / `else / `endif,
/// `include (read through PreprocessOptions::find_include), `__FILE__ and `__LINE__; the
/// directives that change nothing for a port list are dropped. A branch that is not taken is
/// skipped without reading anything but the nesting of conditionals, as compilers do. A usage
/// of a macro that is not defined stays in the stream as one kDirective token: the parser
/// decides whether it matters. A conditional on a macro that a missing include may define is
/// recorded in `uncertain`; unless the options assume a branch for it, it leaves a kUncertain
/// marker and takes the branch of an undefined macro. A header's own include guard is never
/// uncertain. Expansion depth and size are bounded; past a bound the source is
/// refused with an error at the macro's usage.
PreprocessedSource preprocess(SourceManager& sources, std::uint32_t buffer,
                              const PreprocessOptions& options);

}  // namespace noc::rtl
