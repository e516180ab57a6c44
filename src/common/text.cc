#include "common/text.h"

#include <algorithm>

#include <charconv>

namespace noc {

std::vector<std::string_view> split_fields(std::string_view text) {
  std::vector<std::string_view> fields;
  std::size_t start = 0;
  for (;;) {
    std::size_t cut = text.find('_', start);
    if (cut == std::string_view::npos) {
      fields.push_back(text.substr(start));
      return fields;
    }
    fields.push_back(text.substr(start, cut - start));
    start = cut + 1;
  }
}

std::string join_fields(const std::vector<std::string_view>& fields) {
  std::string out;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) out += '_';
    out += fields[i];
  }
  return out;
}

std::string_view leading_fields(std::string_view text, std::size_t count) {
  std::size_t end = 0;
  for (std::size_t i = 0; i < count; ++i) {
    std::size_t cut = text.find('_', end);
    if (cut == std::string_view::npos) return text;
    end = cut + 1;
  }
  return count == 0 ? text.substr(0, 0) : text.substr(0, end - 1);
}

std::optional<std::string_view> field_at(std::string_view text, std::size_t index) {
  std::size_t start = 0;
  for (std::size_t i = 0; i < index; ++i) {
    std::size_t cut = text.find('_', start);
    if (cut == std::string_view::npos) return std::nullopt;
    start = cut + 1;
  }
  std::size_t end = text.find('_', start);
  return text.substr(start, end == std::string_view::npos ? std::string_view::npos : end - start);
}

std::optional<std::int64_t> parse_decimal(std::string_view text) {
  bool negative = false;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  std::uint64_t magnitude = 0;
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), magnitude);
  if (ec != std::errc() || end != text.data() + text.size()) return std::nullopt;
  if (magnitude > static_cast<std::uint64_t>(INT64_MAX) + (negative ? 1 : 0)) return std::nullopt;
  return negative ? static_cast<std::int64_t>(0 - magnitude) : static_cast<std::int64_t>(magnitude);
}

std::optional<DecimalView> read_decimal(std::string_view text) {
  DecimalView number;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    number.negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  std::size_t first = text.find_first_not_of('0');
  number.digits = first == std::string_view::npos ? std::string_view("0") : text.substr(first);
  if (number.digits == "0") number.negative = false;
  return number;
}

std::optional<Decimal> parse_big_decimal(std::string_view text) {
  std::optional<DecimalView> number = read_decimal(text);
  if (!number) return std::nullopt;
  return Decimal{number->negative, std::string(number->digits)};
}

int compare(const DecimalView& a, const DecimalView& b) {
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  int magnitude = a.digits.size() != b.digits.size() ? (a.digits.size() < b.digits.size() ? -1 : 1)
                                                     : a.digits.compare(b.digits);
  magnitude = magnitude < 0 ? -1 : magnitude > 0 ? 1 : 0;
  return a.negative ? -magnitude : magnitude;
}

int compare(const Decimal& a, const Decimal& b) {
  return compare(DecimalView{a.negative, a.digits}, DecimalView{b.negative, b.digits});
}

bool is_simple_identifier(std::string_view name) {
  if (name.empty()) return false;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!letter(name[0])) return false;
  for (char c : name)
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '$') return false;
  return true;
}

namespace {

// The length of the valid UTF-8 sequence that starts at `at`, or 0 when none does.
std::size_t utf8_length(std::string_view text, std::size_t at) {
  auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(at);
  if (lead < 0x80) return 1;
  std::size_t length = lead >= 0xF0 && lead <= 0xF4 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC2 ? 2 : 0;
  if (lead >= 0xF5 || length == 0 || at + length > text.size()) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(at + i) & 0xC0) != 0x80) return 0;
  unsigned char second = byte(at + 1);
  if ((lead == 0xE0 && second < 0xA0) || (lead == 0xED && second > 0x9F) ||
      (lead == 0xF0 && second < 0x90) || (lead == 0xF4 && second > 0x8F))
    return 0;  // overlong forms, surrogates and code points past U+10FFFF
  return length;
}

}  // namespace

namespace {

// `layout`: a line feed or tab is the message's own layout, kept; in a value (a path, a name)
// it would split the line or shift what follows, and is escaped like every other control.
std::string escaped(std::string_view text, bool layout) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t at = 0; at < text.size();) {
    std::size_t length = utf8_length(text, at);
    unsigned char first = static_cast<unsigned char>(text[at]);
    // A control character would cut or garble the line (a NUL ends it for C's printing).
    bool kept = layout && (first == '\n' || first == '\t');
    if (length == 0 || (first < 0x20 && !kept) || first == 0x7F) {
      static const char kHex[] = "0123456789ABCDEF";
      unsigned char byte = static_cast<unsigned char>(text[at]);
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 15];
      ++at;
    } else {
      out.append(text.substr(at, length));
      at += length;
    }
  }
  return out;
}

}  // namespace

std::string printable(std::string_view text) {
  return escaped(text, true);
}

std::string one_line(std::string_view value) {
  return escaped(value, false);
}

std::size_t character_count(std::string_view text) {
  std::size_t count = 0;
  for (std::size_t at = 0; at < text.size(); ++count) {
    std::size_t length = utf8_length(text, at);
    at += length == 0 ? 1 : length;
  }
  return count;
}

std::string in_quotes(std::string_view name) {
  return "\"" + one_line(name) + "\"";
}

std::string quoted_list(const std::vector<std::string>& names) {
  std::string out;
  for (std::size_t i = 0; i < names.size() && i < 3; ++i)
    out += (i ? ", " : "") + in_quotes(names[i]);
  if (names.size() > 3) out += " and " + std::to_string(names.size() - 3) + " more";
  return out;
}

std::vector<std::uint32_t> line_starts(std::string_view text) {
  std::vector<std::uint32_t> starts{0};
  for (std::size_t i = text.find('\n'); i != std::string_view::npos; i = text.find('\n', i + 1))
    starts.push_back(static_cast<std::uint32_t>(i + 1));
  return starts;
}

std::pair<int, int> line_and_column(std::string_view text, const std::vector<std::uint32_t>& starts,
                                    std::size_t offset) {
  auto after = std::upper_bound(starts.begin(), starts.end(), offset);
  std::size_t line = static_cast<std::size_t>(after - starts.begin());
  std::size_t start = starts[line - 1];
  return {static_cast<int>(line),
          static_cast<int>(character_count(text.substr(start, offset - start))) + 1};
}

}  // namespace noc
