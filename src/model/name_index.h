#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace noc::model {

/// Node numbers by name, in one flat open-addressed table: a description of 65,536 routers is
/// looked up several times per neighbour, and a node-per-entry hash map spends its time in the
/// allocator and in cache misses. The names live elsewhere; `name_of(i)` reads name i.
class NameIndex {
 public:
  /// Sizes an empty index for `names` entries; a filled one grows as it fills.
  void reserve(std::size_t names);

  /// The number stored under `name`, or -1.
  template <typename NameOf>
  std::int64_t find(std::string_view name, const NameOf& name_of) const {
    if (slots_.empty()) return -1;
    std::uint32_t h = hash(name);
    for (std::size_t at = h & mask_;; at = (at + 1) & mask_) {
      const Slot& slot = slots_[at];
      if (slot.number == 0) return -1;
      if (slot.hash == h && name_of(slot.number - 1) == name) return slot.number - 1;
    }
  }

  /// Stores `number` under `name` unless the name is there already; returns the number stored.
  template <typename NameOf>
  std::uint32_t insert(std::string_view name, std::uint32_t number, const NameOf& name_of) {
    if ((count_ + 1) * 2 > slots_.size()) grow();
    std::uint32_t h = hash(name);
    for (std::size_t at = h & mask_;; at = (at + 1) & mask_) {
      Slot& slot = slots_[at];
      if (slot.number == 0) {
        slot = Slot{number + 1, h};
        ++count_;
        return number;
      }
      if (slot.hash == h && name_of(slot.number - 1) == name) return slot.number - 1;
    }
  }

 private:
  // The hash is kept beside the number so that a probe reads a name only when it very likely
  // matches: in a large description every name read is a cache miss.
  struct Slot {
    std::uint32_t number = 0;  ///< number + 1, 0 for empty
    std::uint32_t hash = 0;
  };

  static std::uint32_t hash(std::string_view name);
  void grow();
  void resize(std::size_t capacity);

  std::vector<Slot> slots_;
  std::size_t mask_ = 0;
  std::size_t count_ = 0;
};

}  // namespace noc::model
