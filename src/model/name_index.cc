#include "model/name_index.h"

namespace noc::model {

void NameIndex::reserve(std::size_t names) {
  if (count_ > 0 || names * 2 <= slots_.size()) return;
  std::size_t capacity = 16;
  while (capacity < names * 2) capacity *= 2;
  resize(capacity);
}

std::uint32_t NameIndex::hash(std::string_view name) {
  std::uint64_t h = 1469598103934665603ull;  // FNV-1a, then a final mix for the low bits
  for (unsigned char c : name) h = (h ^ c) * 1099511628211ull;
  h ^= h >> 29;
  h *= 0xBF58476D1CE4E5B9ull;
  return static_cast<std::uint32_t>(h ^ (h >> 32));
}

void NameIndex::grow() {
  std::vector<Slot> old = std::move(slots_);
  resize(old.empty() ? 16 : old.size() * 2);
  for (const Slot& slot : old) {
    if (slot.number == 0) continue;
    std::size_t at = slot.hash & mask_;
    while (slots_[at].number != 0) at = (at + 1) & mask_;
    slots_[at] = slot;
  }
}

void NameIndex::resize(std::size_t capacity) {
  slots_.assign(capacity, Slot{});
  mask_ = capacity - 1;
}

}  // namespace noc::model
