#include "model/link.h"

#include "common/text.h"

namespace noc::model {
namespace {

std::optional<Decimal> router_number(std::string_view name) {
  std::optional<std::string_view> field = field_at(name, 1);
  if (!field) return std::nullopt;
  return parse_big_decimal(*field);
}

void append_number(std::string& out, const Decimal& number) {
  if (number.negative) out += '-';
  out += number.digits;
}

bool append_link(std::string& out, std::string_view a, std::string_view b) {
  std::optional<Decimal> number_a = router_number(a);
  std::optional<Decimal> number_b = router_number(b);
  if (!number_a || !number_b) return false;
  bool a_low = compare(*number_a, *number_b) <= 0;
  out += *field_at(b, 0);
  out += '_';
  append_number(out, a_low ? *number_a : *number_b);
  out += '_';
  append_number(out, a_low ? *number_b : *number_a);
  return true;
}

}  // namespace

bool reads_as_first_end(std::string_view link, std::string_view router,
                        std::string_view neighbour) {
  std::optional<std::string_view> f1 = field_at(router, 0);
  std::optional<std::string_view> f2 = field_at(router, 1);
  std::optional<std::string_view> g2 = field_at(neighbour, 1);
  if (!f2 || !g2) return false;
  auto take = [&link](std::string_view piece, bool separator_follows) {
    if (link.substr(0, piece.size()) != piece) return false;
    link.remove_prefix(piece.size());
    if (!separator_follows) return true;
    if (link.empty() || link.front() != '_') return false;
    link.remove_prefix(1);
    return true;
  };
  return take(*f1, true) && take(*f2, true) && take(*g2, false) && link.empty();
}

void LinkNames::reserve(std::size_t links) {
  // The index grows as it fills: growing reads only its slots, and a guess too large would
  // double its memory.
  starts_.reserve(links);
  text_.reserve(links * 10);
}

std::uint32_t LinkNames::add(std::string_view a, std::string_view b, bool& first_end) {
  // The name is spelled at the end of the text and taken back when it is there already.
  std::size_t start = text_.size();
  append_link(text_, a, b);
  std::string_view name = std::string_view(text_).substr(start);
  first_end = reads_as_first_end(name, a, b);
  auto name_of = [this](std::uint32_t i) { return (*this)[i]; };
  auto number = static_cast<std::uint32_t>(starts_.size());
  starts_.push_back(static_cast<std::uint32_t>(start));
  std::uint32_t found = index_.insert(name, number, name_of);
  if (found != number) {
    starts_.pop_back();
    text_.resize(start);
  }
  return found;
}

void LinkNames::seal() {
  index_ = NameIndex();
}

std::string_view LinkNames::operator[](std::uint32_t number) const {
  std::size_t end = number + 1 < starts_.size() ? starts_[number + 1] : text_.size();
  return std::string_view(text_).substr(starts_[number], end - starts_[number]);
}

std::optional<std::string> link_name(std::string_view a, std::string_view b) {
  std::string name;
  if (!append_link(name, a, b)) return std::nullopt;
  return name;
}

bool is_first_end(std::string_view router, std::string_view neighbour) {
  std::optional<std::string> link = link_name(router, neighbour);
  return link && reads_as_first_end(*link, router, neighbour);
}

}  // namespace noc::model
