// The description's flat layout: names as views of the text, neighbours as node numbers.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstring>
#include <ostream>

#include "common/content_digest.h"
#include "common/error.h"
#include "common/text.h"
#include "model/description.h"
#include "model/description_reader.h"
#include "test_util.h"

namespace noc::model {
namespace {

Description parse(const std::string& text) {
  return parse_description("d.json", text, {});
}

std::vector<std::string> names(const Description& d, const Node& node) {
  std::vector<std::string> out;
  for (Neighbour n : d.neighbours(node)) out.push_back(std::string(n.name) + (n.node ? "" : "?"));
  return out;
}

TEST(Description, DuplicateKeyKeepsFirstPlaceAndLastRecord) {
  Description d = parse(R"({"A_1": {"is_Router": true}, "B": {}, "A_1": {"is_Router": false}})");
  ASSERT_EQ(d.nodes().size(), 2u);
  EXPECT_EQ(d.nodes()[0].name, "A_1");
  EXPECT_FALSE(d.nodes()[0].is_router);
  EXPECT_EQ(d.line_column(d.nodes()[1]), (std::pair<int, int>{1, 30}));
}

TEST(Description, NeighboursAreNodesOrNamesThatAreNone) {
  Description d = parse(R"({
    "R_0": {"neighbors": ["T_0", "R_9", "R_0", "T_0"]},
    "T_0": {}})");
  EXPECT_EQ(names(d, d.nodes()[0]), (std::vector<std::string>{"T_0", "R_9?", "R_0", "T_0"}));
  EXPECT_EQ(d.neighbours(d.nodes()[0])[0].node, &d.nodes()[1]);
  EXPECT_TRUE(d.neighbours(d.nodes()[1]).empty());
}

// A record given again, or a list given again inside one record, replaces the earlier list.
TEST(Description, TheLaterListWins) {
  Description d = parse(R"({
    "R_0": {"neighbors": ["A"], "neighbors": ["B", "C"]},
    "B": {"neighbors": ["R_0"]},
    "B": {"neighbors": ["C"]},
    "C": {}})");
  EXPECT_EQ(names(d, d.nodes()[0]), (std::vector<std::string>{"B", "C"}));
  EXPECT_EQ(names(d, d.nodes()[1]), (std::vector<std::string>{"C"}));
  ASSERT_EQ(d.repeated_members(d.nodes()[0]).size(), 1u);
  EXPECT_EQ(d.repeated_members(d.nodes()[0])[0].member, "neighbors");
  EXPECT_TRUE(d.repeated_members(d.nodes()[1]).empty());
  EXPECT_TRUE(d.nodes()[1].replaced_offset.has_value());
}

// Names read with escapes are decoded into strings the description keeps; short texts live
// inside the string object, so the views must survive moving the description.
TEST(Description, DecodedNamesSurviveAMove) {
  Description first = parse(
      "{\"R\\u005f1\": {\"neighbors\": [\"T\\u005f1\", \"x\"], "
      "\"top_module_fname\": \"r\\u002esv\"}, \"T_1\": {}}");
  Description moved = std::move(first);
  ASSERT_EQ(moved.nodes().size(), 2u);
  EXPECT_EQ(moved.nodes()[0].name, "R_1");
  EXPECT_EQ(moved.nodes()[0].top_module_fname, "r.sv");
  EXPECT_EQ(names(moved, moved.nodes()[0]), (std::vector<std::string>{"T_1", "x?"}));
  EXPECT_EQ(moved.find("T_1"), &moved.nodes()[1]);
}

TEST(Description, PlainNamesSurviveAMoveOfAShortText) {
  Description first = parse(R"({"a":{}})");
  Description moved = std::move(first);
  EXPECT_EQ(moved.nodes()[0].name, "a");
  EXPECT_EQ(moved.find("a"), &moved.nodes()[0]);
}

// Numbers beyond a double's range are valid JSON and read as what they are, wherever they
// stand and however many; one that runs on is still refused, at its place.
TEST(Description, NumbersBeyondRangeAreNumbers) {
  Description d = parse(R"({"R_\u0030": {"is_Router": 1e400, "w": [-1E999, 2e500, 0e999]}})");
  ASSERT_EQ(d.nodes().size(), 1u);
  EXPECT_EQ(d.nodes()[0].name, "R_0");
  EXPECT_TRUE(d.nodes()[0].is_router);
  try {
    parse(R"({"R_\u0030": {"w": [1e400e5]}})");
    ADD_FAILURE() << "a number that runs on was read";
  } catch (const Error& error) {
    EXPECT_EQ(error.message().find("[json."), std::string::npos) << error.message();
  }
}

struct NulCase {
  const char* label;
  std::string text;
  int line, column;
};
void PrintTo(const NulCase& c, std::ostream* os) {
  *os << c.label;
}

class RefusesNul : public testing::TestWithParam<NulCase> {};

TEST_P(RefusesNul, AtItsPlace) {
  try {
    parse(GetParam().text);
    ADD_FAILURE() << "a NUL byte was read";
  } catch (const Error& error) {
    EXPECT_NE(error.message().find("NUL byte"), std::string::npos) << error.message();
    EXPECT_EQ(error.line(), GetParam().line);
    EXPECT_EQ(error.column(), GetParam().column);
  }
}

using namespace std::string_literals;
INSTANTIATE_TEST_SUITE_P(
    Cases, RefusesNul,
    testing::Values(NulCase{"after_the_document", "{\"R_0\": {}}\0{\"R_1\": {}}"s, 1, 12},
                    NulCase{"between_members", "{\"R_0\": {},\n \0\"R_1\": {}}"s, 2, 2},
                    NulCase{"inside_a_name", "{\"R\0\": {}}"s, 1, 4}),
    test::RowLabel());

// A text of short and long lines, past a megabyte: a released text is counted chunk by chunk.
std::string many_lines() {
  std::string text = "{\n";
  for (int i = 0; i < 40; ++i)
    text += "\"N_" + std::to_string(i) + "\": {\"is_Router\": false, \"Ã©\": " +
            std::string(static_cast<std::size_t>(i % 7), ' ') + "1, \"pad\": \"" +
            std::string(i % 10 == 3 ? 300000 : 5, 'x') + "\"},\n\n";
  text += "\"last\": {}}\n";
  return text;
}

// Forwards, backwards and back and forth: each count starts from a line already known.
std::vector<std::uint32_t> offsets_in_any_order(const std::string& text) {
  std::vector<std::uint32_t> offsets;
  for (std::uint32_t at = 0; at < text.size(); at += 29989) offsets.push_back(at);
  for (std::size_t back = text.size(); back > 60013; back -= 60013)
    offsets.push_back(static_cast<std::uint32_t>(back - 1));
  return offsets;
}

TEST(Description, LinesAndColumnsAgreeWithAnIndexOfEveryLineInAnyOrder) {
  std::string text = many_lines();
  std::vector<std::uint32_t> starts = line_starts(text);
  for (bool from_file : {false, true}) {
    test::TempDir dir;
    std::string path = dir.path() + "/d.json";
    test::write_file(path, text);
    Description d = from_file ? load_description(path, {}) : parse(text);
    for (std::uint32_t at : offsets_in_any_order(text))
      EXPECT_EQ(d.line_column(at), line_and_column(text, starts, at))
          << (from_file ? "loaded, " : "in memory, ") << at;
  }
}

TEST(Description, LoadedNamesOutliveTheText) {
  test::TempDir dir;
  std::string path = dir.path() + "/d.json";
  // An escaped name is decoded into a text of its own, which goes with the file's.
  test::write_file(path,
                   "{\"R_0\": {\"neighbors\": [\"T_\\u0030\", \"X_9\"], \"top_module_fname\": "
                   "\"r.sv\"},\n \"T_0\": {\"top_module_fname\": \"r.sv\"}}");
  Description d = load_description(path, {});
  ASSERT_EQ(d.nodes().size(), 2u);
  EXPECT_EQ(names(d, d.nodes()[0]), (std::vector<std::string>{"T_0", "X_9?"}));
  EXPECT_EQ(d.nodes()[1].top_module_fname, "r.sv");
  EXPECT_EQ(d.find("T_0"), &d.nodes()[1]);
  Diagnostic at_entry =
      d.neighbour_diagnostic(d.nodes()[0], "X_9", Rule::kUnknownNeighbour, "unknown");
  EXPECT_EQ(std::make_pair(at_entry.line, at_entry.column), std::make_pair(1, 36));
}

// A file larger than the reader's window is read in pieces, its names copied out as they
// pass: what it reads must be what the text read whole gives.
TEST(Description, ALargeFileReadsAsTheSameTextInMemory) {
  std::string text = "{\n";
  for (int i = 0; i < 30000; ++i) {
    std::string n = std::to_string(i), next = std::to_string((i + 1) % 30000);
    text += "  \"R_" + n + "\": {\"is_Router\": true, \"neighbors\": [\"R_" + next + "\", \"T_" +
            n + "\", \"gone_" + n + "\"], \"top_module_fname\": \"noc_router.sv\", \"pad\": \"" +
            std::string(static_cast<std::size_t>(i % 97), 'p') + "\"},\n  \"T_" + n +
            "\": {\"is_Router\": false, \"top_module_fname\": \"tile_" + std::to_string(i % 3) +
            ".sv\"},\n";
  }
  text +=
      "  \"R_0\": {\"is_Router\": true, \"neighbors\": [\"T_1\"], \"top_module_fname\": "
      "\"r.sv\"}\n}\n";
  ASSERT_GT(text.size(), std::size_t{5} << 20);
  test::TempDir dir;
  std::string path = dir.path() + "/d.json";
  test::write_file(path, text);
  Description loaded = load_description(path, {});
  Description held = parse(text);
  ASSERT_EQ(loaded.nodes().size(), held.nodes().size());
  for (std::size_t i = 0; i < held.nodes().size(); i += 997) {
    const Node& a = loaded.nodes()[i];
    const Node& b = held.nodes()[i];
    EXPECT_EQ(a.name, b.name);
    EXPECT_EQ(a.top_module_fname, b.top_module_fname);
    EXPECT_EQ(a.offset, b.offset);
    EXPECT_EQ(a.replaced_offset, b.replaced_offset);
    EXPECT_EQ(names(loaded, a), names(held, b)) << a.name;
  }
  EXPECT_EQ(names(loaded, loaded.nodes()[0]), (std::vector<std::string>{"T_1"}));
  EXPECT_EQ(loaded.line_column(loaded.nodes().back()), held.line_column(held.nodes().back()));
}

TEST(Description, AFileChangedAfterReadingPlacesNoMessage) {
  test::TempDir dir;
  std::string path = dir.path() + "/d.json";
  test::write_file(path, "{\"R_0\": {},\n \"R_1\": {}}");
  Description d = load_description(path, {});
  EXPECT_EQ(d.line_column(d.nodes()[1]), (std::pair<int, int>{2, 2}));
  // Rewritten in place: the lines counted now would be another file's.
  test::write_file(path, "{\n\n\n\"R_0\": {},     \"R_1\": {}}");
  EXPECT_EQ(d.line_column(d.nodes()[1]), (std::pair<int, int>{0, 0}));
  EXPECT_EQ(d.nodes()[1].name, "R_1");
}

}  // namespace
}  // namespace noc::model

namespace noc::model {
namespace {

// Two descriptions of one length: a rewrite in place of the one by the other leaves the size,
// and within one tick of the file system's clock the times too, as they were.
constexpr const char* kVersionA = R"({"R_0": {"is_Router": true}, "T_0": {}})";
constexpr const char* kVersionB = R"({"R_7": {"is_Router": true}, "T_7": {}})";

// Rewrites the description in place, once, as a writer racing the reader would, and sets its
// modification time back: only the change time, which nobody can set, still moves.
class RacingWriter {
 public:
  RacingWriter() {
    set_description_read_hook([this](const std::string& path) {
      if (done_) return;
      done_ = true;
      struct stat before;
      ::stat(path.c_str(), &before);
      int fd = ::open(path.c_str(), O_WRONLY);
      ASSERT_EQ(::pwrite(fd, kVersionB, std::strlen(kVersionB), 0),
                static_cast<ssize_t>(std::strlen(kVersionB)));
      struct timespec times[2] = {before.st_atim, before.st_mtim};
      ::futimens(fd, times);
      ::close(fd);
    });
  }
  ~RacingWriter() { set_description_read_hook({}); }

 private:
  bool done_ = false;
};

// A file written moments ago: a rewrite within the same tick of the clock leaves even the change
// time as it was, and only the text tells; one in a later tick moves the change time. Either
// way the reader gives the new version whole or says the file changed, never the old one that
// the status alone would have passed.
TEST(Description, ARewriteWhileAFreshFileIsReadIsNeverTakenForTheOldText) {
  test::TempDir dir;
  std::string path = dir.path() + "/noc_soc.json";
  test::write_file(path, kVersionA);
  RacingWriter writer;
  try {
    Description d = load_description(path, {});
    ASSERT_EQ(d.nodes().size(), 2u);
    EXPECT_EQ(d.nodes()[0].name, "R_7");
  } catch (const Error& error) {
    EXPECT_EQ(error.message(), "the description changed while it was read; run again");
  }
}

TEST(Description, ADigestIsTheSameHoweverTheTextIsCut) {
  std::string text(1000, '\0');
  for (std::size_t i = 0; i < text.size(); ++i) text[i] = static_cast<char>(i * 7 + 3);
  ContentDigest whole;
  whole.add(text);
  for (std::size_t cut : {1u, 3u, 7u, 8u, 9u, 500u}) {
    ContentDigest pieces;
    for (std::size_t at = 0; at < text.size(); at += cut) pieces.add(text.substr(at, cut));
    EXPECT_EQ(pieces.value(), whole.value()) << cut;
  }
  ContentDigest other;
  text[999] ^= 1;
  other.add(text);
  EXPECT_NE(other.value(), whole.value());
}

TEST(Description, ARewriteWhileAnOlderFileIsReadGivesTheNewVersionWhole) {
  test::TempDir dir;
  std::string path = dir.path() + "/noc_soc.json";
  test::write_file(path, kVersionA);
  // Older than the coarsest tick of a file system's clock: read through the window, and the
  // status read after it says whether it changed.
  ::sleep(3);
  RacingWriter writer;
  Description d = load_description(path, {});
  ASSERT_EQ(d.nodes().size(), 2u);
  EXPECT_EQ(d.nodes()[0].name, "R_7");
  EXPECT_EQ(d.nodes()[1].name, "T_7");
}

}  // namespace
}  // namespace noc::model
