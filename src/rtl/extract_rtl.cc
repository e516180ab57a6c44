#include "rtl/extract_rtl.h"

#include "common/error.h"
#include "common/text.h"
#include "rtl/lexer.h"
#include "rtl/preprocessor.h"

namespace noc::rtl {

ParsedSource parse_source_text(std::string path, std::string text) {
  SourceText source(path, std::move(text));
  PreprocessedSource pre = preprocess(source, lex(source));
  std::vector<ModuleHeader> modules = parse_module_headers(source, pre.tokens);
  ParsedSource parsed;
  parsed.path = std::move(path);
  parsed.includes = std::move(pre.includes);
  for (const ModuleHeader& module : modules) parsed.module_names.push_back(module.name);
  if (!modules.empty()) parsed.first = std::move(modules.front());
  return parsed;
}

RtlCatalog::RtlCatalog(std::string base_dir)
    : RtlCatalog(base_dir, std::make_shared<SourceTree>(base_dir)) {}

RtlCatalog::RtlCatalog(std::string base_dir, std::shared_ptr<const SourceTree> tree)
    : base_dir_(std::move(base_dir)), tree_(std::move(tree)) {}

std::string RtlCatalog::locate(std::string_view name) const {
  if (name.find('/') != std::string_view::npos) {
    std::string path = absolute_path(base_dir_ + "/" + std::string(name));
    return path;
  }
  const std::vector<std::string>& found = tree_->find(name);
  if (found.empty())
    throw Error("no source named " + in_quotes(name) + " below the base directory",
                absolute_path(base_dir_));
  if (found.size() > 1) {
    std::string list;
    for (const std::string& path : found) list += (list.empty() ? " " : ", ") + path;
    throw Error("the source name " + in_quotes(name) + " is ambiguous; it matches " +
                    std::to_string(found.size()) + " files:" + list,
                absolute_path(base_dir_));
  }
  return found.front();
}

const ParsedSource& RtlCatalog::parse(std::string_view name) {
  std::string key(name);
  auto at = located_.find(key);
  if (at == located_.end()) at = located_.emplace(key, locate(name)).first;
  std::unique_ptr<ParsedSource>& slot = by_path_[at->second];
  if (!slot) {
    slot =
        std::make_unique<ParsedSource>(parse_source_text(at->second, read_source_file(at->second)));
  }
  return *slot;
}

ExtractRtl::ExtractRtl(RtlCatalog& catalog, std::string_view file_name)
    : source_(&catalog.parse(file_name)) {}

namespace {
template <typename T>
const std::vector<T>& shown(bool done, const std::vector<T>& list) {
  static const std::vector<T> none;
  return done ? list : none;
}
}  // namespace

const std::vector<std::string>& ExtractRtl::includes() const {
  return shown(headers_, source_->includes);
}
const std::vector<PortTuple>& ExtractRtl::inputs() const {
  return shown(io_, source_->first.inputs);
}
const std::vector<PortTuple>& ExtractRtl::outputs() const {
  return shown(io_, source_->first.outputs);
}
const std::vector<ModuleParameter>& ExtractRtl::params() const {
  return shown(params_, source_->first.params);
}
const std::vector<std::string>& ExtractRtl::module_names() const {
  return shown(module_, source_->module_names);
}

const std::string& ExtractRtl::top_module() const {
  if (source_->module_names.empty()) throw Error("the source declares no module", path());
  return source_->module_names.front();
}

std::string gen_tile(RtlCatalog& catalog, const std::optional<std::string>& name) {
  if (!name) throw Error("no compute tile source: the description has no endpoint node");
  catalog.parse(*name);  // a tile that cannot be found or read fails here, naming the file
  return *name;
}

}  // namespace noc::rtl
