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

}  // namespace noc::test
