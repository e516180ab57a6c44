#pragma once

#include <iosfwd>
#include <string>

#include "rtl/extract_rtl.h"

namespace noc::app {

/// Reads a source the way the generator does and writes what it sees. `file` is a path when
/// `base_dir` is empty; otherwise it is located below `base_dir` like a description's source.
void write_port_json(std::ostream& out, const std::string& file, const std::string& base_dir,
                     const rtl::RtlOptions& options = {});

/// The same, as an aligned table for people.
void write_port_table(std::ostream& out, const std::string& file, const std::string& base_dir,
                      const rtl::RtlOptions& options = {});

}  // namespace noc::app
