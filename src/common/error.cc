#include "common/error.h"

#include <cstring>

#include "common/text.h"

namespace noc {

std::string format_problem(const char* severity, const std::string& message,
                           const std::string& file, int line, int column, const std::string& code) {
  std::string tail = code.empty() ? message : message + " [" + code + "]";
  if (file.empty()) return printable(std::string(severity) + ": " + tail);
  std::string out = one_line(file);
  if (line > 0) {
    out += ":" + std::to_string(line);
    if (column > 0) out += ":" + std::to_string(column);
  }
  return printable(out + ": " + severity + ": " + tail);
}

Error::Error(std::string message, std::string file, int line, int column, int errno_value,
             std::string code)
    : std::runtime_error(format_problem("error", message, file, line, column, code)),
      message_(std::move(message)),
      file_(std::move(file)),
      line_(line),
      column_(column),
      errno_value_(errno_value),
      code_(std::move(code)) {}

Error file_error(const std::string& what_failed, const std::string& path, int err) {
  return Error(what_failed + ": " + std::strerror(err), path, 0, 0, err);
}

}  // namespace noc
