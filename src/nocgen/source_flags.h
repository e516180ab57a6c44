#pragma once

#include <CLI/CLI.hpp>
#include <string>
#include <utility>
#include <vector>

#include "rtl/file_list.h"
#include "rtl/rtl_options.h"

namespace noc::nocgen {

/// -D NAME[=VALUE], -U NAME, -I DIR and -f/-F FILE, read as Verilator reads them, for ports under
/// `ifdef, headers kept outside the design and the files of one compilation unit. Every
/// subcommand that reads sources takes the same flags.
struct SourceFlags {
  std::vector<std::string> defines, undefines, include_dirs;
  std::vector<std::pair<std::string, rtl::ListPaths>> file_lists;

  void add_to(CLI::App* command);

  /// The flags as options for the front end; file lists are read here.
  rtl::RtlOptions options() const;
};

}  // namespace noc::nocgen
