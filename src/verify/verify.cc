#include "verify/verify.h"

#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>

#include "common/error.h"
#include "common/input_file.h"
#include "common/text.h"
#include "model/convention_rules.h"
#include "model/design.h"
#include "model/design_config.h"
#include "model/dimension_width.h"
#include "model/tile_interface.h"
#include "model/top_contract.h"
#include "route/design_routes.h"
#include "verify/bench.h"
#include "verify/compile_set.h"
#include "verify/identity_check.h"
#include "verify/probe_code.h"
#include "verify/process.h"
#include "verify/simulation_build.h"
#include "verify/width_report.h"
#include "verify/work_dir.h"

namespace noc::verify {
namespace {

namespace fs = std::filesystem;

// The wires that two stand-in outputs drive, read from the top's text.
std::vector<SharedWire> shared_top_wires(const std::string& top_text,
                                         const std::vector<ModulePorts>& modules) {
  std::set<std::string> names;
  for (const ModulePorts& module : modules) names.insert(module.module);
  auto is_output = [&](const std::string& module, const std::string& port) {
    for (const ModulePorts& m : modules)
      if (m.module == module)
        for (const ProbedPort& p : m.ports)
          if (p.name == port) return !p.input;
    return false;
  };
  return shared_wires(read_top_instances(top_text, names), is_output);
}

// Verilator warns of a wire driven twice where an output meets a concatenation; wires the
// top's text already named are left to that line, which names the drivers.
std::vector<std::string> multiple_drivers(const std::string& build_log, const std::string& top,
                                          const std::vector<SharedWire>& named) {
  std::set<std::string> named_wires;
  for (const SharedWire& wire : named) named_wires.insert(wire.wire.substr(0, wire.wire.find('[')));
  std::vector<std::string> problems;
  constexpr std::string_view kWarning = "%Warning-MULTIDRIVEN: ";
  std::ifstream in(build_log);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(kWarning, 0) != 0) continue;
    std::string rest = line.substr(kWarning.size());
    if (rest.rfind(top + ":", 0) != 0) continue;
    std::size_t quote = rest.find('\'');
    std::size_t end = quote == std::string::npos ? quote : rest.find('\'', quote + 1);
    std::size_t bits = rest.find("Bits ");
    std::size_t of = rest.find(" of signal");
    std::size_t place_end = rest.find(": ", top.size() + 1);
    if (end == std::string::npos || place_end == std::string::npos) continue;
    if (named_wires.count(rest.substr(quote + 1, end - quote - 1))) continue;
    std::string range = bits != std::string::npos && of != std::string::npos && of > bits
                            ? " (bits " + rest.substr(bits + 5, of - bits - 5) + ")"
                            : "";
    problems.push_back(rest.substr(0, place_end) + ": wire " +
                       rest.substr(quote + 1, end - quote - 1) +
                       " is driven by more than one output" + range);
  }
  return problems;
}

struct StandIns {
  std::string text;
  std::vector<ModulePorts> modules;
  std::vector<std::string> sources;               ///< their texts, for the packages they name
  std::vector<const rtl::ModuleHeader*> headers;  ///< of each module, as its source declares it
};

// One stand-in per module that the plan instantiates, read from the source it names.
StandIns write_stand_ins(const model::Resolution& resolution, rtl::RtlCatalog& catalog) {
  std::vector<std::pair<std::string, std::string>> wanted;  // module, source
  auto want = [&](std::string_view module, std::string_view source) {
    for (const auto& [name, from] : wanted)
      if (name == module) return;
    wanted.emplace_back(module, source);
  };
  for (const model::RouterBlock& block : resolution.plan->blocks) {
    want(block.module, block.router->top_module_fname());
    for (const model::TileInstance& tile : block.tiles)
      want(tile.module, tile.node->top_module_fname);
  }
  StandIns out;
  for (const auto& [module, source] : wanted) {
    const rtl::ParsedSource& parsed = catalog.parse(source);
    StandIn stand_in =
        write_stand_in(parsed.first, parsed.path, static_cast<int>(out.modules.size()));
    out.modules.push_back(ModulePorts{module, std::move(stand_in.ports)});
    out.headers.push_back(&parsed.first);
    out.sources.push_back(stand_in.text);
    out.text += stand_in.text + "\n";
  }
  return out;
}

// The flag, else what the design assigns, else the default.
UsedValue used_value(int flag, const char* flag_name,
                     const std::optional<model::ConfigValue>& design, int fallback) {
  if (flag > 0) return UsedValue{flag, flag_name};
  if (design) return UsedValue{design->value, design->from};
  return UsedValue{fallback, "the default"};
}

// A port whose width depends on a parameter noc_top has a value of its own for, and the module
// another default: the parameter names the cause.
std::optional<std::string> port_width_cause(const StandIns& stand_ins, const VerifyReport& report,
                                            const std::string& module, const std::string& port) {
  const std::map<std::string, int> top = {{"FLIT_WIDTH", report.flit_width.value},
                                          {"CHANNELS", report.channels.value},
                                          {"VCHANNELS", model::kTopVirtualChannels}};
  for (const rtl::ModuleHeader* header : stand_ins.headers) {
    if (header->name != module) continue;
    const rtl::PortTuple* tuple = nullptr;
    for (const auto* list : {&header->inputs, &header->outputs})
      for (const rtl::PortTuple& p : *list)
        if (p.name() == port) tuple = &p;
    if (!tuple) return std::nullopt;
    model::NameValue own = model::parameter_values(header->params);
    bool sized_by_slots = false;
    for (std::size_t i = 0; i < tuple->pieces.size(); ++i) {
      if (i == tuple->name_index) continue;
      for (const std::string& name : model::dimension_identifiers(tuple->pieces[i])) {
        sized_by_slots |= name == "INPUTS" || name == "OUTPUTS";
        auto ours = top.find(name);
        std::optional<std::int64_t> theirs = own(name);
        if (ours != top.end() && theirs && *theirs != ours->second)
          return module + "'s " + name + " = " + std::to_string(*theirs) + "; noc_top's " + name +
                 " = " + std::to_string(ours->second);
      }
    }
    if (sized_by_slots && report.channels.value != model::kSlotsPerTile)
      return "noc_top gives every tile two slots of its router, and this simulation has "
             "NOC_CHANNELS = " +
             std::to_string(report.channels.value) + " (" + report.channels.from + ")";
    return std::nullopt;
  }
  return std::nullopt;
}

// A router output whose own width is right still meets link wires declared with its partner
// input's dimensions; the partner's cause is its cause.
WidthCause width_cause(const StandIns& stand_ins, const VerifyReport& report) {
  return [&stand_ins, &report](const std::string& module,
                               const std::string& port) -> std::optional<std::string> {
    if (std::optional<std::string> own = port_width_cause(stand_ins, report, module, port))
      return own;
    std::string partner = model::router_partner_name(port);
    if (partner == port) return std::nullopt;
    if (std::optional<std::string> theirs = port_width_cause(stand_ins, report, module, partner))
      return "its link wires are declared with the dimensions of " + partner + ", where " + *theirs;
    return std::nullopt;
  };
}

// Numbers every instance by its name and returns the seed that keeps the numbers distinct.
std::uint32_t number_instances(ExpectedWiring& wiring) {
  if (wiring.instances.size() >= kMaxInstances / 16)
    throw Error("the network has more instances than verify can number");
  std::vector<std::string> names;
  for (const ExpectedInstance& instance : wiring.instances) names.push_back(instance.instance);
  std::uint32_t seed = distinct_seed(names);
  for (ExpectedInstance& instance : wiring.instances)
    instance.number = instance_number(instance.instance, seed);
  return seed;
}

std::vector<std::string> identity_problems_of(const model::Design& design,
                                              const route::DesignRoutes& routes,
                                              const std::string& top_text) {
  std::set<std::string> modules;
  std::vector<std::string> router_modules;
  for (const model::RouterBlock& block : design.resolution->plan->blocks) {
    router_modules.push_back(design.catalog->parse(block.router->top_module_fname()).first.name);
    modules.insert(router_modules.back());
  }
  for (const model::TileInstance& tile : design.resolution->plan->tiles)
    modules.insert(std::string(tile.module));
  return identity_problems(read_top_instances(top_text, modules), routes, router_modules);
}

}  // namespace

VerifyReport verify_top(const VerifyOptions& options) {
  auto start = std::chrono::steady_clock::now();
  VerifyReport report;
  if (options.flit_width < 0 || options.channels < 0)
    throw Error("the flit width and the channel count must be at least 1");
  std::optional<std::string> verilator = find_on_path(options.verilator);
  if (!verilator)
    throw Error(
        "verify simulates with Verilator, which is not on PATH; install the Debian "
        "package verilator (apt-get install verilator)");

  report.top_path =
      absolute_path(options.top.empty() ? model::default_top_path(options.base_dir) : options.top);
  model::DesignRequest request;
  request.base_dir = options.base_dir;
  request.description = options.description;
  request.description_may_be_path = true;
  request.rtl = options.rtl;
  request.top_path = report.top_path;
  request.warnings = options.warnings;
  request.check_interrupt = options.check_interrupt;
  request.routing = !options.routing.empty();
  model::Design design = model::load_design(request);
  if (const model::Diagnostic* error = design.first_error()) throw model::to_error(*error);
  report.warnings = design.warnings();
  if (!design.resolution->plan)
    throw Error("the description gives no network to verify", options.base_dir);
  const model::Resolution& resolution = *design.resolution;
  rtl::RtlCatalog& catalog = *design.catalog;
  struct stat st {};
  if (::stat(report.top_path.c_str(), &st) != 0)
    throw Error("there is no top to verify; run nocgen generate " + options.base_dir + " first",
                report.top_path);
  std::string top_text = read_input_file(report.top_path, "top");
  std::optional<route::DesignRoutes> routes;
  if (!options.routing.empty()) routes = route::sound_routes(design, options.routing);

  model::DesignConfig config =
      model::read_design_config(*design.tree, &catalog.parse(model::kRouterSourceName).first);
  report.flit_width = used_value(options.flit_width, "--flit-width", config.flit_width, 32);
  report.channels =
      used_value(options.channels, "--channels", config.channels, model::kSlotsPerTile);
  report.notes = config.notes;
  ExpectedWiring expected = expected_wiring(resolution, report.channels.value);

  rtl::ParsedSource top = rtl::parse_source_text(report.top_path, top_text);
  StandIns stand_ins = write_stand_ins(resolution, catalog);
  CompileSet compile = gather_compile_set(catalog, report.top_path, top_text, stand_ins.sources,
                                          options.rtl.unit_files);
  report.notes.insert(report.notes.end(), compile.notes.begin(), compile.notes.end());

  WorkDir work(options.keep_dir, "nocgen-verify-");
  for (const auto& [name, text] : compile.written) work.write(name, text);
  work.write("noc_verify_probe.sv", probe_package_text(number_instances(expected)));
  work.write("stand_ins.sv", stand_ins.text);
  // The top's own clk and rst are the outputs of one more module, numbered after the stand-ins.
  std::vector<ProbedPort> top_ports;
  for (const char* port : kTopPorts) top_ports.push_back(ProbedPort{port, false, true});
  stand_ins.modules.push_back(ModulePorts{kTopInstance, std::move(top_ports)});
  work.write("noc_verify_bench.sv",
             bench_text(top.first, report.flit_width.value, report.channels.value,
                        static_cast<int>(stand_ins.modules.size() - 1)));

  SimulationBuild build{*verilator,
                        kBenchModule,
                        {"-I" + work.path()},
                        work.path(),
                        options.use_cache,
                        options.timeout_seconds,
                        options.check_interrupt};
  for (const std::string& dir : options.rtl.include_dirs) build.arguments.push_back("-I" + dir);
  for (const std::string& dir : compile.include_dirs) build.arguments.push_back("-I" + dir);
  for (const auto& [name, text] : compile.written)
    if (name.ends_with(".sv")) build.arguments.push_back(work.file(name));
  for (const std::string& file : compile.package_files) build.arguments.push_back(file);
  for (const char* file : {"noc_verify_probe.sv", "stand_ins.sv"})
    build.arguments.push_back(work.file(file));
  build.arguments.push_back(report.top_path);
  build.arguments.push_back(work.file("noc_verify_bench.sv"));

  BuildResult built = build_simulation(build);
  report.runtime_cached = built.runtime_cached;
  report.notes.insert(report.notes.end(), built.notes.begin(), built.notes.end());
  if (!built.built) {
    std::string cache_hint =
        built.cache_dir.empty()
            ? ""
            : "\n(Verilator's runtime objects came from the cache " + built.cache_dir +
                  "; if the message names one of them, run again with --no-cache or remove "
                  "that folder)";
    throw Error(work.kept_for("Verilator could not build the simulation of the top (" +
                              built.failure + "):" + log_excerpt(built.log) + cache_hint),
                report.top_path);
  }
  std::string run_log = work.file("simulation.log");
  ChildEnd simulated = run_logged({simulation_program(build)}, work.path(), run_log,
                                  options.timeout_seconds, options.check_interrupt);
  if (!simulated.ok())
    throw Error(
        work.kept_for("the simulation of the top failed (" +
                      simulated.describe(options.timeout_seconds) + "):" + log_excerpt(run_log)),
        report.top_path);

  std::string build_log = read_input_file(work.file("build.log"), "build log");
  report.root_causes = width_root_causes(
      read_width_mismatches(build_log, report.top_path, top_text), width_cause(stand_ins, report));
  ProbeLog log = parse_probe_log(read_input_file(run_log, "simulation log"));
  std::vector<SharedWire> shared = shared_top_wires(top_text, stand_ins.modules);
  report.wiring = check_wiring(expected, stand_ins.modules, log, shared);
  std::vector<std::string> twice =
      multiple_drivers(work.file("build.log"), report.top_path, shared);
  report.wiring.problems.insert(report.wiring.problems.begin(), twice.begin(), twice.end());
  if (routes) {
    report.routing = route::algorithm_name(routes->table.algorithm);
    std::vector<std::string> wrong = identity_problems_of(design, *routes, top_text);
    report.wiring.problems.insert(report.wiring.problems.end(), wrong.begin(), wrong.end());
  }
  report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return report;
}

}  // namespace noc::verify
