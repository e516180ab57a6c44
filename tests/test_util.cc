#include "test_util.h"

#include <gtest/gtest.h>

#include "app/soc_generator.h"
#include "common/error.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace noc::test {

TempDir::TempDir() {
  std::string pattern = (std::filesystem::temp_directory_path() / "noc_soc_test.XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  path_ = pattern;
}

TempDir::~TempDir() {
  std::error_code ec;
  std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                               std::filesystem::perm_options::add, ec);
  std::filesystem::remove_all(path_, ec);
}

std::string read_file(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

void write_file(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

std::string example_dir() {
  return std::string(NOC_SOURCE_DIR) + "/examples/mesh_2x2";
}

void copy_example(const std::string& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(example_dir())) {
    std::string name = entry.path().filename().string();
    if (name.rfind("noc_soc.sv", 0) == 0) continue;
    std::filesystem::copy_file(entry.path(), dir + "/" + name,
                               std::filesystem::copy_options::overwrite_existing);
  }
}

std::string run_error(const std::string& dir, const std::string& name) {
  RunOptions quiet;
  quiet.print_line = [](const std::string&) {};
  try {
    soc_generator_noc(dir, name, quiet);
  } catch (const Error& error) {
    return error.what();
  }
  return "";
}

bool has_temp_file(const std::string& dir) {
  for (const auto& entry : std::filesystem::directory_iterator(dir))
    if (entry.path().filename().string().find(".nocgen-") != std::string::npos) return true;
  return false;
}

std::string port_list(const std::vector<rtl::PortTuple>& ports) {
  std::string out;
  for (const rtl::PortTuple& p : ports)
    out += (out.empty() ? "" : ", ") + p.type_text + "|" + p.join_from(0);
  return out;
}

void PrintTo(const LocatedErrorCase& row, std::ostream* os) {
  *os << row.label;
}

void expect_located_error(const std::function<void()>& parse, const LocatedErrorCase& row) {
  try {
    parse();
    ADD_FAILURE() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.line(), row.line) << error.what();
    EXPECT_EQ(error.column(), row.column) << error.what();
    EXPECT_NE(error.message().find(row.message), std::string::npos) << error.what();
  }
}

}  // namespace noc::test
