#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace noc {

/// Splits at every "_". Empty fields stay fields; a text without "_" is one field.
std::vector<std::string_view> split_fields(std::string_view text);

/// Joins fields with "_" between them.
std::string join_fields(const std::vector<std::string_view>& fields);

/// The first `count` fields with their "_" between them, as a view of `text` (all of it when it
/// has fewer fields): the same as joining the first `count` fields of split_fields.
std::string_view leading_fields(std::string_view text, std::size_t count);

/// The field at `index` (0-based), or nothing when the text has fewer fields.
std::optional<std::string_view> field_at(std::string_view text, std::size_t index);

/// Reads a decimal integer with an optional sign; leading zeros are allowed ("007" is 7).
/// Nothing when the text is not such a number or does not fit 64 bits.
std::optional<std::int64_t> parse_decimal(std::string_view text);

/// A decimal integer of any length. Router numbers are compared and written as integers, and
/// nothing bounds how many digits a description gives them.
struct Decimal {
  bool negative = false;
  std::string digits;  ///< without leading zeros; "0" for zero

  std::string text() const { return (negative ? "-" : "") + digits; }
  friend bool operator==(const Decimal&, const Decimal&) = default;
};

/// The same number as a view of the text it was read from: for readers that meet the same
/// names many times and keep none of them.
struct DecimalView {
  bool negative = false;
  std::string_view digits;  ///< without leading zeros; "0" for zero
};

/// Reads a decimal integer with an optional sign and leading zeros ("007" is 7, "-0" is 0).
std::optional<DecimalView> read_decimal(std::string_view text);
std::optional<Decimal> parse_big_decimal(std::string_view text);

/// Negative when a < b, zero when equal, positive when a > b.
int compare(const DecimalView& a, const DecimalView& b);
int compare(const Decimal& a, const Decimal& b);

/// True for a SystemVerilog simple identifier: [A-Za-z_][A-Za-z0-9_$]*.
bool is_simple_identifier(std::string_view name);

/// The text with every byte that is not part of valid UTF-8 written as \xNN, so that a path or
/// name in any encoding can be printed and put into JSON.
std::string printable(std::string_view text);

/// The same for a value echoed inside a message (a path, a name, an option's value): a line
/// feed or tab is escaped too, as \x0A and \x09, so that the message stays one line.
std::string one_line(std::string_view value);

/// The number of characters (UTF-8 code points; other bytes count one each) in `text`: the
/// column an editor shows is this count plus one.
std::size_t character_count(std::string_view text);

/// The byte offset at which each line of `text` starts, the first line's 0 included.
std::vector<std::uint32_t> line_starts(std::string_view text);

/// 1-based line and column of a byte offset, as an editor shows them: the column counts
/// characters, not bytes. `starts` are the text's line_starts.
std::pair<int, int> line_and_column(std::string_view text, const std::vector<std::uint32_t>& starts,
                                    std::size_t offset);

/// True when `text` is one of the words of `list`.
template <std::size_t N>
bool one_of(std::string_view text, const std::string_view (&list)[N]) {
  for (std::string_view item : list)
    if (item == text) return true;
  return false;
}

/// Quotes a name for a message: R_1 becomes "R_1".
std::string in_quotes(std::string_view name);

/// A file nocgen wrote itself (a bench, a stand-in, a package of verify or traffic), by its first
/// line: one left in a work directory kept below the base directory is no source of the design.
inline bool written_by_nocgen(std::string_view text) {
  return text.starts_with("// Written by nocgen") ||
         text.starts_with("// Stand-in written by nocgen");
}

/// Names in quotes for a message, the first three and "and N more": "a.vh", "b.vh" and 2 more.
std::string quoted_list(const std::vector<std::string>& names);

}  // namespace noc
