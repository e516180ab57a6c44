#pragma once

#include <string>
#include <vector>

namespace noc::app {

/// A path written for make: a space, "#" and "\" before either are escaped with "\", "$" is
/// doubled, and ":" is escaped so that it does not end the target.
std::string make_escaped(const std::string& path);

/// The depfile of one generation, in Makefile syntax: "OUTPUT: INPUT INPUT ...", one input a line,
/// so that make, ninja and CMake regenerate the output exactly when an input changes.
std::string depfile_text(const std::string& output, const std::vector<std::string>& inputs);

}  // namespace noc::app
