#include "common/error.h"

#include <cstring>

namespace noc {
namespace {

std::string render(const std::string& message, const std::string& file, int line, int column) {
  if (file.empty()) return "error: " + message;
  std::string out = file;
  if (line > 0) {
    out += ":" + std::to_string(line);
    if (column > 0) out += ":" + std::to_string(column);
  }
  return out + ": error: " + message;
}

}  // namespace

Error::Error(std::string message, std::string file, int line, int column, int errno_value)
    : std::runtime_error(render(message, file, line, column)),
      message_(std::move(message)),
      file_(std::move(file)),
      line_(line),
      column_(column),
      errno_value_(errno_value) {}

Error file_error(const std::string& what_failed, const std::string& path, int err) {
  return Error(what_failed + ": " + std::strerror(err), path, 0, 0, err);
}

}  // namespace noc
