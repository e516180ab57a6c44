// The output file compares itself with the file it replaces while it is written: an identical
// text leaves the old file alone, and any difference, early, late or in length, replaces it.
#include "emit/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <ostream>

#include "test_util.h"

namespace noc::emit {
namespace {

struct CompareCase {
  const char* label;
  std::string old_text;
  std::string new_text;
};
void PrintTo(const CompareCase& c, std::ostream* os) {
  *os << c.label;
}

// Longer than the writer's block, so that a difference can lie beyond the first block.
const std::string kLong = std::string(3 << 20, 'a') + "tail";

class ComparesWhileWriting : public testing::TestWithParam<CompareCase> {};

TEST_P(ComparesWhileWriting, KeepsOnlyAnIdenticalFile) {
  test::TempDir dir;
  std::string path = dir.path() + "/noc_soc.sv";
  test::write_file(path, GetParam().old_text);
  OutputFile out(path);
  out.compare_with_existing();
  out << GetParam().new_text;
  bool identical = GetParam().old_text == GetParam().new_text;
  EXPECT_EQ(out.commit(true), !identical);
  EXPECT_EQ(test::read_file(path), GetParam().new_text);
  EXPECT_FALSE(test::has_temp_file(dir.path()));
}

INSTANTIATE_TEST_SUITE_P(Cases, ComparesWhileWriting,
                         testing::Values(CompareCase{"identical", kLong, kLong},
                                         CompareCase{"differs_in_the_first_block", kLong,
                                                     "b" + kLong.substr(1)},
                                         CompareCase{"differs_in_a_later_block", kLong,
                                                     kLong.substr(0, kLong.size() - 1) + "L"},
                                         CompareCase{"old_file_longer", kLong + "more", kLong},
                                         CompareCase{"old_file_shorter", kLong, kLong + "more"},
                                         CompareCase{"old_file_empty", "", kLong},
                                         CompareCase{"new_text_empty", kLong, ""}));

TEST(OutputFile, WithoutAnExistingFileWritesAsUsual) {
  test::TempDir dir;
  std::string path = dir.path() + "/new.sv";
  OutputFile out(path);
  out.compare_with_existing();
  out << kLong;
  EXPECT_TRUE(out.commit(true));
  EXPECT_EQ(test::read_file(path), kLong);
}

}  // namespace
}  // namespace noc::emit
