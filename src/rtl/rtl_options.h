#pragma once

#include <string>
#include <utility>
#include <vector>

namespace noc::rtl {

/// How sources are read, as a compiler's -D, -U and -I say it.
struct RtlOptions {
  std::vector<std::pair<std::string, std::string>> defines;  ///< -D NAME[=VALUE]
  std::vector<std::string> undefines;                        ///< -U NAME
  std::vector<std::string> include_dirs;                     ///< -I DIR, searched first
  /// The source files of -f/-F lists, in order: read before each router and tile source as one
  /// compilation unit with it (up to that source, when a list names it too).
  std::vector<std::string> unit_files;
};

}  // namespace noc::rtl
