#include "common/text.h"

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

std::optional<Decimal> parse_big_decimal(std::string_view text) {
  Decimal number;
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) {
    number.negative = text[0] == '-';
    text.remove_prefix(1);
  }
  if (text.empty()) return std::nullopt;
  for (char c : text)
    if (c < '0' || c > '9') return std::nullopt;
  std::size_t first = text.find_first_not_of('0');
  number.digits = first == std::string_view::npos ? "0" : std::string(text.substr(first));
  if (number.digits == "0") number.negative = false;
  return number;
}

int compare(const Decimal& a, const Decimal& b) {
  if (a.negative != b.negative) return a.negative ? -1 : 1;
  int magnitude = a.digits.size() != b.digits.size() ? (a.digits.size() < b.digits.size() ? -1 : 1)
                                                     : a.digits.compare(b.digits);
  magnitude = magnitude < 0 ? -1 : magnitude > 0 ? 1 : 0;
  return a.negative ? -magnitude : magnitude;
}

bool is_simple_identifier(std::string_view name) {
  if (name.empty()) return false;
  auto letter = [](char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_'; };
  if (!letter(name[0])) return false;
  for (char c : name)
    if (!letter(c) && !(c >= '0' && c <= '9') && c != '$') return false;
  return true;
}

std::string in_quotes(std::string_view name) {
  std::string out = "\"";
  out += name;
  out += '"';
  return out;
}

}  // namespace noc
