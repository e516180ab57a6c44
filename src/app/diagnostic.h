#pragma once

#include <iosfwd>
#include <string>
#include <vector>

#include "model/diagnostics.h"

namespace noc::app {

using model::Diagnostic;
using model::Severity;

/// "FILE:LINE:COL: error: node "R_3": message [NOC015]", the form editors and CI annotate.
std::string compiler_line(const Diagnostic& diagnostic);

/// The diagnostics as one JSON array of objects, for CI.
void write_json(std::ostream& out, const std::vector<Diagnostic>& diagnostics);

bool has_errors(const std::vector<Diagnostic>& diagnostics);

}  // namespace noc::app
