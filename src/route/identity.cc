#include "route/identity.h"

#include <algorithm>
#include <cctype>

namespace noc::route {

std::string routes_literal(const RoutingTable& table, int router, int outputs, int dests) {
  std::size_t width = static_cast<std::size_t>(outputs) * static_cast<std::size_t>(dests);
  std::vector<bool> bits(width, false);
  const std::vector<int>& out = table.out[static_cast<std::size_t>(router)];
  for (std::size_t d = 0; d < out.size() && d < static_cast<std::size_t>(dests); ++d)
    if (out[d] >= 0 && out[d] < outputs)
      bits[d * static_cast<std::size_t>(outputs) + static_cast<std::size_t>(out[d])] = true;
  std::string hex;
  for (std::size_t top = (width + 3) / 4; top-- > 0;) {
    int digit = 0;
    for (std::size_t b = 0; b < 4; ++b) {
      std::size_t bit = top * 4 + b;
      if (bit < width && bits[bit]) digit |= 1 << b;
    }
    hex += "0123456789abcdef"[digit];
  }
  return std::to_string(width) + "'h" + hex;
}

namespace {

// The value of a based literal's digits, least significant bit first; nothing when a digit does
// not belong to the base (x and z among them).
std::optional<std::vector<bool>> literal_bits(std::string_view digits, char base) {
  std::vector<bool> bits;
  if (base == 'd') {
    unsigned long long value = 0;
    for (char c : digits) {
      if (c < '0' || c > '9' || value > (~0ULL - 9) / 10) return std::nullopt;
      value = value * 10 + static_cast<unsigned>(c - '0');
    }
    for (; value; value >>= 1) bits.push_back(value & 1);
    return bits;
  }
  int per_digit = base == 'h' ? 4 : base == 'o' ? 3 : 1;
  for (std::size_t i = digits.size(); i-- > 0;) {
    char c = static_cast<char>(std::tolower(static_cast<unsigned char>(digits[i])));
    int value = c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : 99;
    if (value >= 1 << per_digit) return std::nullopt;
    for (int b = 0; b < per_digit; ++b) bits.push_back((value >> b) & 1);
  }
  return bits;
}

}  // namespace

std::optional<std::vector<int>> routes_of_literal(std::string_view text, int outputs, int dests) {
  std::string compact;
  for (char c : text)
    if (c != '_' && !std::isspace(static_cast<unsigned char>(c))) compact += c;
  std::size_t tick = compact.find('\'');
  if (tick == std::string::npos || tick + 1 >= compact.size() || outputs <= 0) return std::nullopt;
  std::size_t at = tick + 1;
  if (compact.substr(tick) == "'0") return std::vector<int>(static_cast<std::size_t>(dests), -1);
  if (compact[at] == 's' || compact[at] == 'S') ++at;
  if (at >= compact.size()) return std::nullopt;
  char base = static_cast<char>(std::tolower(static_cast<unsigned char>(compact[at])));
  if (base != 'h' && base != 'b' && base != 'o' && base != 'd') return std::nullopt;
  std::optional<std::vector<bool>> bits = literal_bits(compact.substr(at + 1), base);
  if (!bits) return std::nullopt;
  std::vector<int> out(static_cast<std::size_t>(dests), -1);
  for (std::size_t bit = 0; bit < bits->size(); ++bit) {
    if (!(*bits)[bit]) continue;
    std::size_t d = bit / static_cast<std::size_t>(outputs);
    if (d >= out.size()) return std::nullopt;  // wider than the table
    int slot = static_cast<int>(bit % static_cast<std::size_t>(outputs));
    out[d] = out[d] == -1 ? slot : -2;
  }
  return out;
}

Identity make_identity(const PortMap& map, const RoutingTable& table, int minimum_dests,
                       const std::vector<bool>& router_takes_routes,
                       std::vector<std::string> tile_parameters) {
  Identity identity;
  identity.dests = std::max(minimum_dests, static_cast<int>(map.destinations.size()));
  for (std::size_t r = 0; r < map.routers.size(); ++r)
    identity.routes.push_back(router_takes_routes[r]
                                  ? routes_literal(table, static_cast<int>(r),
                                                   static_cast<int>(map.routers[r].slots.size()),
                                                   identity.dests)
                                  : std::string());
  identity.tile_parameter = std::move(tile_parameters);
  for (std::size_t t = 0; t < identity.tile_parameter.size(); ++t)
    identity.tile_number.push_back(static_cast<int>(t) * map.slots_per_tile);
  return identity;
}

}  // namespace noc::route
