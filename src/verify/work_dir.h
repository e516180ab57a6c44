#pragma once

// Where a simulation is built and run: a folder the user asked to keep, or a temporary one that
// goes with the run.
#include <string>

namespace noc::verify {

class WorkDir {
 public:
  /// `keep`: the folder to build in and keep; empty: TMPDIR/PREFIXPID-XXXXXX, removed at the
  /// end. Folders of the same prefix left by runs that are gone are removed first.
  WorkDir(const std::string& keep, std::string prefix);
  WorkDir(const WorkDir&) = delete;
  WorkDir& operator=(const WorkDir&) = delete;
  ~WorkDir();

  const std::string& path() const { return path_; }
  std::string file(const std::string& name) const { return path_ + "/" + name; }

  /// A message from Verilator points into the files written here (the stand-ins, the bench):
  /// they stay, so that the user can open what the message names. Kept only then: a work
  /// directory nobody is pointed to would only fill the disk, and one that a full disk or a
  /// file-size limit stopped is removed whatever the message names.
  std::string kept_for(const std::string& message);

  /// Writes `text` to `name` below the folder, creating the folders on the way.
  void write(const std::string& name, const std::string& text) const;

 private:
  void remove_abandoned(const std::string& folder) const;

  bool keep_;
  std::string prefix_;
  std::string path_;
};

/// The first lines of a failed tool's log that say why.
std::string log_excerpt(const std::string& log_path);

}  // namespace noc::verify
