#pragma once

#include <string>
#include <vector>

namespace noc::verify {

/// Verilator writes the model as many class files and, by default, compiles them as one file
/// that includes them all: one compiler on one core. Here they are shared out between `parts`
/// files, balanced by size, that make compiles side by side. Returns the make variables that
/// build those files instead; nothing when splitting would not pay (one part, or a model small
/// enough that starting a second compiler costs more than it saves).
std::vector<std::string> split_model(const std::string& obj_dir,
                                     const std::string& classes_makefile_text, unsigned parts);

}  // namespace noc::verify
