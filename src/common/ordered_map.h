#pragma once

#include <string>
#include <string_view>
#include <unordered_map>
#include <utility>
#include <vector>

namespace noc {

/// A map from text keys that remembers the order in which keys were first inserted. Setting a
/// key again keeps its first position and stores the later value, the way the tables of the
/// generator are defined. Lookups are constant time, so large descriptions stay linear.
template <typename Value>
class OrderedMap {
 public:
  using Entry = std::pair<std::string, Value>;

  void set(std::string key, Value value) {
    auto [it, inserted] = index_.try_emplace(key, entries_.size());
    if (inserted) {
      entries_.emplace_back(std::move(key), std::move(value));
    } else {
      entries_[it->second].second = std::move(value);
    }
  }

  const Value* find(std::string_view key) const {
    auto it = index_.find(key);
    return it == index_.end() ? nullptr : &entries_[it->second].second;
  }
  bool contains(std::string_view key) const { return find(key) != nullptr; }

  const std::vector<Entry>& entries() const { return entries_; }
  std::size_t size() const { return entries_.size(); }
  bool empty() const { return entries_.empty(); }
  auto begin() const { return entries_.begin(); }
  auto end() const { return entries_.end(); }

 private:
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
