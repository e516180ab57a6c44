#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/name_index.h"

namespace noc::model {

/// One link of a router to a router neighbour, as the router lists it.
struct RouterLink {
  std::uint32_t neighbour = 0;  ///< the neighbour's node number
  std::uint32_t name = 0;       ///< the link's name, a number of the table's LinkNames
  /// This router is the link's first-named end, the end that declares the link's wires.
  bool first_end = false;
};

/// Every distinct link name of a network, spelled once, numbered in order of first appearance.
/// Both ends of a link usually spell the same name; the writer reads it by number.
class LinkNames {
 public:
  void reserve(std::size_t links);
  /// The number of the name of the link from router `a` to router `b`, whose names both have a
  /// decimal second field, and whether `a` is the link's first-named end.
  std::uint32_t add(std::string_view a, std::string_view b, bool& first_end);
  /// Lets go of the index once every name is in: from then on names are only read, and the
  /// index of a large network is megabytes the writer never uses. No name may be added after.
  void seal();
  std::string_view operator[](std::uint32_t number) const;
  std::size_t size() const { return starts_.size(); }

 private:
  std::string text_;                   ///< every name, one after the other
  std::vector<std::uint32_t> starts_;  ///< where each name starts in text_
  NameIndex index_;
};

/// The link name of routers `a` and `b` as `a` computes it: b's prefix, then the smaller and
/// the larger router number, of any length, in decimal without leading zeros. Nothing when either
/// name lacks a decimal second field.
std::optional<std::string> link_name(std::string_view a, std::string_view b);

/// Whether `router` is the first-named end of its link to `neighbour`, the end that declares
/// the link's wires: the link name reads router prefix, router number, neighbour number. The
/// names' fields are compared as text with the link name, so leading zeros or different prefixes
/// make the test fail on both ends (a quirk kept for existing designs).
bool is_first_end(std::string_view router, std::string_view neighbour);

/// Whether `link`, the name of the link from `router` to `neighbour`, reads router prefix,
/// router number and neighbour number as the names write them: `router` is then the end that
/// declares the link's wires.
bool reads_as_first_end(std::string_view link, std::string_view router, std::string_view neighbour);

}  // namespace noc::model
