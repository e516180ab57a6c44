#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

#include "common/content_digest.h"

namespace noc {

/// A file read front to back through one buffer: a reader that copies out what it keeps holds a
/// few megabytes of a large file at a time instead of all of it.
class FileWindow {
 public:
  /// Reads `fd` from its start, `block` bytes at a time (more while one token is longer).
  explicit FileWindow(int fd, std::size_t block = std::size_t{4} << 20);

  /// Drops the window's bytes before `keep`, moves the rest to the front, reads on after them
  /// and sets `text` to the new window; `shift` is how far the kept bytes moved. False when
  /// nothing more could be read: the end of the file, or a read error (failed()).
  bool refill(std::size_t keep, std::string_view& text, std::size_t& shift);

  /// The file offset of the window's first byte.
  std::uint64_t base() const { return base_; }
  /// Bytes read from the file so far.
  std::uint64_t end() const { return base_ + size_; }
  bool failed() const { return failed_; }
  /// The digest of every byte read so far.
  std::uint64_t digest() const { return digest_.value(); }

 private:
  int fd_;
  std::unique_ptr<char[]> buffer_;
  std::size_t capacity_;
  std::size_t size_ = 0;
  std::uint64_t base_ = 0;
  bool at_end_ = false;
  bool failed_ = false;
  ContentDigest digest_;
};

}  // namespace noc
