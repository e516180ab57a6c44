// noc_soc.generate, noc_soc.verify and noc_soc.dot: what nocgen's subcommands do, returning
// what they print as values.
#include "python/operations.h"

#include <pybind11/stl.h>
#include <pybind11/stl/filesystem.h>

#include <filesystem>
#include <optional>
#include <sstream>

#include "app/description_check.h"
#include "app/dot_graph.h"
#include "app/routes_report.h"
#include "app/soc_generator.h"
#include "common/error.h"
#include "python/support.h"
#include "verify/verify.h"

namespace noc::python {
namespace {

struct GenerateResult {
  std::string path;
  std::size_t routers = 0, tiles = 0, links = 0;
  std::uint64_t bytes = 0;
  bool unchanged = false;
  std::vector<model::Diagnostic> warnings;
};

struct VerifyResult {
  std::string top;
  int links = 0, links_proven = 0, tiles = 0, tiles_proven = 0;
  std::vector<std::string> root_causes, problems, notes;
  int flit_width = 0, channels = 0;
  std::string flit_width_from, channels_from;
  double seconds = 0;
  bool proven = false;
};

// Runs `work` without the GIL, turning a Ctrl-C seen meanwhile into Python's KeyboardInterrupt.
template <typename Work>
auto without_gil(Work work) {
  try {
    py::gil_scoped_release released;
    return work();
  } catch (const PythonSignal&) {
    throw py::error_already_set();
  }
}

GenerateResult generate(const py::object& base_dir, const py::object& description,
                        const py::object& output, bool werror, const py::object& include_dirs,
                        const py::object& defines, const py::object& undefines,
                        const py::object& file_lists, const py::object& waive,
                        const std::string& routing) {
  if (!routing.empty() && !route::algorithm_by_name(routing))
    throw py::value_error("routing: one of \"xy\", \"updown\", \"shortest\", \"auto\"");
  RunOptions options;
  options.routing = routing;
  options.print_line = print_to_python;
  options.rtl = source_options(include_dirs, defines, undefines, file_lists);
  options.warnings = waived_rules(waive);
  options.check_interrupt = check_python_signals;
  options.keep_identical_output = true;
  options.description_may_be_path = true;
  options.refuse_warnings = werror;
  if (!output.is_none()) options.output_path = path_of(output, "output");
  std::string base = path_of(base_dir, "base_dir");
  std::string name = path_of(description, "description");
  RunSummary summary = without_gil([&] { return soc_generator_noc(base, name, options); });
  if (summary.refused)
    throw Error(std::to_string(summary.warnings.size()) + " warning" +
                    (summary.warnings.size() == 1 ? "" : "s") +
                    " with werror=True, nothing written; the first: " +
                    model::render(summary.warnings.front()),
                summary.output_path);
  return GenerateResult{summary.output_path, summary.routers,   summary.tiles,   summary.links,
                        summary.bytes,       summary.unchanged, summary.warnings};
}

VerifyResult verify(const py::object& base_dir, const py::object& top,
                    std::optional<int> flit_width, std::optional<int> channels,
                    const py::object& keep, bool cache, const std::string& description,
                    const py::object& include_dirs, const py::object& defines,
                    const py::object& undefines, const py::object& file_lists,
                    const std::string& routing) {
  verify::VerifyOptions options;
  if (!routing.empty() && !route::algorithm_by_name(routing))
    throw py::value_error("routing: one of \"xy\", \"updown\", \"shortest\", \"auto\"");
  options.routing = routing;
  options.base_dir = path_of(base_dir, "base_dir");
  options.description = description;
  if (description.find('\0') != std::string::npos)
    throw py::value_error("description: embedded null byte");
  if (!top.is_none()) options.top = path_of(top, "top");
  if (!keep.is_none()) options.keep_dir = path_of(keep, "keep");
  options.flit_width = flit_width.value_or(0);
  options.channels = channels.value_or(0);
  if (options.flit_width < 0 || options.channels < 0 || flit_width == 0 || channels == 0)
    throw py::value_error("flit_width and channels are at least 1");
  options.use_cache = cache;
  options.rtl = source_options(include_dirs, defines, undefines, file_lists);
  options.check_interrupt = check_python_signals;
  verify::VerifyReport report = without_gil([&] { return verify::verify_top(options); });
  VerifyResult result;
  result.top = report.top_path;
  result.links = report.wiring.links;
  result.links_proven = report.wiring.links_proven;
  result.tiles = report.wiring.tiles;
  result.tiles_proven = report.wiring.tiles_proven;
  result.root_causes = report.root_causes;
  result.problems = report.root_causes;
  result.problems.insert(result.problems.end(), report.wiring.problems.begin(),
                         report.wiring.problems.end());
  result.notes = report.notes;
  result.flit_width = report.flit_width.value;
  result.flit_width_from = report.flit_width.from;
  result.channels = report.channels.value;
  result.channels_from = report.channels.from;
  result.seconds = report.seconds;
  result.proven = report.proven();
  return result;
}

// The tables as plain data: what nocgen routes --format json prints, read by Python's json.
py::object routes(const py::object& base_dir, const std::string& routing,
                  const py::object& description, const py::object& include_dirs,
                  const py::object& defines, const py::object& undefines,
                  const py::object& file_lists) {
  std::optional<route::Algorithm> algorithm = route::algorithm_by_name(routing);
  if (!algorithm)
    throw py::value_error("routing: one of \"xy\", \"updown\", \"shortest\", \"auto\"");
  model::DesignRequest request;
  request.base_dir = path_of(base_dir, "base_dir");
  request.description = path_of(description, "description");
  request.description_may_be_path = true;
  request.rtl = source_options(include_dirs, defines, undefines, file_lists);
  request.check_interrupt = check_python_signals;
  std::string text = without_gil([&] {
    std::ostringstream out;
    app::write_routes_json(out, app::route_design(request, *algorithm));
    return out.str();
  });
  return py::module_::import("json").attr("loads")(py::str(text));
}

std::string dot(const py::object& base_dir, const py::object& output, const py::object& description,
                const py::object& include_dirs, const py::object& defines,
                const py::object& undefines, const py::object& file_lists) {
  rtl::RtlOptions options = source_options(include_dirs, defines, undefines, file_lists);
  std::string base = path_of(base_dir, "base_dir"), out = path_of(output, "output");
  std::string name = path_of(description, "description");
  without_gil([&] {
    app::CheckReport report =
        app::check_description(base, name, options, true, check_python_signals);
    app::draw_network(report, out);
    return 0;
  });
  return out;
}

}  // namespace

void define_operations(py::module_& m) {
  py::class_<GenerateResult>(m, "GenerateResult", "What noc_soc.generate wrote.")
      .def_property_readonly(
          "path", [](const GenerateResult& r) { return fs_text(r.path); }, "The top's path.")
      .def_readonly("routers", &GenerateResult::routers, "Router instances.")
      .def_readonly("tiles", &GenerateResult::tiles, "Tile instances.")
      .def_readonly("links", &GenerateResult::links, "Router-to-router links.")
      .def_readonly("bytes", &GenerateResult::bytes, "The top's size.")
      .def_readonly("unchanged", &GenerateResult::unchanged,
                    "True when the existing top was identical and kept as it was.")
      .def_readonly("warnings", &GenerateResult::warnings, "The warnings, as Diagnostic objects.")
      .def("__repr__", [](const GenerateResult& r) {
        return fs_text("<GenerateResult " + r.path + ": " + std::to_string(r.routers) +
                       " routers, " + std::to_string(r.tiles) + " tiles, " +
                       std::to_string(r.warnings.size()) + " warnings>");
      });

  py::class_<VerifyResult>(m, "VerifyResult", "What noc_soc.verify proved.")
      .def_property_readonly(
          "top", [](const VerifyResult& r) { return fs_text(r.top); }, "The top verified.")
      .def_readonly("links", &VerifyResult::links, "Links the description makes.")
      .def_readonly("links_proven", &VerifyResult::links_proven, "Links the simulation proved.")
      .def_readonly("tiles", &VerifyResult::tiles, "Tile instances the description makes.")
      .def_readonly("tiles_proven", &VerifyResult::tiles_proven,
                    "Tile instances the simulation proved.")
      .def_readonly("root_causes", &VerifyResult::root_causes,
                    "Connections whose widths differ, one line per module port.")
      .def_readonly("problems", &VerifyResult::problems,
                    "Every problem line: the root causes, then the wiring's.")
      .def_readonly("notes", &VerifyResult::notes, "What verify stood in for.")
      .def_readonly("flit_width", &VerifyResult::flit_width,
                    "NOC_FLIT_WIDTH the simulation ran with.")
      .def_readonly("flit_width_from", &VerifyResult::flit_width_from, "Where it came from.")
      .def_readonly("channels", &VerifyResult::channels, "NOC_CHANNELS the simulation ran with.")
      .def_readonly("channels_from", &VerifyResult::channels_from, "Where it came from.")
      .def_readonly("seconds", &VerifyResult::seconds, "How long verify took.")
      .def_readonly("proven", &VerifyResult::proven, "True when every link and tile is proven.")
      .def("__bool__", [](const VerifyResult& r) { return r.proven; })
      .def("__repr__", [](const VerifyResult& r) {
        return "<VerifyResult " + std::to_string(r.links_proven) + " of " +
               std::to_string(r.links) + " links and " + std::to_string(r.tiles_proven) + " of " +
               std::to_string(r.tiles) + " tiles proven, " + std::to_string(r.problems.size()) +
               " problems>";
      });

  m.def("generate", &generate, py::arg("base_dir"), py::arg("description") = "noc_soc.json",
        py::arg("output") = py::none(), py::arg("werror") = false, NOC_SOURCE_KEYWORDS,
        py::arg("waive") = py::none(), py::arg("routing") = "",
        "Writes the top as nocgen generate does and returns a GenerateResult.\n\n"
        "output: where the top goes instead of base_dir/noc_soc.sv. An identical existing top "
        "is kept with its time stamp (unchanged is then True). werror=True writes nothing when "
        "there are warnings and raises GeneratorError. The source keywords and waive are those "
        "of soc_generator_noc. A design with an error raises GeneratorError. routing (\"xy\", "
        "\"updown\", \"shortest\" or \"auto\") routes the network as nocgen generate "
        "--routing does; routes that can deadlock raise GeneratorError.");
  m.def("routes", &routes, py::arg("base_dir"), py::arg("routing") = "auto",
        py::arg("description") = "noc_soc.json", NOC_SOURCE_KEYWORDS,
        "The port map, the destination numbers and the routing tables as nocgen routes "
        "--format json gives them, as a dict: routing, deadlock_free, cycle, problems, "
        "destinations and routers (each with its slots and routes).");
  m.def("verify", &verify, py::arg("base_dir"), py::arg("top") = py::none(),
        py::arg("flit_width") = py::none(), py::arg("channels") = py::none(),
        py::arg("keep") = py::none(), py::arg("cache") = true,
        py::arg("description") = "noc_soc.json", NOC_SOURCE_KEYWORDS, py::arg("routing") = "",
        "Proves in simulation, as nocgen verify does, that the top (base_dir/noc_soc.sv, or "
        "top) wires what the description says, and returns a VerifyResult (true when every "
        "link and tile is proven). flit_width and channels default to what the design assigns "
        "CONFIG; keep names a folder to build in and keep; cache=False compiles Verilator's "
        "runtime afresh. routing (\"xy\", \"updown\", \"shortest\", \"auto\") also holds "
        "the top to the identity that routing gives, as nocgen verify --routing does. Raises "
        "GeneratorError only when it cannot run (no top, a description "
        "with errors, no Verilator, a build that fails).");
  m.def("dot", &dot, py::arg("base_dir"), py::arg("output"),
        py::arg("description") = "noc_soc.json", NOC_SOURCE_KEYWORDS,
        "Draws the network as nocgen dot does: output ending in .dot or .gv gets DOT text, "
        ".svg, .png and the other formats Graphviz knows are rendered by it. Returns output.");
}

}  // namespace noc::python
