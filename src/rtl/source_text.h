#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace noc::rtl {

/// A position in one source buffer: a byte offset. Line and column are worked out only when a
/// message is printed.
struct SourceLocation {
  std::uint32_t offset = 0;
};

struct LineColumn {
  int line = 1;    ///< 1-based
  int column = 1;  ///< 1-based, counted in bytes
};

/// The whole text of one source file, kept in memory for the duration of a parse; tokens are
/// views into it.
class SourceText {
 public:
  SourceText(std::string path, std::string text) : path_(std::move(path)), text_(std::move(text)) {}
  SourceText(const SourceText&) = delete;
  SourceText& operator=(const SourceText&) = delete;

  const std::string& path() const { return path_; }
  std::string_view text() const { return text_; }

  LineColumn line_column(SourceLocation location) const;

  /// Throws the generator's error for a problem at `location` in this file.
  [[noreturn]] void fail(SourceLocation location, const std::string& message) const;

 private:
  std::string path_;
  std::string text_;
  mutable std::vector<std::uint32_t> line_starts_;  // built on the first error only
};

/// Reads a whole file; a missing, unreadable or non-regular file is an error naming it.
std::string read_source_file(const std::string& path);

}  // namespace noc::rtl
