// The Python module noc_soc: the generator as a scripting host loads it.
#include <pybind11/functional.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <cstring>
#include <memory>

#include "app/description_check.h"
#include "app/soc_generator.h"
#include "app/topology.h"
#include "common/error.h"
#include "emit/text_sink.h"
#include "python/operations.h"
#include "python/support.h"
#include "python/traffic_operation.h"
#include "rtl/extract_rtl.h"
#include "rtl/file_list.h"

namespace py = pybind11;
using namespace noc::python;

namespace {

// Python's view of the extractor: the source is parsed once, when the object is made, and each
// attribute stays empty until the extract_* call that reports it has been made, as scripts
// written for the outside extractor expect.
class PyExtractRtl {
 public:
  PyExtractRtl(const std::string& base_dir, const std::string& file_name,
               noc::rtl::RtlOptions options)
      : source_(noc::rtl::RtlCatalog(base_dir, std::move(options)).parse(file_name)) {}

  void extract_headers() { headers_ = true; }
  void extract_io() { io_ = true; }
  void extract_param() { params_ = true; }
  void extract_module() { module_ = true; }

  const std::string& path() const { return source_.path; }
  std::vector<std::string> includes() const {
    return headers_ ? source_.includes : none<std::string>();
  }
  std::vector<std::string> module_names() const {
    return module_ ? source_.module_names : none<std::string>();
  }
  const std::vector<noc::rtl::PortTuple>& inputs() const {
    return io_ ? source_.first.inputs : empty_ports_;
  }
  const std::vector<noc::rtl::PortTuple>& outputs() const {
    return io_ ? source_.first.outputs : empty_ports_;
  }
  std::vector<noc::rtl::ModuleParameter> params() const {
    return params_ ? source_.first.params : none<noc::rtl::ModuleParameter>();
  }

 private:
  template <typename T>
  static std::vector<T> none() {
    return {};
  }

  noc::rtl::ParsedSource source_;
  std::vector<noc::rtl::PortTuple> empty_ports_;
  bool headers_ = false, io_ = false, params_ = false, module_ = false;
};

py::tuple port_tuple(const noc::rtl::PortTuple& port) {
  py::tuple out(port.pieces.size() + 1);
  for (std::size_t i = 0; i < port.pieces.size(); ++i) out[i] = port.pieces[i];
  out[port.pieces.size()] = port.name_index;
  return out;
}

py::list type_list(const std::vector<noc::rtl::PortTuple>& ports) {
  py::list out;
  for (const noc::rtl::PortTuple& port : ports) out.append(port.type_text);
  return out;
}

constexpr const char* kExtractRtlDoc =
    "The interface of one SystemVerilog source, as the generator reads it.\n\n"
    "Each port is a tuple of text pieces followed by the index of the piece that holds the "
    "name:\n"
    "  input [INPUTS-1:0][FLIT_WIDTH-1:0] in_flit\n"
    "    -> ('[INPUTS-1:0]', '[FLIT_WIDTH-1:0]', ' ', 'in_flit', 3)\n"
    "  input clk -> ('', '', ' ', 'clk', 3)\n"
    "  output logic o [4] -> ('', '', ' ', 'o', ' [4]', 3)  (unpacked dimensions: one more "
    "piece after the name)\n"
    "The pieces are the outer packed dimension, the inner ones joined, a space, the name and "
    "the unpacked dimensions; joining them gives the declaration without its data type, which "
    "input_types and output_types give. The last item is always the name's index.";

py::list port_list(const std::vector<noc::rtl::PortTuple>& ports) {
  py::list out;
  for (const noc::rtl::PortTuple& port : ports) out.append(port_tuple(port));
  return out;
}

}  // namespace

namespace {

py::module_::module_def noc_soc_definition;
void define_noc_soc(py::module_& m);

}  // namespace

// pybind11 keeps its state once per process, and taking it from a subinterpreter waits forever
// for the main interpreter's lock; the module says so instead.
extern "C" PYBIND11_EXPORT PyObject* PyInit_noc_soc() {
  if (PyInterpreterState_Get() != PyInterpreterState_Main()) {
    PyErr_SetString(PyExc_ImportError,
                    "noc_soc cannot be imported in a subinterpreter; import it in the main "
                    "interpreter");
    return nullptr;
  }
  PYBIND11_CHECK_PYTHON_VERSION
  PYBIND11_ENSURE_INTERNALS_READY
  auto m = py::module_::create_extension_module("noc_soc", nullptr, &noc_soc_definition);
  try {
    define_noc_soc(m);
    return m.ptr();
  }
  PYBIND11_CATCH_INIT_EXCEPTIONS
}

namespace {

void define_noc_soc(py::module_& m) {
  m.doc() = "Writes the top-level SystemVerilog (noc_soc.sv, module noc_top) of a network-on-chip.";
  m.attr("__version__") = NOC_SOC_VERSION;
  static py::exception<noc::Error> generator_error(m, "GeneratorError", PyExc_RuntimeError);
  generator_error.attr("__doc__") =
      "A design the generator refuses, or a file it cannot read or write. str() is the message "
      "nocgen prints (FILE:LINE:COL: error: ... [CODE]); file, line, column and code carry its "
      "parts, None where unknown. File-system failures are raised as OSError instead.";
  PyObject* generator_warning = PyErr_NewExceptionWithDoc(
      "noc_soc.GeneratorWarning",
      "What generates but gives hardware that is likely wrong (nocgen's warning lines); str() "
      "is the line nocgen prints.",
      PyExc_UserWarning, nullptr);
  if (!generator_warning) throw py::error_already_set();
  set_generator_warning(generator_warning);
  m.attr("GeneratorWarning") = py::reinterpret_borrow<py::object>(generator_warning);
  py::register_exception_translator([](std::exception_ptr failure) {
    try {
      if (failure) std::rethrow_exception(failure);
    } catch (const noc::Error& error) {
      if (error.errno_value() != 0) {
        py::object os_error = py::reinterpret_borrow<py::object>(PyExc_OSError)(
            error.errno_value(), fs_text(error.message()), fs_text(error.file()));
        PyErr_SetObject(PyExc_OSError, os_error.ptr());
        return;
      }
      // The error's place and rule as attributes, so that a script need not parse the text.
      py::object instance =
          py::reinterpret_borrow<py::object>(generator_error.ptr())(fs_text(error.what()));
      auto known = [](const std::string& text) -> py::object {
        return text.empty() ? py::object(py::none()) : py::object(fs_text(text));
      };
      auto number = [](int value) -> py::object {
        return value > 0 ? py::object(py::int_(value)) : py::object(py::none());
      };
      instance.attr("file") = known(error.file());
      instance.attr("line") = number(error.line());
      instance.attr("column") = number(error.column());
      instance.attr("code") = known(error.code());
      PyErr_SetObject(generator_error.ptr(), instance.ptr());
    }
  });

  m.def(
      "soc_generator_noc",
      [](const py::object& base_dir, const py::object& in_json_file, const py::object& include_dirs,
         const py::object& defines, const py::object& undefines, const py::object& file_lists,
         const py::object& waive) {
        noc::RunOptions options;
        options.print_line = print_to_python;
        options.rtl = source_options(include_dirs, defines, undefines, file_lists);
        options.warnings = waived_rules(waive);
        options.check_interrupt = check_python_signals;
        options.warnings_before_commit = warn_before_commit;
        std::string base = path_of(base_dir, "base_dir");
        std::string name = path_of(in_json_file, "in_json_file");
        noc::RunSummary summary;
        try {
          py::gil_scoped_release released;  // other Python threads run while the file is written
          summary = noc::soc_generator_noc(base, name, options);
        } catch (const PythonSignal&) {
          throw py::error_already_set();
        }
      },
      py::arg("base_dir"), py::arg("in_json_file"), NOC_SOURCE_KEYWORDS,
      py::arg("waive") = py::none(),
      "Generates base_dir/noc_soc.sv from the description named in_json_file below base_dir.\n\n"
      "The keywords read the sources as nocgen's -I, -D, -U and -f do: include_dirs (paths "
      "searched first for `include files), defines (a mapping of NAME to value or None, or "
      "NAME[=VALUE] strings), undefines (names) and file_lists (Verilator file lists, paths in "
      "them relative to the working directory; their source files are read before each router "
      "and tile source as one compilation unit). waive names rules (\"NOC124\" or a list of codes) "
      "whose warnings are dropped, as nocgen's -Wno-NOC124; errors cannot be waived.");

  py::class_<noc::model::Diagnostic>(m, "Diagnostic", "One problem that check found.")
      .def_property_readonly(
          "severity",
          [](const noc::model::Diagnostic& d) { return noc::model::severity_name(d.severity()); },
          "'error' (a generation would stop) or 'warning' (it generates a likely wrong top).")
      .def_property_readonly(
          "code", [](const noc::model::Diagnostic& d) { return d.code(); },
          "The rule's code, 'NOC001' and so on (the README's table).")
      .def_property_readonly(
          "file", [](const noc::model::Diagnostic& d) { return fs_text(d.file); },
          "The file the problem is in.")
      .def_readonly("line", &noc::model::Diagnostic::line, "1-based; 0 when it has no place.")
      .def_readonly("column", &noc::model::Diagnostic::column, "1-based; 0 when it has no place.")
      .def_property_readonly(
          "node", [](const noc::model::Diagnostic& d) { return fs_text(d.node); },
          "The description's node at fault; '' for the whole description.")
      .def_property_readonly(
          "message", [](const noc::model::Diagnostic& d) { return fs_text(d.message); },
          "What is wrong, in words.")
      .def("__str__",
           [](const noc::model::Diagnostic& d) { return fs_text(noc::model::render(d)); })
      .def("__repr__", [](const noc::model::Diagnostic& d) {
        return fs_text("<Diagnostic " + std::string(d.code()) + " " + noc::model::render(d) + ">");
      });

  m.def(
      "check",
      [](const py::object& base_dir, const py::object& description, const py::object& include_dirs,
         const py::object& defines, const py::object& undefines, const py::object& file_lists,
         const py::object& waive, const std::string& routing) {
        noc::rtl::RtlOptions options = source_options(include_dirs, defines, undefines, file_lists);
        noc::model::WarningPolicy policy = waived_rules(waive);
        std::string base = path_of(base_dir, "base_dir");
        std::string name = path_of(description, "description");
        std::optional<noc::route::Algorithm> algorithm = noc::route::algorithm_by_name(routing);
        if (!routing.empty() && !algorithm)
          throw py::value_error("routing: one of \"xy\", \"updown\", \"shortest\", \"auto\"");
        try {
          py::gil_scoped_release released;
          return noc::app::check_description(base, name, options, false, check_python_signals,
                                             policy, algorithm)
              .diagnostics;
        } catch (const PythonSignal&) {
          throw py::error_already_set();
        }
      },
      py::arg("base_dir"), py::arg("description") = "noc_soc.json", NOC_SOURCE_KEYWORDS,
      py::arg("waive") = py::none(), py::arg("routing") = "",
      "Every problem of a design, as nocgen check finds them, sorted by file and place. The "
      "keywords are those of soc_generator_noc; routing (\"xy\", \"updown\", \"shortest\", "
      "\"auto\") checks the routes too, as nocgen check --routing does.");

  define_operations(m);
  define_traffic(m);

  m.def(
      "topology",
      [](const std::string& kind, int width, int height, int tiles_per_router) {
        noc::app::TopologyRequest request;
        request.kind = noc::app::parse_topology_kind(kind);
        request.width = width;
        request.height = height;
        request.tiles_per_router = tiles_per_router;
        noc::app::check_topology_size(width, height, tiles_per_router);
        noc::emit::StringSink text;
        noc::app::write_topology(text, request);
        return py::module_::import("json").attr("loads")(text.text());
      },
      py::arg("kind"), py::arg("width"), py::arg("height"), py::arg("tiles_per_router") = 1,
      "The description of a mesh, torus or ring as a dict, nodes in file order.");

  py::class_<PyExtractRtl>(m, "ExtractRtl", kExtractRtlDoc)
      .def(py::init([](const py::object& base_dir, const py::object& name,
                       const py::object& include_dirs, const py::object& defines,
                       const py::object& undefines, const py::object& file_lists) {
             return PyExtractRtl(path_of(base_dir, "base_dir"), path_of(name, "file_name"),
                                 source_options(include_dirs, defines, undefines, file_lists));
           }),
           py::arg("base_dir"), py::arg("file_name"), NOC_SOURCE_KEYWORDS,
           "Reads file_name below base_dir; the keywords are those of soc_generator_noc.")
      .def(
          "extract_headers", [](PyExtractRtl& x) { x.extract_headers(); },
          "Fills includes: the `include entries of the source, in file order.")
      .def(
          "extract_io", [](PyExtractRtl& x) { x.extract_io(); },
          "Fills inputs, outputs, input_types and output_types.")
      .def(
          "extract_param", [](PyExtractRtl& x) { x.extract_param(); },
          "Fills params: (name, default text) of the first module's parameters, those an "
          "old-style module declares in its body included.")
      .def(
          "extract_module", [](PyExtractRtl& x) { x.extract_module(); },
          "Fills module_names: every module of the file, in file order.")
      .def_property_readonly(
          "path", [](PyExtractRtl& x) { return x.path(); }, "The source's absolute path.")
      .def_property_readonly(
          "includes", [](PyExtractRtl& x) { return x.includes(); },
          "The source's `include entries, after extract_headers().")
      .def_property_readonly(
          "module_names", [](PyExtractRtl& x) { return x.module_names(); },
          "The file's modules, after extract_module().")
      .def_property_readonly(
          "inputs", [](PyExtractRtl& x) { return port_list(x.inputs()); },
          "The first module's inputs as port tuples, after extract_io().")
      .def_property_readonly(
          "outputs", [](PyExtractRtl& x) { return port_list(x.outputs()); },
          "The first module's outputs as port tuples, after extract_io().")
      .def_property_readonly(
          "input_types", [](PyExtractRtl& x) { return type_list(x.inputs()); },
          "The data type of each input as written ('' when none, 'logic', 'pkg::flit_t'), in "
          "the order of inputs, after extract_io().")
      .def_property_readonly(
          "output_types", [](PyExtractRtl& x) { return type_list(x.outputs()); },
          "The data type of each output as written, in the order of outputs.")
      .def_property_readonly(
          "params",
          [](PyExtractRtl& x) {
            py::list out;
            for (const noc::rtl::ModuleParameter& p : x.params())
              out.append(py::make_tuple(p.name, p.default_text));
            return out;
          },
          "(name, default text) per parameter, after extract_param().");
}

}  // namespace
