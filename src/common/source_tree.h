#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace noc {

/// The files below a base directory, found by one walk: pre-order and depth-first, a directory's
/// own entries before any of its subdirectories, everything in the file system's listing order.
/// Symbolic links to directories count as directories but are not entered (so a link loop cannot
/// trap the walk); directories that cannot be listed contribute nothing.
class SourceTree {
 public:
  explicit SourceTree(std::string base_dir);

  const std::string& base_dir() const { return base_dir_; }

  /// Every non-directory entry named exactly `name`, as absolute normalised paths, in walk order.
  const std::vector<std::string>& find(std::string_view name) const;

  /// Every non-directory entry, in walk order.
  const std::vector<std::string>& files() const { return files_; }

  /// A folder below the base directory that could not be listed, and why (errno).
  struct Unlisted {
    std::string path;
    int error = 0;
  };
  /// The folders the walk could not list: what it found may lie in them too.
  const std::vector<Unlisted>& unlisted() const { return unlisted_; }

 private:
  void walk(const std::string& dir);

  std::string base_dir_;
  std::unordered_map<std::string, std::vector<std::string>> by_name_;
  std::vector<std::string> files_;
  std::vector<Unlisted> unlisted_;
};

/// `path` made absolute against the working directory and normalised, without resolving links.
std::string absolute_path(const std::string& path);

}  // namespace noc
