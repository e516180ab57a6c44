#pragma once

#include <string>
#include <utility>
#include <vector>

#include "common/source_tree.h"
#include "rtl/extract_rtl.h"

namespace noc::verify {

/// What a simulation of noc_top compiles besides the top and the stand-ins: the package files
/// found below the base directory that the top and the stand-ins need, in an order in which
/// each package comes after the packages it uses, and the directories of their headers.
struct CompileSet {
  std::vector<std::string> package_files;  ///< absolute paths
  std::vector<std::string> include_dirs;
  /// Files verify writes itself (name in the work directory, text): stand-ins for the
  /// framework's packages and headers when the tree has none.
  std::vector<std::pair<std::string, std::string>> written;
  std::vector<std::string> notes;  ///< what was stood in, in the user's words
};

/// The packages a SystemVerilog text names ("p::x", "import p::*"), in order of first use.
std::vector<std::string> package_references(const std::string& text);

/// The include entries of a text (`include "x.vh"), in order.
std::vector<std::string> include_entries(const std::string& text);

/// Gathers the packages `texts` use, transitively, from `unit_files` (the files of -f lists)
/// and the files below the catalog's base directory, and the headers `top_text` includes. The
/// framework's packages (dii_package, optimsoc_config, optimsoc_functions) and its header
/// dbg_config.vh get minimal stand-ins when the tree has none; `top_path` itself is never taken as
/// a package file.
CompileSet gather_compile_set(rtl::RtlCatalog& catalog, const std::string& top_path,
                              const std::string& top_text, const std::vector<std::string>& texts,
                              const std::vector<std::string>& unit_files = {});

}  // namespace noc::verify
