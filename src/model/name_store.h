#pragma once

#include <cstring>
#include <memory>
#include <string_view>
#include <vector>

namespace noc::model {

/// Texts copied into blocks that never move, so that views of them stay valid as more are
/// added: the names of a description read piece by piece, or let go of their file's text.
class NameStore {
 public:
  std::string_view copy(std::string_view text) {
    if (text.size() > left_) {
      std::size_t size = text.size() > kBlock ? text.size() : kBlock;
      blocks_.push_back(std::make_unique<char[]>(size));
      next_ = blocks_.back().get();
      left_ = size;
    }
    if (!text.empty()) std::memcpy(next_, text.data(), text.size());
    std::string_view copied(next_, text.size());
    next_ += text.size();
    left_ -= text.size();
    return copied;
  }

 private:
  static constexpr std::size_t kBlock = 64 << 10;
  std::vector<std::unique_ptr<char[]>> blocks_;
  char* next_ = nullptr;
  std::size_t left_ = 0;
};

}  // namespace noc::model
