#pragma once

#include <sys/types.h>

#include <optional>
#include <string>
#include <vector>

namespace noc {

/// What makes two paths one file: the device and inode the path leads to (links followed), or,
/// for a file not there yet, the folder it would be made in and its name in that folder.
struct FileIdentity {
  dev_t device = 0;
  ino_t inode = 0;
  std::string name;  ///< empty when the file exists

  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

/// Absent when neither the file nor the folder it would be made in can be looked at.
std::optional<FileIdentity> file_identity(const std::string& path);

/// A file a run reads or writes, with the words that name its part in the run ("-o",
/// "--depfile", "the description").
struct RunFile {
  std::string role;
  std::string path;
};

/// Refuses, before anything is written, an output that is the same file as one of the run's
/// inputs (through a link, a hard link or another spelling of its path) or as another output:
/// writing it would replace a file the user owns with generated text. "-" (standard output) is
/// no file. The error names both files.
void refuse_outputs_that_are_inputs(const std::vector<RunFile>& outputs,
                                    const std::vector<RunFile>& inputs);

}  // namespace noc
