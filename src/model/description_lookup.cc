#include "model/description_lookup.h"

#include <sys/stat.h>

#include <algorithm>

#include "common/error.h"
#include "common/input_file.h"
#include "common/text.h"

namespace noc::model {
namespace {

void check_base_dir(const std::string& base_dir) {
  struct stat info {};
  if (::stat(base_dir.c_str(), &info) != 0)
    throw Error("the base directory does not exist", absolute_path(base_dir));
  if (!S_ISDIR(info.st_mode))
    throw Error(
        "the base directory is a file; give the directory that holds the description (and "
        "--description for another file name than noc_soc.json)",
        absolute_path(base_dir));
}

// `path` relative to the base directory, for messages.
std::string below(const std::string& path, const std::string& base_dir) {
  std::string base = absolute_path(base_dir);
  if (path.size() > base.size() && path.compare(0, base.size(), base) == 0 &&
      path[base.size()] == '/')
    return path.substr(base.size() + 1);
  return path;
}

}  // namespace

DescriptionLookup find_description(const SourceTree& tree, const std::string& name,
                                   bool name_may_be_path) {
  check_base_dir(tree.base_dir());
  DescriptionLookup lookup;
  if (name_may_be_path && name.find('/') != std::string::npos) {
    std::string path = absolute_path(name.front() == '/' ? name : tree.base_dir() + "/" + name);
    struct stat info {};
    if (stays_below(tree.base_dir(), path) && ::stat(path.c_str(), &info) == 0 &&
        S_ISREG(info.st_mode))
      lookup.path = path;
    return lookup;
  }
  std::vector<std::string> found = tree.find(name);
  if (found.empty()) return lookup;
  // The walk's order is the file system's, and a stale copy deeper down (a backup, a build
  // folder) would win over the user's own file: the one directly in the base directory is
  // taken, else the last by path, the same on every machine.
  std::sort(found.begin(), found.end());
  std::string base = absolute_path(tree.base_dir());
  auto direct = std::find_if(found.begin(), found.end(), [&](const std::string& path) {
    return absolute_path(path) == base + (base == "/" ? "" : "/") + name;
  });
  auto chosen = direct != found.end() ? direct : found.end() - 1;
  lookup.path = *chosen;
  lookup.in_base_dir = direct != found.end();
  found.erase(chosen);
  lookup.also = std::move(found);
  return lookup;
}

std::string no_description(const std::string& name, const std::string& base_dir) {
  struct stat info {};
  std::string direct = base_dir + "/" + name;
  if (!base_dir.empty() && ::stat(direct.c_str(), &info) == 0 && S_ISDIR(info.st_mode))
    return in_quotes(name) +
           " in the base directory is a directory, not a description file; the description "
           "is the JSON file of that name";
  return "no description named " + in_quotes(name) + " below the base directory";
}

std::optional<Diagnostic> duplicate_description(const DescriptionLookup& lookup,
                                                const std::string& base_dir) {
  if (lookup.also.empty()) return std::nullopt;
  std::vector<std::string> others;
  for (const std::string& path : lookup.also) others.push_back(below(path, base_dir));
  std::string used = below(lookup.path, base_dir);
  return Diagnostic{Rule::kDescriptionNameTwice,
                    lookup.path,
                    0,
                    0,
                    {},
                    {},
                    "more than one description of this name below the base directory: this run "
                    "reads " +
                        in_quotes(used) + " and not " + quoted_list(others) +
                        (lookup.in_base_dir ? ", since it lies directly in the base directory"
                                            : ", the last by path") +
                        "; give --description with its folder to choose another"};
}

}  // namespace noc::model
