#pragma once

#include <string>
#include <vector>

namespace noc::app {

/// A path written for make: a space, "#" and "\" before either are escaped with "\", "$" is
/// doubled, and ":" is escaped so that it does not end the target.
std::string make_escaped(const std::string& path);

/// Refuses, naming the path, the character and the reader, a path that GNU make or ninja would
/// not read back from a depfile as the same file, whatever the escaping: "=" (make: a variable),
/// ";" and "|" (make: a recipe, order-only prerequisites; ninja stops there), "*", "?" and "["
/// (make: a wildcard), "%" in the target (make: a pattern rule), the characters at which ninja's
/// reader ends a name ("&", quotes, "^", "<", ">"), and control characters (tab, line breaks).
void check_depfile_path(const std::string& path, bool is_target);

/// The depfile of one generation, in Makefile syntax: "OUTPUT: INPUT INPUT ...", one input a line,
/// so that make, ninja and CMake regenerate the output exactly when an input changes.
std::string depfile_text(const std::string& output, const std::vector<std::string>& inputs);

}  // namespace noc::app
