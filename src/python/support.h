#pragma once

// What the Python module's functions share: how paths, keywords, signals and warnings cross
// between Python and the generator.
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "model/diagnostics.h"
#include "rtl/rtl_options.h"

namespace noc::python {

namespace py = pybind11;

/// Paths and messages hold the file system's bytes; they reach Python as os.fsdecode gives them
/// (undecodable bytes as surrogates), never as a UnicodeDecodeError in place of the real error.
py::str fs_text(const std::string& text);

/// Raised through the generator when Python has a signal to handle (Ctrl-C): the Python error
/// is set already, and the run unwinds to the binding, leaving every output as it was.
struct PythonSignal {};

/// Throws PythonSignal when Python has a signal to handle; takes the GIL to ask.
void check_python_signals();

/// One path, or a list of them; a single str is one path, not a list of characters. A path is a
/// str, bytes or os.PathLike, and one with a NUL is a ValueError naming `argument`, as open()
/// refuses it: the file system would read the path only up to the NUL.
std::vector<std::string> paths_of(const py::object& value, const char* argument);

/// Exactly one path (str, bytes or os.PathLike), checked as paths_of() checks each.
std::string path_of(const py::object& value, const char* argument);

/// include_dirs=, defines=, undefines= and file_lists=, as nocgen's -I, -D, -U and -f.
rtl::RtlOptions source_options(const py::object& include_dirs, const py::object& defines,
                               const py::object& undefines, const py::object& file_lists);

/// waive="NOC124" or waive=["NOC124", "NOC101"]: the rules whose warnings are dropped.
model::WarningPolicy waived_rules(const py::object& waive);

/// Writes a line of the parser through sys.stdout, so that notebooks show it and
/// contextlib.redirect_stdout captures it.
void print_to_python(const std::string& line);

/// Issues each warning as a noc_soc.GeneratorWarning, from a run that has released the GIL and
/// not yet written anything: a warning the filter makes an error ends the run with PythonSignal.
void warn_before_commit(const std::vector<model::Diagnostic>& warnings);
void set_generator_warning(PyObject* category);

}  // namespace noc::python

#define NOC_SOURCE_KEYWORDS                                                             \
  py::kw_only(), py::arg("include_dirs") = py::none(), py::arg("defines") = py::none(), \
                 py::arg("undefines") = py::none(), py::arg("file_lists") = py::none()
