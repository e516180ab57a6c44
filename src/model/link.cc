#include "model/link.h"

#include "common/text.h"

namespace noc::model {
namespace {

// A router name's first two "_"-fields, read once: the prefix, the second field as written, and
// that field as a number. Views only: every link is met from both of its ends, and the names
// are read again for each.
struct RouterName {
  std::string_view prefix;
  std::string_view field;
  DecimalView number;
};

std::optional<RouterName> read_router_name(std::string_view name) {
  std::size_t cut = name.find('_');
  if (cut == std::string_view::npos) return std::nullopt;
  RouterName read;
  read.prefix = name.substr(0, cut);
  read.field = name.substr(cut + 1);
  read.field = read.field.substr(0, read.field.find('_'));
  std::optional<DecimalView> number = read_decimal(read.field);
  if (!number) return std::nullopt;
  read.number = *number;
  return read;
}

void append_number(std::string& out, const DecimalView& number) {
  if (number.negative) out += '-';
  out += number.digits;
}

bool append_link(std::string& out, const RouterName& a, const RouterName& b) {
  bool a_low = compare(a.number, b.number) <= 0;
  out += b.prefix;
  out += '_';
  append_number(out, a_low ? a.number : b.number);
  out += '_';
  append_number(out, a_low ? b.number : a.number);
  return true;
}

bool append_link(std::string& out, std::string_view a, std::string_view b) {
  std::optional<RouterName> name_a = read_router_name(a);
  std::optional<RouterName> name_b = read_router_name(b);
  return name_a && name_b && append_link(out, *name_a, *name_b);
}

// The link name reads the router's prefix and second field, then the neighbour's second field.
bool reads_as_first_end(std::string_view link, const RouterName& router,
                        const RouterName& neighbour) {
  auto take = [&link](std::string_view piece, bool separator_follows) {
    if (link.substr(0, piece.size()) != piece) return false;
    link.remove_prefix(piece.size());
    if (!separator_follows) return true;
    if (link.empty() || link.front() != '_') return false;
    link.remove_prefix(1);
    return true;
  };
  return take(router.prefix, true) && take(router.field, true) && take(neighbour.field, false) &&
         link.empty();
}

}  // namespace

bool reads_as_first_end(std::string_view link, std::string_view router,
                        std::string_view neighbour) {
  // Only the fields as written count here, numbers or not: no number is read.
  std::size_t router_cut = router.find('_'), neighbour_cut = neighbour.find('_');
  if (router_cut == std::string_view::npos || neighbour_cut == std::string_view::npos) return false;
  std::string_view router_field = router.substr(router_cut + 1);
  std::string_view neighbour_field = neighbour.substr(neighbour_cut + 1);
  RouterName as_written{
      router.substr(0, router_cut), router_field.substr(0, router_field.find('_')), {}};
  RouterName other{{}, neighbour_field.substr(0, neighbour_field.find('_')), {}};
  return reads_as_first_end(link, as_written, other);
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
  std::optional<RouterName> name_a = read_router_name(a);
  std::optional<RouterName> name_b = read_router_name(b);
  if (name_a && name_b) append_link(text_, *name_a, *name_b);
  std::string_view name = std::string_view(text_).substr(start);
  first_end = name_a && name_b && reads_as_first_end(name, *name_a, *name_b);
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
