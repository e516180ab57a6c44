#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "rtl/module_header_parser.h"
#include "rtl/preprocessor.h"

namespace noc::rtl {

/// Something a compiler reads but warns about, located when the source was read.
struct SourceWarning {
  std::string file;
  int line = 0;
  int column = 0;
  std::string message;
};

/// A place in a source file, for messages about what was declared there.
struct SourcePlace {
  std::string file;
  int line = 0;
  int column = 0;
};

/// Everything read from one SystemVerilog source: a plain value.
struct ParsedSource {
  std::string path;
  std::vector<std::string> includes;      ///< include entries of the source, in file order
  std::vector<std::string> headers_read;  ///< paths of the unit files and headers read
  std::vector<std::string> module_names;  ///< every module of the file, in file order
  ModuleHeader first;                     ///< the first module; empty when there is none
  std::vector<SourceWarning> warnings;
  SourcePlace module_place;                                      ///< the first module's name
  std::vector<std::pair<std::string, SourcePlace>> port_places;  ///< each port's name, by name

  /// Where port `name` is declared; the module's name when it is not a port.
  const SourcePlace& place_of(const std::string& name) const;
};

/// True when two readings give a user of the first module the same thing: its name, imports,
/// parameters, every port's direction, type, dimensions and order, and the include entries.
bool same_interface(const ParsedSource& a, const ParsedSource& b);

/// Lexes, preprocesses and parses `text` as the source at `path`. When conditionals test macros
/// that only an include that was not found could define, the source is read under every
/// combination of them (up to kMaxUncertainMacros of them) and accepted only when all give the
/// same interface; otherwise the error names the macro and the missing include.
ParsedSource parse_source_text(std::string path, std::string text,
                               const PreprocessOptions& options = {});

/// Past this many such macros the source is refused rather than read 2^N times.
inline constexpr std::size_t kMaxUncertainMacros = 6;

}  // namespace noc::rtl
