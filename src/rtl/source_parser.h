#pragma once

#include <string>
#include <vector>

#include "rtl/module_header_parser.h"
#include "rtl/preprocessor.h"

namespace noc::rtl {

/// The modules of one preprocessed source.
struct SourceModules {
  std::vector<std::string> module_names;  ///< every module, in file order (nested ones after
                                          ///< the module that holds them)
  bool has_module = false;
  ModuleHeader first;  ///< the first module, read in full
  /// The number of tokens that decide the first module's interface: up to the end of its header,
  /// or of its body for an old-style port list; all of them when there is no module.
  std::size_t interface_end = 0;
};

/// Finds every module declaration. The first one is read strictly: its header by the port-list
/// grammar, and for an old-style port list the port and net declarations of its body, merged as
/// compilers merge them. Every other module contributes its name only, and every body is skipped
/// up to its endmodule: assertions, classes, functions, generate blocks and the like hold nothing
/// the generator reads.
SourceModules parse_modules(const SourceManager& sources, const PreprocessedSource& source);

}  // namespace noc::rtl
