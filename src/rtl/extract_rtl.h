#pragma once

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "common/source_tree.h"
#include "rtl/module_header_parser.h"
#include "rtl/port.h"

namespace noc::rtl {

/// Everything read from one SystemVerilog source.
struct ParsedSource {
  std::string path;
  std::vector<std::string> includes;      ///< include entries, in file order
  std::vector<std::string> module_names;  ///< every module of the file, in file order
  ModuleHeader first;                     ///< the first module; empty when there is none
};

/// Lexes, preprocesses and parses `text` as the source at `path`.
ParsedSource parse_source_text(std::string path, std::string text);

/// The sources below one base directory, found and parsed on demand. One catalog serves one
/// generator run: every file is located with one walk of the tree and parsed at most once, so
/// asking again for the same tile (one request per tile instance) costs a lookup.
class RtlCatalog {
 public:
  explicit RtlCatalog(std::string base_dir);
  /// Shares the walk that found the description.
  RtlCatalog(std::string base_dir, std::shared_ptr<const SourceTree> tree);

  const std::string& base_dir() const { return base_dir_; }
  const SourceTree& tree() const { return *tree_; }

  /// The absolute path of a source: a name holding "/" is a path below the base directory; a bare
  /// name must match exactly one file of the tree.
  std::string locate(std::string_view name) const;

  const ParsedSource& parse(std::string_view name);

 private:
  std::string base_dir_;
  std::shared_ptr<const SourceTree> tree_;
  std::unordered_map<std::string, std::string> located_;  // name -> path
  std::unordered_map<std::string, std::unique_ptr<ParsedSource>> by_path_;
};

/// The interface extractor of one source. The results become visible through the extract_*
/// calls, in whichever order a caller makes them: extract_headers gives `includes`, extract_io
/// `inputs` and `outputs`, extract_param `params`, extract_module `module_names`.
class ExtractRtl {
 public:
  ExtractRtl(RtlCatalog& catalog, std::string_view file_name);

  void extract_headers() { headers_ = true; }
  void extract_io() { io_ = true; }
  void extract_param() { params_ = true; }
  void extract_module() { module_ = true; }

  const std::vector<std::string>& includes() const;
  const std::vector<PortTuple>& inputs() const;
  const std::vector<PortTuple>& outputs() const;
  const std::vector<ModuleParameter>& params() const;
  const std::vector<std::string>& module_names() const;
  const std::string& path() const { return source_->path; }

  /// Entry 0 of module_names, or an error naming the file when it declares no module.
  const std::string& top_module() const;

 private:
  const ParsedSource* source_;
  bool headers_ = false, io_ = false, params_ = false, module_ = false;
};

/// The tile generator: the tile sources already stand in the tree, so generating one means
/// checking that `name` locates exactly one source and handing the name back.
std::string gen_tile(RtlCatalog& catalog, const std::optional<std::string>& name);

}  // namespace noc::rtl
