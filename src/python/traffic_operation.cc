// noc_soc.traffic: nocgen traffic's run, its numbers returned as plain data.
#include "python/traffic_operation.h"

#include <pybind11/stl.h>

#include <sstream>

#include "app/traffic_output.h"
#include "python/support.h"
#include "verify/traffic.h"

namespace noc::python {
namespace {

namespace py = pybind11;

py::object traffic(const py::object& base_dir, const std::string& routing,
                   const std::vector<std::string>& patterns, const std::vector<double>& rates,
                   int packet_flits, const std::optional<std::string>& dest_field,
                   std::optional<int> flit_width, long warmup, long measure, std::uint64_t seed,
                   const py::object& keep, bool cache, double timeout,
                   const std::string& description, const py::object& include_dirs,
                   const py::object& defines, const py::object& undefines,
                   const py::object& file_lists) {
  verify::TrafficOptions options;
  options.base_dir = path_of(base_dir, "base_dir");
  options.description = description;
  if (description.find('\0') != std::string::npos)
    throw py::value_error("description: embedded null byte");
  if (!route::algorithm_by_name(routing))
    throw py::value_error("routing: one of \"xy\", \"updown\", \"shortest\", \"auto\"");
  options.routing = routing;
  options.patterns.clear();
  for (const std::string& name : patterns) {
    std::optional<verify::Pattern> pattern = verify::pattern_by_name(name);
    if (!pattern)
      throw py::value_error(
          "patterns: each one of \"all-pairs\", \"uniform\", \"transpose\", "
          "\"bitcomp\", \"hotspot\", \"neighbour\"");
    options.patterns.push_back(*pattern);
  }
  if (options.patterns.empty()) throw py::value_error("patterns: give at least one");
  if (rates.size() != 3) throw py::value_error("rates: (from, to, step)");
  options.rate_from = rates[0];
  options.rate_to = rates[1];
  options.rate_step = rates[2];
  options.packet_flits = packet_flits;
  options.dest_field = dest_field.value_or("");
  if (flit_width && (*flit_width < 8 || *flit_width > 4096))
    throw py::value_error("flit_width: between 8 and 4096");
  options.flit_width = flit_width.value_or(0);
  if (warmup < 0 || measure < 1) throw py::value_error("warmup >= 0 and measure >= 1 cycles");
  options.warmup = warmup;
  options.measure = measure;
  options.seed = seed;
  if (!keep.is_none()) options.keep_dir = path_of(keep, "keep");
  options.use_cache = cache;
  if (!(timeout >= 0)) throw py::value_error("timeout: seconds, 0 for no limit");
  options.timeout_seconds = timeout;
  options.rtl = source_options(include_dirs, defines, undefines, file_lists);
  options.check_interrupt = check_python_signals;
  verify::TrafficReport report;
  try {
    py::gil_scoped_release released;
    report = verify::run_traffic(options);
  } catch (const PythonSignal&) {
    throw py::error_already_set();
  }
  std::ostringstream json;
  app::write_traffic_json(json, report);
  return py::module_::import("json").attr("loads")(py::str(json.str()));
}

}  // namespace

void define_traffic(py::module_& m) {
  m.def("traffic", &traffic, py::arg("base_dir"), py::arg("routing") = "auto",
        py::arg("patterns") = std::vector<std::string>{"all-pairs"},
        py::arg("rates") = std::vector<double>{0.05, 0.5, 0.05}, py::arg("packet_flits") = 4,
        py::arg("dest_field") = py::none(), py::arg("flit_width") = py::none(),
        py::arg("warmup") = 1000, py::arg("measure") = 2000, py::arg("seed") = 1,
        py::arg("keep") = py::none(), py::arg("cache") = true, py::arg("timeout") = 600.0,
        py::arg("description") = "noc_soc.json", NOC_SOURCE_KEYWORDS,
        "Runs the routers of the design under traffic, as nocgen traffic does, and returns its "
        "numbers as a dict: routing, network, destinations, flit_width, dest_field, "
        "packet_flits, passed (every packet arrived once, where it was sent, unchanged), "
        "seconds, notes, points (each load point: pattern, offered, accepted, latency_avg, "
        "latency_p99, latency_max, packets_measured, packets_created, packets_delivered, "
        "cycles, saturated, problems) and patterns (each with its saturation_rate and "
        "saturation_throughput). patterns: \"all-pairs\" or the load patterns \"uniform\", "
        "\"transpose\", \"bitcomp\", \"hotspot\", \"neighbour\", swept over rates (from, to, "
        "step) in flits per cycle per source. Raises GeneratorError when it cannot run.");
}

}  // namespace noc::python
