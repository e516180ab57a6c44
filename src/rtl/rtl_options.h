#pragma once

#include <string>
#include <utility>
#include <vector>

namespace noc::rtl {

/// A file a list names, and where: the list's path, line and column.
struct ListedFile {
  std::string path;
  std::string list;
  int line = 0;
  int column = 0;
};

/// How sources are read, as a compiler's -D, -U and -I say it.
struct RtlOptions {
  std::vector<std::pair<std::string, std::string>> defines;  ///< -D NAME[=VALUE]
  std::vector<std::string> undefines;                        ///< -U NAME
  std::vector<std::string> include_dirs;                     ///< -I DIR, searched first
  /// The source files of -f/-F lists, in order: read before each router and tile source as one
  /// compilation unit with it (up to that source, when a list names it too).
  std::vector<std::string> unit_files;
  /// Those of unit_files that did not exist when their list was read, with where it names them.
  std::vector<ListedFile> absent_unit_files;
  /// Every -f/-F list read, nested ones included, by absolute path: inputs of the run, which an
  /// output must never replace and a build tool must watch.
  std::vector<std::string> list_files;
};

}  // namespace noc::rtl
