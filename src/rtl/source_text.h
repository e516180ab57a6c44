#pragma once

#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace noc::rtl {

/// A position in one of the buffers of a SourceManager: the buffer's number and a byte offset.
/// Line and column are worked out only when a message is printed.
struct SourceLocation {
  std::uint32_t buffer = 0;
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

  LineColumn line_column(std::uint32_t offset) const;

 private:
  std::string path_;
  std::string text_;
  mutable std::vector<std::uint32_t> line_starts_;  // built on the first message only
};

/// Every buffer one parse reads: the source itself and the headers it includes. Buffers and the
/// texts made by macro expansion live as long as the manager, so tokens may keep views of them.
class SourceManager {
 public:
  std::uint32_t add(std::string path, std::string text);
  const SourceText& buffer(std::uint32_t id) const { return *buffers_[id]; }
  std::size_t buffer_count() const { return buffers_.size(); }

  /// Keeps a text made during preprocessing (a pasted token, a string) and returns a view of it.
  std::string_view keep(std::string text);

  /// Throws the generator's error for a problem at `location`.
  [[noreturn]] void fail(SourceLocation location, const std::string& message) const;

 private:
  std::vector<std::unique_ptr<SourceText>> buffers_;
  std::deque<std::string> made_;
};

/// Reads a whole file; a missing, unreadable or non-regular file is an error naming it.
std::string read_source_file(const std::string& path);

}  // namespace noc::rtl
