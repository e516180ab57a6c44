#include "app/diagnostic.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

#include "common/text.h"

namespace noc::app {

const char* severity_name(Severity severity) {
  return severity == Severity::kError ? "error" : "warning";
}

std::string compiler_line(const Diagnostic& d) {
  std::string line = d.file;
  if (d.line > 0) line += ":" + std::to_string(d.line) + ":" + std::to_string(d.column);
  line += ": ";
  line += severity_name(d.severity);
  line += ": ";
  if (!d.node.empty()) line += "node " + in_quotes(d.node) + ": ";
  return line + d.message;
}

void write_json(std::ostream& out, const std::vector<Diagnostic>& diagnostics) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const Diagnostic& d : diagnostics) {
    nlohmann::ordered_json entry;
    entry["file"] = d.file;
    entry["line"] = d.line;
    entry["column"] = d.column;
    entry["severity"] = severity_name(d.severity);
    entry["node"] = d.node;
    entry["message"] = d.message;
    list.push_back(std::move(entry));
  }
  out << list.dump(2) << "\n";
}

bool has_errors(const std::vector<Diagnostic>& diagnostics) {
  return std::any_of(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& d) { return d.severity == Severity::kError; });
}

}  // namespace noc::app
