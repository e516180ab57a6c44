#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

#include "common/error.h"
#include "common/source_tree.h"
#include "rtl/module_header_parser.h"
#include "rtl/parsed_source.h"
#include "rtl/port.h"
#include "rtl/preprocessor.h"
#include "rtl/rtl_options.h"

namespace noc::rtl {

/// Entry 0 of the module names, or an error naming the file when it declares no module.
const std::string& top_module(const ParsedSource& source);

/// The sources below one base directory, found and parsed on demand. One catalog serves one
/// generator run: every file is located with one walk of the tree and parsed at most once, so
/// asking again for the same tile (one request per tile instance) costs a lookup.
class RtlCatalog {
 public:
  explicit RtlCatalog(std::string base_dir, RtlOptions options = {});
  /// Shares the walk that found the description.
  RtlCatalog(std::string base_dir, std::shared_ptr<const SourceTree> tree, RtlOptions options = {});
  // The include finder handed to the preprocessor points back at this catalog.
  RtlCatalog(const RtlCatalog&) = delete;
  RtlCatalog& operator=(const RtlCatalog&) = delete;

  const std::string& base_dir() const { return base_dir_; }
  const SourceTree& tree() const { return *tree_; }

  /// The absolute path of a source: a name holding "/" is a path below the base directory; a bare
  /// name must match exactly one file of the tree, or, among several (a mock under tb/, a copy
  /// in a build folder), exactly one that a file list or a named path chose.
  std::string locate(std::string_view name) const;

  /// Says which file a bare name means where the tree holds several: the description names
  /// it by path (a router node's "rtl/noc/noc_router.sv").
  void choose(const std::string& path_below_base);

  /// The file an `include names: first in the -I directories, then beside the including file,
  /// then by the rules of locate(); nothing when it is in none of them, and an error when it
  /// is there but outside the base directory.
  std::optional<std::string> find_include(std::string_view name, const std::string& includer) const;

  const ParsedSource& parse(std::string_view name);

  /// Every file read so far, sources and the headers they included, sorted: what a build tool
  /// must watch to know when the output is stale.
  std::vector<std::string> files_read() const;

 private:
  Error outside_base(std::string_view name, const std::string& path) const;

  std::string base_dir_;
  std::shared_ptr<const SourceTree> tree_;
  RtlOptions options_;
  PreprocessOptions preprocess_;
  std::unordered_map<std::string, std::string> located_;  // name -> path
  std::vector<std::string> chosen_;                       ///< absolute paths the description names
  std::unordered_map<std::string, std::unique_ptr<ParsedSource>> by_path_;
};

/// The tile generator: the tile sources already stand in the tree, so generating one means
/// checking that `name` locates exactly one source and handing the name back.
std::string gen_tile(RtlCatalog& catalog, const std::optional<std::string>& name);

}  // namespace noc::rtl
