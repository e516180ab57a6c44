#pragma once

#include <string>

#include "rtl/rtl_options.h"

namespace noc::rtl {

/// How the paths inside a file list are read.
enum class ListPaths {
  kFromWorkingDirectory,  ///< -f: as written, relative to where the tool runs
  kFromListFolder,        ///< -F: relative to the folder of the list itself
};

/// Reads a file list as Verilator reads one: items separated by white space, "//" and "#"
/// comments to the end of the line, "/* */" comments, $VAR and ${VAR} from the environment,
/// +incdir+DIR[+DIR...], +define+NAME[=VALUE][+...], -I, -D, -U (joined to their value or
/// apart), nested -f and -F. Every other item that does not start with "-" or "+" is a source
/// file, read before the router and tile sources as one compilation unit with them. Options of
/// other tools are skipped, with the value of those known to take one. The result holds what
/// the list says, in its order, nested lists expanded in place.
RtlOptions read_file_list(const std::string& path, ListPaths paths);

/// Adds "NAME" (defined as empty) or "NAME=VALUE", as -D and +define+ give a macro.
void add_define(RtlOptions& options, const std::string& definition);

/// Leaves out of the compilation unit a file that a file list names but that is the output
/// being generated (a list for the whole design names noc_soc.sv too): it may not exist yet, and
/// the top is no source of its own interfaces. A listed file that exists and holds no module
/// noc_top stays: it is a source of the user's, and the run then refuses to write over it.
void drop_unit_file(RtlOptions& options, const std::string& output_path);

/// Refuses a macro name given on the command line (-D, -U, Python's defines=) that no source
/// could ever name: it must be an identifier. `given` is the text as the user wrote it.
void check_macro_name(const std::string& name, const std::string& given);

/// Appends what `more` says to `options`, after what `options` says already.
void append_options(RtlOptions& options, const RtlOptions& more);

}  // namespace noc::rtl
