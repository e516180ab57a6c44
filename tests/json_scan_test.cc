// The plain JSON scanner reads what descriptions are made of exactly as the full JSON reader
// does, and hands everything else to it.
#include "model/json_scan.h"

#include <gtest/gtest.h>

#include <ostream>

#include "json_events.h"

namespace noc::model {
namespace {

struct ScanCase {
  const char* label;
  std::string text;
  bool plain;  // the scanner reads it itself
};
void PrintTo(const ScanCase& c, std::ostream* os) {
  *os << c.label;
}

class ScansLikeTheFullReader : public testing::TestWithParam<ScanCase> {};

TEST_P(ScansLikeTheFullReader, SameEventsOrLeftToIt) {
  std::optional<std::string> plain = test::plain_events(GetParam().text);
  EXPECT_EQ(plain.has_value(), GetParam().plain);
  if (plain) {
    EXPECT_EQ(*plain, test::full_events(GetParam().text));
  }
}

TEST_P(ScansLikeTheFullReader, ThroughAWindowOfAnySizeAlike) {
  std::optional<std::string> held = test::plain_events(GetParam().text);
  for (std::size_t block : {1, 2, 3, 8, 13, 64})
    EXPECT_EQ(test::windowed_events(GetParam().text, block), held) << "window of " << block;
}

std::string deeply_nested(int depth) {
  return "{\"R_0\": {\"x\": " + std::string(depth, '[') + std::string(depth, ']') + "}}";
}

// An array of strings "", "a", "ab", ... of the lengths from `first` to `last`.
std::string strings_of_lengths(int first, int last) {
  std::string text = "[";
  for (int length = first; length <= last; ++length)
    text += (length > first ? ",\"" : "\"") +
            std::string("abcdefghijklmnopqrstuvwxyz").substr(0, static_cast<std::size_t>(length)) +
            "\"";
  return text + "]";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ScansLikeTheFullReader,
    testing::Values(
        ScanCase{"description_record",
                 "{\"R_0\": {\"is_Router\": true, \"neighbors\": [\"R_1\", \"T_0\"],\n"
                 " \"top_module_fname\": \"noc_router.sv\"}, \"T_0\": {}}",
                 true},
        ScanCase{"integers_and_literals", "{\"a\":[0,-0,10,-7,true,false,null,\"\"]}", true},
        ScanCase{"empty_containers_and_space", " \t\r\n{ \"a\" : { } , \"b\" : [ ] } \n", true},
        ScanCase{"top_level_array", "[1, [2, [3]]]", true},
        ScanCase{"deep_nesting_costs_no_stack", deeply_nested(100000), true},
        ScanCase{"escape_in_string", "{\"R_\\u0030\": {}}", false},
        ScanCase{"non_ascii_name", "{\"R\xc3\xa9\": {}}", false},
        ScanCase{"fraction", "{\"a\": 0.0}", false},
        ScanCase{"eighteen_digits", "[-999999999999999999]", true},
        // Beyond a double's range the full reader refuses the number.
        ScanCase{"integer_of_400_digits", "[" + std::string(400, '4') + "]", false},
        ScanCase{"exponent", "{\"a\": 1e-400}", false},
        ScanCase{"leading_zero", "{\"a\": 01}", false},
        ScanCase{"trailing_comma", "{\"a\": 1,}", false},
        ScanCase{"text_after_the_value", "{} x", false},
        ScanCase{"byte_order_mark", "\xef\xbb\xbf{}", false}, ScanCase{"empty_text", "", false},
        ScanCase{"control_character_in_string", "{\"a\tb\": 1}", false},
        ScanCase{"literal_run_on", "[truex]", false}, ScanCase{"unclosed", "{\"a\": [1, 2", false},
        // Strings are read a word of eight bytes at a time: what ends or spoils one must be
        // seen at any place in a word and in the bytes after the last whole word.
        ScanCase{"strings_of_every_length_around_a_word", strings_of_lengths(0, 25), true},
        ScanCase{"long_path_as_a_value",
                 "{\"R_0\": {\"top_module_fname\": \"rtl/tiles/compute_tile_variant_b.sv\"}}",
                 true},
        ScanCase{"backslash_in_a_later_word", "{\"abcdefghij\\u0041klmnopqr\": 1}", false},
        ScanCase{"control_character_in_a_later_word", "{\"abcdefghij\x01klmnopqr\": 1}", false},
        ScanCase{"delete_in_a_later_word", "{\"abcdefghijkl\x7fmnopqrst\": 1}", false},
        ScanCase{"non_ascii_in_a_later_word", "{\"abcdefghijk\xc3\xa9lmnopqrs\": 1}", false},
        ScanCase{"unclosed_long_string", "[\"abcdefghijklmnopqrstuvwxyz", false}));

}  // namespace
}  // namespace noc::model
