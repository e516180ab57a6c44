#pragma once

#include <stdexcept>
#include <string>

namespace noc {

/// The one error type of the generator. It carries where the problem is (a file, and a line and
/// column when the problem is inside that file) and a message in the user's words.
/// `what()` renders it the way compilers do: "file:line:col: error: message".
class Error : public std::runtime_error {
 public:
  explicit Error(std::string message, std::string file = {}, int line = 0, int column = 0,
                 int errno_value = 0, std::string code = {});

  const std::string& message() const { return message_; }
  const std::string& file() const { return file_; }
  int line() const { return line_; }      ///< 1-based; 0 when unknown
  int column() const { return column_; }  ///< 1-based; 0 when unknown
  /// The operating system's error number when the failure came from the file system, else 0.
  int errno_value() const { return errno_value_; }
  /// The code of the rule the problem breaks ("NOC012"), or empty.
  const std::string& code() const { return code_; }

 private:
  std::string message_;
  std::string file_;
  int line_;
  int column_;
  int errno_value_;
  std::string code_;
};

/// "file:line:col: SEVERITY: message [code]", leaving out what is unknown: the one form in which
/// every problem is printed.
std::string format_problem(const char* severity, const std::string& message,
                           const std::string& file, int line, int column, const std::string& code);

/// An error for a failed file-system call on `path`, with the system's own text for `err`.
Error file_error(const std::string& what_failed, const std::string& path, int err);

}  // namespace noc
