#pragma once

#include <string>

namespace noc::test {

/// A fresh directory below the system's temporary directory, removed with the object.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  const std::string& path() const { return path_; }

 private:
  std::string path_;
};

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& text);
/// Copies the bundled example's sources (not its output) into `dir`.
void copy_example(const std::string& dir);
std::string example_dir();

/// Runs the generator on `dir` quietly and returns the error's text, or "" when it succeeded.
std::string run_error(const std::string& dir, const std::string& name = "noc_soc.json");
/// Whether a temporary output file was left in `dir`.
bool has_temp_file(const std::string& dir);

}  // namespace noc::test
