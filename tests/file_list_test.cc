// File lists as Verilator reads them: each row a list's text and what it says.
#include "rtl/file_list.h"
#include "rtl/parsed_source.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>

#include "common/error.h"
#include "test_util.h"

namespace noc::rtl {
namespace {

// What a list says, one readable line: "I:dir D:NAME=VALUE U:NAME S:file", paths made relative
// to the test's directory.
std::string summary(const RtlOptions& options, const std::string& root) {
  auto shown = [&](const std::string& path) {
    return path.rfind(root + "/", 0) == 0 ? path.substr(root.size() + 1) : path;
  };
  std::string out;
  auto add = [&](const std::string& item) { out += (out.empty() ? "" : " ") + item; };
  for (const std::string& dir : options.include_dirs) add("I:" + shown(dir));
  for (const auto& [name, value] : options.defines) add("D:" + name + "=" + value);
  for (const std::string& name : options.undefines) add("U:" + name);
  for (const std::string& file : options.unit_files) add("S:" + shown(file));
  return out;
}

struct ListCase {
  const char* label;
  const char* text;
  const char* says;
};
void PrintTo(const ListCase& c, std::ostream* os) {
  *os << c.label;
}

class ReadsFileList : public testing::TestWithParam<ListCase> {};

// -F: paths relative to the list's folder, so that each row is independent of the working
// directory.
TEST_P(ReadsFileList, AsVerilatorDoes) {
  test::TempDir dir;
  test::write_file(dir.path() + "/lists/nested.f", "+define+FROM_NESTED\nnested.sv\n");
  test::write_file(dir.path() + "/lists/top.f", GetParam().text);
  ::setenv("NOC_TEST_RTL", "rtl", 1);
  RtlOptions options = read_file_list(dir.path() + "/lists/top.f", ListPaths::kFromListFolder);
  EXPECT_EQ(summary(options, dir.path() + "/lists"), GetParam().says);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ReadsFileList,
    testing::Values(
        ListCase{"sources_in_order", "pkg.sv\n  a.sv b.sv\n", "S:pkg.sv S:a.sv S:b.sv"},
        ListCase{"incdir_with_several_folders", "+incdir+inc+../common/inc\n",
                 "I:inc I:../common/inc"},
        ListCase{"define_with_and_without_value", "+define+A=1+B\n", "D:A=1 D:B="},
        ListCase{"dash_options_joined_or_apart", "-Iinc -I other -DW=8 -D N -UOLD -U X\n",
                 "I:inc I:other D:W=8 D:N= U:OLD U:X"},
        ListCase{"comments", "// a list\na.sv // after\n# hash comment\n/* block\n b.sv */ c.sv\n",
                 "S:a.sv S:c.sv"},
        ListCase{"nested_list_in_place", "a.sv\n-F nested.f\nb.sv\n",
                 "D:FROM_NESTED= S:a.sv S:nested.sv S:b.sv"},
        ListCase{"other_tools_options_skipped",
                 "-Wall --top-module top -Wno-fatal +libext+.sv -y lib x.sv\n", "S:x.sv"},
        ListCase{"environment_variables", "$NOC_TEST_RTL/a.sv ${NOC_TEST_RTL}/b.sv\n",
                 "S:rtl/a.sv S:rtl/b.sv"},
        ListCase{"quoted_path_with_a_space", "\"my dir/a.sv\"\n", "S:my dir/a.sv"},
        ListCase{"absolute_paths_stay", "/opt/fw/pkg.sv +incdir+/opt/fw/inc\n",
                 "I:/opt/fw/inc S:/opt/fw/pkg.sv"}),
    test::RowLabel());

TEST(FileList, DashLittleFPathsAreRelativeToTheWorkingDirectory) {
  test::TempDir dir;
  test::write_file(dir.path() + "/lists/top.f", "rtl/a.sv +incdir+inc\n");
  RtlOptions options =
      read_file_list(dir.path() + "/lists/top.f", ListPaths::kFromWorkingDirectory);
  ASSERT_EQ(options.unit_files.size(), 1u);
  EXPECT_EQ(options.unit_files[0].front(), '/') << "made absolute against the working directory";
  EXPECT_EQ(options.include_dirs, std::vector<std::string>{"inc"});
}

TEST(FileList, AMissingOrSelfNamingListIsAnErrorNamingTheFile) {
  test::TempDir dir;
  try {
    read_file_list(dir.path() + "/none.f", ListPaths::kFromListFolder);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.file(), dir.path() + "/none.f");
  }
  test::write_file(dir.path() + "/loop.f", "-F loop.f\n");
  EXPECT_THROW(read_file_list(dir.path() + "/loop.f", ListPaths::kFromListFolder), Error);
  test::write_file(dir.path() + "/open.f", "a.sv -f\n");
  EXPECT_THROW(read_file_list(dir.path() + "/open.f", ListPaths::kFromListFolder), Error);
}

TEST(FileList, AnEntryThatIsMissingIsBlamedOnItsLineOfTheList) {
  test::TempDir dir;
  test::write_file(dir.path() + "/defs.sv", "`define W 8\n");
  test::write_file(dir.path() + "/top.f", "// packages\ndefs.sv\n  +incdir+inc gone.sv\n");
  RtlOptions options = read_file_list(dir.path() + "/top.f", ListPaths::kFromListFolder);
  ASSERT_EQ(options.absent_unit_files.size(), 1u);
  const ListedFile& gone = options.absent_unit_files[0];
  EXPECT_EQ(gone.path, dir.path() + "/gone.sv");
  EXPECT_EQ(gone.list, dir.path() + "/top.f");
  EXPECT_EQ(gone.line, 3);
  EXPECT_EQ(gone.column, 15);
  PreprocessOptions preprocess;
  preprocess.unit_files = options.unit_files;
  preprocess.absent_unit_files = options.absent_unit_files;
  try {
    parse_source_text("t.sv", "module t; endmodule\n", preprocess);
    FAIL() << "no error";
  } catch (const Error& error) {
    EXPECT_EQ(error.file(), dir.path() + "/top.f");
    EXPECT_EQ(error.line(), 3);
    EXPECT_NE(error.message().find("which does not exist"), std::string::npos) << error.message();
  }
}

}  // namespace
}  // namespace noc::rtl
