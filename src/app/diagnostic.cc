#include "app/diagnostic.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <ostream>

#include "common/text.h"

namespace noc::app {

std::string compiler_line(const Diagnostic& d) {
  return model::render(d);
}

void write_json(std::ostream& out, const std::vector<Diagnostic>& diagnostics) {
  nlohmann::ordered_json list = nlohmann::ordered_json::array();
  for (const Diagnostic& d : diagnostics) {
    nlohmann::ordered_json entry;
    entry["file"] = printable(d.file);
    entry["line"] = d.line;
    entry["column"] = d.column;
    entry["severity"] = model::severity_name(d.severity());
    entry["code"] = d.code();
    entry["node"] = printable(d.node);
    entry["message"] = printable(d.message);
    list.push_back(std::move(entry));
  }
  out << list.dump(2) << "\n";
}

bool has_errors(const std::vector<Diagnostic>& diagnostics) {
  return std::any_of(diagnostics.begin(), diagnostics.end(),
                     [](const Diagnostic& d) { return d.severity() == Severity::kError; });
}

}  // namespace noc::app
