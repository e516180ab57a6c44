#include "common/file_identity.h"

#include <sys/stat.h>

#include "common/error.h"

namespace noc {
namespace {

std::optional<FileIdentity> identity_of_existing(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return std::nullopt;
  return FileIdentity{info.st_dev, info.st_ino, {}};
}

}  // namespace

std::optional<FileIdentity> file_identity(const std::string& path) {
  if (std::optional<FileIdentity> existing = identity_of_existing(path)) return existing;
  std::size_t slash = path.find_last_of('/');
  std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
  std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
  std::optional<FileIdentity> in = identity_of_existing(folder);
  if (!in || name.empty()) return std::nullopt;
  in->name = name;
  return in;
}

void refuse_outputs_that_are_inputs(const std::vector<RunFile>& outputs,
                                    const std::vector<RunFile>& inputs) {
  struct Known {
    const RunFile* file;
    FileIdentity identity;
    bool is_input;
  };
  std::vector<Known> known;
  for (const RunFile& input : inputs)
    if (std::optional<FileIdentity> identity = file_identity(input.path))
      known.push_back({&input, *identity, true});
  for (const RunFile& output : outputs) {
    if (output.path.empty() || output.path == "-") continue;
    std::optional<FileIdentity> identity = file_identity(output.path);
    if (!identity) continue;  // the write itself says what is wrong with the path
    for (const Known& other : known) {
      if (other.identity != *identity) continue;
      if (other.is_input)
        throw Error(output.role + " is " + other.file->role + " " + other.file->path +
                        ", which this run reads; writing there would destroy it: give another "
                        "path",
                    output.path);
      throw Error(
          output.role + " and " + other.file->role + " name the same file; give each its own path",
          output.path);
    }
    known.push_back({&output, *identity, false});
  }
}

}  // namespace noc
