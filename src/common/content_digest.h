#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace noc {

/// A 64-bit digest of a byte stream, the same however the stream is cut into pieces: what a
/// reader compares to know that the file it read whole is the file it read piece by piece. Not
/// for adversaries: for a writer racing a reader.
class ContentDigest {
 public:
  void add(std::string_view bytes);
  std::uint64_t value() const;

 private:
  void mix(std::uint64_t word);

  std::uint64_t state_ = 0x9E3779B97F4A7C15ULL;
  std::uint64_t length_ = 0;
  unsigned char pending_[8] = {};
  unsigned pending_size_ = 0;
};

/// The digest of the file at `path` as it is now, read a block at a time; nothing is held but
/// the block. False when it cannot be read.
bool digest_file(const std::string& path, std::uint64_t& digest);

}  // namespace noc
