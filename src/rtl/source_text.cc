#include "rtl/source_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "common/error.h"
#include "common/input_file.h"

namespace noc::rtl {

LineColumn SourceText::line_column(std::uint32_t offset) const {
  if (line_starts_.empty()) {
    line_starts_.push_back(0);
    for (std::uint32_t i = 0; i < text_.size(); ++i)
      if (text_[i] == '\n') line_starts_.push_back(i + 1);
  }
  auto after = std::upper_bound(line_starts_.begin(), line_starts_.end(), offset);
  std::size_t line = static_cast<std::size_t>(after - line_starts_.begin());
  return {static_cast<int>(line), static_cast<int>(offset - line_starts_[line - 1]) + 1};
}

std::uint32_t SourceManager::add(std::string path, std::string text) {
  buffers_.push_back(std::make_unique<SourceText>(std::move(path), std::move(text)));
  return static_cast<std::uint32_t>(buffers_.size() - 1);
}

std::string_view SourceManager::keep(std::string text) {
  return made_.emplace_back(std::move(text));
}

void SourceManager::fail(SourceLocation location, const std::string& message) const {
  const SourceText& source = buffer(location.buffer);
  LineColumn where = source.line_column(location.offset);
  throw Error(message, source.path(), where.line, where.column);
}

std::string read_source_file(const std::string& path) {
  return read_input_file(path, "source file");
}

}  // namespace noc::rtl
