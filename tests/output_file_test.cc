// The output file compares itself with the file it replaces while it is written: an identical
// text leaves the old file alone, and any difference, early, late or in length, replaces it.
#include "emit/output_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include <ostream>

#include "common/error.h"
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
  EXPECT_EQ(out.commit(), !identical);
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
  EXPECT_TRUE(out.commit());
  EXPECT_EQ(test::read_file(path), kLong);
}

}  // namespace
}  // namespace noc::emit

namespace noc::emit {
namespace {

// An editor that saves the old file in place while the new text is compared with it must not
// bring its bytes into the new file: the new file holds the new text only.
TEST(OutputFile, AnOldFileEditedDuringTheComparisonDoesNotReachTheNewOne) {
  test::TempDir dir;
  std::string path = dir.path() + "/noc_soc.sv";
  std::string first = std::string(2 << 20, 'a');
  test::write_file(path, first + "old tail");
  OutputFile out(path);
  out.compare_with_existing();
  out << first;
  out.flush();
  test::write_file(path, std::string(2 << 20, 'E') + "edited");  // in place: same inode
  out << "new tail";
  EXPECT_TRUE(out.commit());
  EXPECT_EQ(test::read_file(path), first + "new tail");
}

TEST(OutputFile, NothingIsNamedBeforeTheFileIsComplete) {
  test::TempDir dir;
  std::string path = dir.path() + "/noc_soc.sv";
  {
    OutputFile out(path);
    out << kLong;
    out.flush();
    EXPECT_FALSE(test::has_temp_file(dir.path()));
  }
  EXPECT_FALSE(std::filesystem::exists(path));
  EXPECT_FALSE(test::has_temp_file(dir.path()));
}

TEST(OutputFile, APreparedFileReplacesTheOldOneOnlyWhenPublished) {
  test::TempDir dir;
  std::string path = dir.path() + "/top.d";
  test::write_file(path, "old");
  OutputFile out(path, "depfile");
  out << "new";
  EXPECT_TRUE(out.prepare());
  EXPECT_EQ(test::read_file(path), "old");
  out.publish();
  EXPECT_EQ(test::read_file(path), "new");
  EXPECT_FALSE(test::has_temp_file(dir.path()));
}

TEST(OutputFile, AFileWrittenByAChildThroughItsDescriptorIsCommitted) {
  test::TempDir dir;
  std::string path = dir.path() + "/mesh.svg";
  OutputFile out(path);
  out << "<svg>";
  int fd = out.descriptor();
  ASSERT_EQ(::write(fd, "</svg>", 6), 6);
  EXPECT_TRUE(out.commit());
  EXPECT_EQ(test::read_file(path), "<svg></svg>");
}

TEST(OutputFile, MessagesNameTheFinalFileAndWhatItIs) {
  test::TempDir dir;
  try {
    OutputFile out(dir.path() + "/missing/top.d", "depfile");
    FAIL() << "a file in a missing folder was created";
  } catch (const Error& error) {
    EXPECT_EQ(error.file(), dir.path() + "/missing/top.d");
    EXPECT_NE(error.message().find("cannot create the depfile"), std::string::npos);
  }
}

}  // namespace
}  // namespace noc::emit
