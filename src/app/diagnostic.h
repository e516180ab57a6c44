#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace noc::app {

enum class Severity { kError, kWarning };

/// One problem found in a description, located at the record of the node it concerns.
struct Diagnostic {
  Severity severity = Severity::kError;
  std::string file;
  int line = 0;  ///< 1-based; 0 when the problem has no place in the file
  int column = 0;
  std::string node;   ///< the node at fault; empty for problems of the whole description
  std::string other;  ///< a second node the problem involves (the far end of a link), or empty
  std::string message;
};

const char* severity_name(Severity severity);

/// "FILE:LINE:COL: error: node "R_3": message", the form editors and CI annotate.
std::string compiler_line(const Diagnostic& diagnostic);

/// The diagnostics as one JSON array of objects, for CI.
void write_json(std::ostream& out, const std::vector<Diagnostic>& diagnostics);

bool has_errors(const std::vector<Diagnostic>& diagnostics);

}  // namespace noc::app
