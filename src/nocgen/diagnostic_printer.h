#pragma once

#include <cstdio>
#include <map>
#include <string>

#include "common/error.h"
#include "model/diagnostics.h"

namespace noc::nocgen {

/// How problems are shown: the one-line form scripts read, or as compilers show them on a
/// terminal, followed by the source line and a caret under the column, in colour when wanted.
struct DisplayStyle {
  bool color = false;
  bool source_line = false;
};

/// The style for a stream: `color` is "auto" (a terminal and no NO_COLOR), "always" or "never";
/// the source line is shown on a terminal unless `short_form`.
DisplayStyle style_for(std::FILE* stream, const std::string& color, bool short_form);

/// Prints problems in one style, reading each file it quotes once.
class DiagnosticPrinter {
 public:
  explicit DiagnosticPrinter(DisplayStyle style) : style_(style) {}

  std::string show(const model::Diagnostic& diagnostic);
  std::string show(const Error& error);

 private:
  std::string show(const char* severity, const std::string& file, int line, int column,
                   const std::string& message, const std::string& code);
  /// Line `line` of `file`, or nothing when it cannot be read.
  const std::string* source_line(const std::string& file, int line);

  DisplayStyle style_;
  std::map<std::string, std::string> files_;
  std::string quoted_;
};

}  // namespace noc::nocgen
