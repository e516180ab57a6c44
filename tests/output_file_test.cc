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

// As the writer does: a few bytes at a time, which the sink hands on in blocks of 1 MiB.
void write_in_pieces(TextSink& out, std::string_view text) {
  for (std::size_t at = 0; at < text.size(); at += 4096) out << text.substr(at, 4096);
}

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
  write_in_pieces(out, GetParam().new_text);
  write_skipped_start(out, [&](TextSink& again) { write_in_pieces(again, GetParam().new_text); });
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
                                         CompareCase{"old_file_far_longer", kLong, "short"},
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
  write_in_pieces(out, first);
  out.flush();
  test::write_file(path, std::string(2 << 20, 'E') + "edited");  // in place: same inode
  out << "new tail";
  write_skipped_start(out, [&](TextSink& again) {
    write_in_pieces(again, first);
    again << "new tail";
  });
  EXPECT_TRUE(out.commit());
  EXPECT_EQ(test::read_file(path), first + "new tail");
}

// The start that agreed with the old file is made again, not copied, and only as far as it
// was skipped: the writer is stopped there.
TEST(OutputFile, TheSkippedStartIsMadeAgainOnlyThatFar) {
  test::TempDir dir;
  std::string path = dir.path() + "/noc_soc.sv";
  std::string text = kLong.substr(0, kLong.size() - 1) + "L";
  test::write_file(path, kLong);
  OutputFile out(path);
  out.compare_with_existing();
  write_in_pieces(out, text);
  std::size_t made = 0;
  write_skipped_start(out, [&](TextSink& again) {
    for (std::size_t at = 0; at < text.size(); at += 4096, made += 4096)
      again << std::string_view(text).substr(at, 4096);
  });
  EXPECT_EQ(out.skipped(), 3u << 20);  // three blocks agreed; the fourth differs
  EXPECT_LT(made, out.skipped() + (1u << 20) + 4096);
  EXPECT_TRUE(out.commit());
  EXPECT_EQ(test::read_file(path), text);
}

TEST(OutputFile, AFileWithItsStartMissingIsNeverPutInPlace) {
  test::TempDir dir;
  std::string path = dir.path() + "/noc_soc.sv";
  test::write_file(path, kLong);
  {
    OutputFile out(path);
    out.compare_with_existing();
    write_in_pieces(out, kLong.substr(0, kLong.size() - 1) + "L");
    EXPECT_THROW(out.commit(), std::logic_error);
  }
  EXPECT_EQ(test::read_file(path), kLong);
  EXPECT_FALSE(test::has_temp_file(dir.path()));
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
