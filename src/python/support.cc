#include "python/support.h"

#include "common/error.h"
#include "rtl/file_list.h"

namespace noc::python {
namespace {

PyObject* generator_warning = nullptr;

}  // namespace

// Paths and messages hold the file system's bytes; they reach Python as os.fsdecode gives them
// (undecodable bytes as surrogates), never as a UnicodeDecodeError in place of the real error.
py::str fs_text(const std::string& text) {
  PyObject* decoded =
      PyUnicode_DecodeFSDefaultAndSize(text.data(), static_cast<Py_ssize_t>(text.size()));
  if (!decoded) throw py::error_already_set();
  return py::reinterpret_steal<py::str>(decoded);
}

void check_python_signals() {
  py::gil_scoped_acquire gil;
  if (PyErr_CheckSignals() != 0) throw PythonSignal{};
}

namespace {

bool is_one_path(const py::handle& value) {
  return py::isinstance<py::str>(value) || py::isinstance<py::bytes>(value) ||
         py::hasattr(value, "__fspath__");
}

std::string type_name(const py::handle& value) {
  return py::str(py::type::of(value).attr("__name__"));
}

std::string checked(std::string path, const char* argument) {
  if (path.find('\0') != std::string::npos)
    throw py::value_error(std::string(argument) + ": embedded null byte");
  return path;
}

std::string decoded(const py::handle& value, const char* argument) {
  if (!is_one_path(value))
    throw py::type_error(std::string(argument) + ": a path is a str, bytes or os.PathLike, not " +
                         type_name(value));
  // The file system's own bytes: a name that is not UTF-8 keeps them (os.fsencode undoes the
  // surrogates os.fsdecode made of them).
  py::object os = py::module_::import("os");
  return checked(py::bytes(os.attr("fsencode")(value)), argument);
}

}  // namespace

std::vector<std::string> paths_of(const py::object& value, const char* argument) {
  std::vector<std::string> out;
  if (value.is_none()) return out;
  if (is_one_path(value)) {
    out.push_back(decoded(value, argument));
    return out;
  }
  // A mapping iterates over its keys, and a set in no fixed order: neither is a list of paths.
  if (!py::isinstance<py::list>(value) && !py::isinstance<py::tuple>(value))
    throw py::type_error(std::string(argument) + ": a path or a list of paths, not " +
                         type_name(value));
  for (py::handle item : value) out.push_back(decoded(item, argument));
  return out;
}

std::string path_of(const py::object& value, const char* argument) {
  return decoded(value, argument);
}

// include_dirs=, defines=, undefines= and file_lists=, as nocgen's -I, -D, -U and -f.
noc::rtl::RtlOptions source_options(const py::object& include_dirs, const py::object& defines,
                                    const py::object& undefines, const py::object& file_lists) {
  noc::rtl::RtlOptions options;
  options.include_dirs = paths_of(include_dirs, "include_dirs");
  if (py::isinstance<py::dict>(defines) || py::hasattr(defines, "keys")) {
    // {"NAME": value}: a value of None defines the name as empty, as -D NAME does.
    for (py::handle name : defines.attr("keys")()) {
      if (!py::isinstance<py::str>(name))
        throw py::type_error("defines: a macro name is a str, not " +
                             std::string(py::str(py::type::of(name).attr("__name__"))));
      py::object value = defines[name];
      std::string text = py::str(name);
      noc::rtl::check_macro_name(text, text);
      options.defines.emplace_back(text,
                                   value.is_none() ? std::string() : std::string(py::str(value)));
    }
  } else {
    for (const std::string& definition : paths_of(defines, "defines")) {
      noc::rtl::add_define(options, definition);
      noc::rtl::check_macro_name(options.defines.back().first, definition);
    }
  }
  options.undefines = paths_of(undefines, "undefines");
  for (const std::string& name : options.undefines) noc::rtl::check_macro_name(name, name);
  for (const std::string& list : paths_of(file_lists, "file_lists"))
    noc::rtl::append_options(
        options, noc::rtl::read_file_list(list, noc::rtl::ListPaths::kFromWorkingDirectory));
  return options;
}

// waive="NOC124" or waive=["NOC124", "NOC101"]: the rules whose warnings are dropped.
noc::model::WarningPolicy waived_rules(const py::object& waive) {
  noc::model::WarningPolicy policy;
  if (waive.is_none()) return policy;
  std::vector<std::string> codes;
  if (py::isinstance<py::str>(waive))
    codes.push_back(waive.cast<std::string>());
  else
    for (const py::handle& code : waive) codes.push_back(py::str(code).cast<std::string>());
  try {
    noc::model::waive_codes(codes, policy);
  } catch (const noc::Error& error) {
    throw py::value_error(error.message());
  }
  return policy;
}

// Writes the parser's line through sys.stdout, so that notebooks show it and
// contextlib.redirect_stdout captures it.
void print_to_python(const std::string& line) {
  py::gil_scoped_acquire gil;
  py::module_::import("sys").attr("stdout").attr("write")(line + "\n");
}

// Warnings reach a Python caller as Python warnings do: shown once per place by default,
// filtered, or turned into errors with the warnings module.
void warn_before_commit(const std::vector<noc::model::Diagnostic>& warnings) {
  py::gil_scoped_acquire gil;
  for (const noc::model::Diagnostic& warning : warnings) {
    std::string text = noc::model::render(warning);
    // The error stays set for the binding to raise once the run has unwound.
    if (PyErr_WarnEx(generator_warning, text.c_str(), 1) != 0) throw PythonSignal{};
  }
}

void set_generator_warning(PyObject* category) {
  generator_warning = category;
}

}  // namespace noc::python
