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
  std::string text = read_input_file(path, "source file");
  // Windows editors save UTF-16 with a byte order mark; read as bytes, every other byte is NUL
  // and no module is found. Say what the file is instead.
  bool utf16_mark = text.size() >= 2 && ((static_cast<unsigned char>(text[0]) == 0xFF &&
                                          static_cast<unsigned char>(text[1]) == 0xFE) ||
                                         (static_cast<unsigned char>(text[0]) == 0xFE &&
                                          static_cast<unsigned char>(text[1]) == 0xFF));
  bool nul_early = text.find('\0') < std::min<std::size_t>(text.size(), 512);
  if (utf16_mark || nul_early)
    throw Error(utf16_mark ? "the source is UTF-16 text; save it as UTF-8 (or ASCII), as "
                             "Verilator and other SystemVerilog tools read it"
                           : "the source holds NUL bytes, so it is no SystemVerilog text (UTF-16 "
                             "without a byte order mark, or a binary file?); save it as UTF-8",
                path, 1, 1);
  return text;
}

}  // namespace noc::rtl
