#include "rtl/extract_rtl.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/error.h"
#include "common/input_file.h"
#include "common/text.h"

namespace noc::rtl {
namespace {

bool is_regular_file(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

std::string directory_of(const std::string& path) {
  std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string ambiguity(std::string_view what, std::string_view name,
                      const std::vector<std::string>& found) {
  std::string list;
  for (std::size_t i = 0; i < found.size() && i < 4; ++i) list += (i ? ", " : " ") + found[i];
  if (found.size() > 4) list += " and " + std::to_string(found.size() - 4) + " more";
  return std::string(what) + " " + in_quotes(name) + " is ambiguous; it matches " +
         std::to_string(found.size()) + " files:" + list;
}

// What a search of the tree could not see: "; the folder X could not be listed (Permission
// denied), so it may lie there", or nothing.
std::string unlisted_note(const SourceTree& tree) {
  const std::vector<SourceTree::Unlisted>& unlisted = tree.unlisted();
  if (unlisted.empty()) return {};
  std::string list;
  for (std::size_t i = 0; i < unlisted.size() && i < 3; ++i)
    list += (i ? ", " : "") + unlisted[i].path + " (" + std::strerror(unlisted[i].error) + ")";
  if (unlisted.size() > 3) list += " and " + std::to_string(unlisted.size() - 3) + " more";
  return std::string(unlisted.size() == 1 ? "; the folder " : "; the folders ") + list +
         " could not be listed, so it may lie there";
}

}  // namespace

const std::string& top_module(const ParsedSource& source) {
  if (source.module_names.empty()) throw Error("the source declares no module", source.path);
  return source.module_names.front();
}

RtlCatalog::RtlCatalog(std::string base_dir, RtlOptions options)
    : RtlCatalog(base_dir, std::make_shared<SourceTree>(base_dir), std::move(options)) {}

RtlCatalog::RtlCatalog(std::string base_dir, std::shared_ptr<const SourceTree> tree,
                       RtlOptions options)
    : base_dir_(std::move(base_dir)), tree_(std::move(tree)), options_(std::move(options)) {
  preprocess_.defines = options_.defines;
  preprocess_.undefines = options_.undefines;
  preprocess_.unit_files = options_.unit_files;
  preprocess_.absent_unit_files = options_.absent_unit_files;
  preprocess_.find_include = [this](std::string_view name, const std::string& includer) {
    return find_include(name, includer);
  };
}

std::string RtlCatalog::locate(std::string_view name) const {
  if (!name.empty() && name.front() == '/')
    throw Error("the source name " + in_quotes(name) +
                    " is an absolute path; sources are named relative to the base directory",
                absolute_path(base_dir_));
  if (name.find('/') != std::string_view::npos) {
    std::string path = absolute_path(base_dir_ + "/" + std::string(name));
    std::string base = absolute_path(base_dir_);
    bool lexically_below = path.rfind(base + "/", 0) == 0;
    struct stat entry {};
    // Nothing there at all, not even a link: a missing file, not an escape.
    if (lexically_below && ::lstat(path.c_str(), &entry) != 0 && errno == ENOENT)
      throw Error("no source named " + in_quotes(name) + " below the base directory",
                  absolute_path(base_dir_));
    // The generator reads files only below the base directory.
    if (!stays_below(base_dir_, path))
      throw Error("the source name " + in_quotes(name) + " leads outside the base directory",
                  absolute_path(base_dir_));
    return path;
  }
  std::vector<std::string> found = tree_->find(name);
  // A file the description or a list names by path is that file, found or not by the walk: its
  // folder may be one that can be searched but not listed.
  auto add_named = [&](const std::string& path) {
    std::size_t slash = path.rfind('/');
    if (path.compare(slash + 1, std::string::npos, name) != 0 || !is_regular_file(path)) return;
    if (std::find(found.begin(), found.end(), path) == found.end()) found.push_back(path);
  };
  for (const std::string& path : chosen_) add_named(path);
  for (const std::string& path : options_.unit_files) add_named(path);
  if (found.empty())
    throw Error(
        "no source named " + in_quotes(name) + " below the base directory" + unlisted_note(*tree_),
        absolute_path(base_dir_));
  if (found.size() > 1) {
    // The file the user's own lists chose, when exactly one of them is among those found.
    std::vector<std::string> picked;
    for (const std::string& path : found)
      if (std::find(chosen_.begin(), chosen_.end(), path) != chosen_.end() ||
          std::find(options_.unit_files.begin(), options_.unit_files.end(), path) !=
              options_.unit_files.end())
        picked.push_back(path);
    if (picked.size() == 1) return picked.front();
    throw Error(ambiguity("the source name", name, found) +
                    "; name it by path in the description, or list it in a -f file list",
                absolute_path(base_dir_));
  }
  return found.front();
}

void RtlCatalog::choose(const std::string& path_below_base) {
  std::string path = absolute_path(base_dir_ + "/" + path_below_base);
  if (stays_below(base_dir_, path)) chosen_.push_back(path);
}

std::optional<std::string> RtlCatalog::find_include(std::string_view name,
                                                    const std::string& includer) const {
  std::string entry(name);
  // An absolute name is that file, as compilers read it, and confined as a header found by
  // path is: below the base directory or below an -I directory.
  if (!entry.empty() && entry.front() == '/') {
    if (!is_regular_file(entry)) return std::nullopt;
    if (stays_below(base_dir_, entry)) return absolute_path(entry);
    for (const std::string& dir : options_.include_dirs)
      if (stays_below(dir, entry)) return absolute_path(entry);
    throw outside_base(name, entry);
  }
  for (const std::string& dir : options_.include_dirs)
    if (is_regular_file(dir + "/" + entry)) return absolute_path(dir + "/" + entry);
  // Beside the includer and by path, a header is read only when it stays below the base
  // directory; the -I directories are the user's own choice.
  std::string beside = directory_of(includer) + "/" + entry;
  if (is_regular_file(beside)) {
    if (stays_below(base_dir_, beside)) return absolute_path(beside);
    for (const std::string& dir : options_.include_dirs)
      if (stays_below(dir, beside)) return absolute_path(beside);
    throw outside_base(name, beside);
  }
  if (entry.find('/') != std::string::npos || entry.empty()) {
    std::string path = absolute_path(base_dir_ + "/" + entry);
    if (!is_regular_file(path)) return std::nullopt;
    if (stays_below(base_dir_, path)) return path;
    throw outside_base(name, path);
  }
  const std::vector<std::string>& found = tree_->find(name);
  if (found.size() > 1) throw Error(ambiguity("the include", name, found), includer);
  if (found.empty()) return std::nullopt;
  return found.front();
}

Error RtlCatalog::outside_base(std::string_view name, const std::string& path) const {
  return Error("the include " + in_quotes(name) + " leads to " + absolute_path(path) +
               ", outside the base directory " + absolute_path(base_dir_) +
               "; give its directory with -I to read it from there");
}

const ParsedSource& RtlCatalog::parse(std::string_view name) {
  std::string key(name);
  auto at = located_.find(key);
  if (at == located_.end()) at = located_.emplace(key, locate(name)).first;
  std::unique_ptr<ParsedSource>& slot = by_path_[at->second];
  if (!slot) {
    PreprocessOptions options = preprocess_;
    // A list that names the source itself is read up to it: what the compiler has seen then.
    auto self = std::find(options.unit_files.begin(), options.unit_files.end(), at->second);
    options.unit_files.erase(self, options.unit_files.end());
    slot = std::make_unique<ParsedSource>(
        parse_source_text(at->second, read_source_file(at->second), options));
  }
  return *slot;
}

std::vector<std::string> RtlCatalog::files_read() const {
  std::vector<std::string> files;
  for (const auto& [path, source] : by_path_) {
    if (!source) continue;
    files.push_back(path);
    files.insert(files.end(), source->headers_read.begin(), source->headers_read.end());
  }
  std::sort(files.begin(), files.end());
  files.erase(std::unique(files.begin(), files.end()), files.end());
  return files;
}

std::string gen_tile(RtlCatalog& catalog, const std::optional<std::string>& name) {
  if (!name) throw Error("no compute tile source: the description has no endpoint node");
  catalog.parse(*name);  // a tile that cannot be found or read fails here, naming the file
  return *name;
}

}  // namespace noc::rtl
