#pragma once

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "rtl/port.h"

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

/// Ports as "type|declaration", joined by ", ": one readable string per list for a table row.
std::string port_list(const std::vector<rtl::PortTuple>& ports);

/// Names each row of a parameterised table by its `label` (or `name`): one readable test name
/// per row, for INSTANTIATE_TEST_SUITE_P.
struct RowLabel {
  template <typename Row>
  std::string operator()(const ::testing::TestParamInfo<Row>& row) const {
    if constexpr (requires { row.param.label; })
      return std::string(row.param.label);
    else
      return std::string(row.param.name);
  }
};

/// A row of a table of refused inputs: where the error must point and what it must say.
struct LocatedErrorCase {
  const char* label;
  const char* source;
  int line;
  int column;
  const char* message;
};
void PrintTo(const LocatedErrorCase& row, std::ostream* os);

/// Runs `parse`, which must throw the generator's error at the row's line and column with a
/// message that holds the row's text.
void expect_located_error(const std::function<void()>& parse, const LocatedErrorCase& row);

}  // namespace noc::test
