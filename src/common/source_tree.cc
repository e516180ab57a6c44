#include "common/source_tree.h"

#include <dirent.h>
#include <sys/stat.h>

#include <cerrno>
#include <filesystem>
#include <memory>

namespace noc {
namespace {

bool is_directory_entry(const std::string& dir, const dirent* entry) {
  if (entry->d_type == DT_DIR) return true;
  if (entry->d_type != DT_LNK && entry->d_type != DT_UNKNOWN) return false;
  struct stat info;
  // stat follows the link: a link to a directory is listed as a directory.
  return ::stat((dir + "/" + entry->d_name).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
}

bool is_link(const std::string& path) {
  struct stat info;
  return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

}  // namespace

std::string absolute_path(const std::string& path) {
  std::error_code ec;
  std::filesystem::path absolute = std::filesystem::absolute(path, ec);
  if (ec) absolute = path;
  std::string normal = absolute.lexically_normal().string();
  // "." and "a/.." normalise to a name with a trailing "/", which no path below it starts with.
  if (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

SourceTree::SourceTree(std::string base_dir) : base_dir_(std::move(base_dir)) {
  walk(absolute_path(base_dir_));
  // A base directory that is missing or no folder is said on its own, by whoever needs it.
  if (!unlisted_.empty() && unlisted_.front().path == absolute_path(base_dir_) &&
      (unlisted_.front().error == ENOENT || unlisted_.front().error == ENOTDIR))
    unlisted_.erase(unlisted_.begin());
}

const std::vector<std::string>& SourceTree::find(std::string_view name) const {
  static const std::vector<std::string> none;
  auto it = by_name_.find(std::string(name));
  return it == by_name_.end() ? none : it->second;
}

void SourceTree::walk(const std::string& dir) {
  std::unique_ptr<DIR, int (*)(DIR*)> handle(::opendir(dir.c_str()), ::closedir);
  if (!handle) {
    unlisted_.push_back(Unlisted{dir, errno});
    return;
  }
  std::string prefix = dir;
  if (prefix.empty() || prefix.back() != '/') prefix += '/';
  std::vector<std::string> subdirs;
  while (const dirent* entry = ::readdir(handle.get())) {
    std::string_view name = entry->d_name;
    if (name == "." || name == "..") continue;
    std::string path = prefix + entry->d_name;
    if (is_directory_entry(dir, entry)) {
      if (!is_link(path)) subdirs.push_back(std::move(path));
      continue;
    }
    files_.push_back(path);
    by_name_[std::string(name)].push_back(std::move(path));
  }
  handle.reset();
  for (const std::string& sub : subdirs) walk(sub);
}

}  // namespace noc
