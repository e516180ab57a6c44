#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace noc {

/// A map from text keys that remembers the order in which keys were first inserted. Setting a
/// key again keeps its first position and stores the later value, the way the tables of the
/// generator are defined. Lookups are constant time, so large descriptions stay linear; a map of
/// a few entries (a router's links, a module's ports) is searched in place and allocates no
/// index, since one such map exists per router.
template <typename Value>
class OrderedMap {
 public:
  using Entry = std::pair<std::string, Value>;

  void set(std::string key, Value value) {
    if (std::size_t at = position(key); at != kNone) {
      entries_[at].second = std::move(value);
      return;
    }
    entries_.emplace_back(std::move(key), std::move(value));
    if (!index_.empty()) {
      index_.emplace(entries_.back().first, entries_.size() - 1);
    } else if (entries_.size() > kLinearLimit) {
      for (std::size_t i = 0; i < entries_.size(); ++i) index_.emplace(entries_[i].first, i);
    }
  }

  void reserve(std::size_t entries) { entries_.reserve(entries); }

  const Value* find(std::string_view key) const {
    std::size_t at = position(key);
    return at == kNone ? nullptr : &entries_[at].second;
  }
  bool contains(std::string_view key) const { return find(key) != nullptr; }

  const std::vector<Entry>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

 private:
  static constexpr std::size_t kLinearLimit = 8;

  static constexpr std::size_t kNone = static_cast<std::size_t>(-1);

  std::size_t position(std::string_view key) const {
    if (index_.empty()) {
      for (std::size_t i = 0; i < entries_.size(); ++i)
        if (entries_[i].first == key) return i;
      return kNone;
    }
    auto it = index_.find(key);
    return it == index_.end() ? kNone : it->second;
  }

  std::vector<Entry> entries_;
  // Transparent hashing lets find() take a string_view without building a string.
  struct Hash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const noexcept {
      return std::hash<std::string_view>{}(text);
    }
  };
  std::unordered_map<std::string, std::size_t, Hash, std::equal_to<>> index_;
};

}  // namespace noc
