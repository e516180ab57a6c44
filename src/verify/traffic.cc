#include "verify/traffic.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <map>
#include <set>

#include "common/error.h"
#include "common/input_file.h"
#include "common/text.h"
#include "emit/noc_top_writer.h"
#include "emit/text_sink.h"
#include "model/design.h"
#include "model/design_config.h"
#include "model/top_contract.h"
#include "route/design_routes.h"
#include "verify/compile_set.h"
#include "verify/process.h"
#include "verify/simulation_build.h"
#include "verify/traffic_bench.h"
#include "verify/traffic_diagnosis.h"
#include "verify/traffic_harness.h"
#include "verify/work_dir.h"

namespace noc::verify {
namespace {

void tell(const TrafficOptions& options, const std::string& step) {
  if (options.progress) options.progress(step);
}

model::Design load(const TrafficOptions& options) {
  model::DesignRequest request;
  request.base_dir = options.base_dir;
  request.description = options.description;
  request.description_may_be_path = true;
  request.rtl = options.rtl;
  request.warnings = options.warnings;
  request.check_interrupt = options.check_interrupt;
  request.routing = true;  // the top is written into the work directory, never over the user's
  model::Design design = model::load_design(request);
  if (const model::Diagnostic* error = design.first_error()) throw model::to_error(*error);
  if (!design.resolution || !design.resolution->plan)
    throw Error("the description gives no network to run traffic on", options.base_dir);
  return design;
}

std::string top_text(const model::Design& design, const route::Identity& identity) {
  const model::Resolution& resolved = *design.resolution;
  emit::Network network{*design.description, resolved.table,  *resolved.router_ports,
                        *resolved.tile,      *resolved.wires, *resolved.plan};
  network.identity = &identity;
  emit::StringSink sink;
  emit::write_noc_top(sink, network);
  return sink.text();
}

std::string network_words(const route::DesignRoutes& routes) {
  if (routes.table.algorithm == route::Algorithm::kXy)
    return "a " + std::to_string(routes.table.width) + " x " + std::to_string(routes.table.height) +
           " mesh";
  return std::to_string(routes.map.routers.size()) + " routers";
}

// What the simulation compiles besides what the compile set finds: the routers' own sources and
// the folders their headers are in.
struct Sources {
  std::vector<std::string> routers, include_dirs, texts;
  std::string stand_ins;
};

Sources gather_sources(model::Design& design, int flit_width) {
  rtl::RtlCatalog& catalog = *design.catalog;
  Sources sources;
  std::set<std::string_view> seen;
  for (const model::RouterBlock& block : design.resolution->plan->blocks) {
    std::string_view name = block.router->top_module_fname();
    if (!seen.insert(name).second) continue;
    std::string path = catalog.locate(name);
    check_watchable_router(catalog.parse(name).first, path);
    std::string text = read_input_file(path, "router source");
    for (const std::string& include : include_entries(text))
      if (std::optional<std::string> header = catalog.find_include(include, path))
        sources.include_dirs.push_back(header->substr(0, header->rfind('/')));
    sources.include_dirs.push_back(path.substr(0, path.rfind('/')));
    sources.routers.push_back(path);
    sources.texts.push_back(std::move(text));
  }
  std::set<std::string_view> tiles;
  for (const model::TileInstance& tile : design.resolution->plan->tiles) {
    if (!tiles.insert(tile.node->top_module_fname).second) continue;
    std::string path = catalog.locate(tile.node->top_module_fname);
    // The router's file is compiled whole: a tile in it would meet its own stand-in.
    if (std::find(sources.routers.begin(), sources.routers.end(), path) != sources.routers.end())
      throw Error(
          "traffic compiles the router's source and stands in for the tiles, and this "
          "file holds both the router and tile module " +
              in_quotes(std::string(tile.module)) + ": give the tile a file of its own",
          path);
    sources.stand_ins +=
        traffic_stand_in(catalog.parse(tile.node->top_module_fname).first, path, flit_width);
  }
  sources.texts.push_back(sources.stand_ins);
  return sources;
}

// Builds the simulation once; every load point runs the same program.
std::string build(const TrafficOptions& options, model::Design& design,
                  const route::DesignRoutes& routes, int flit_width, WorkDir& work,
                  TrafficReport& report) {
  tell(options, "building the simulation with Verilator");
  Sources sources = gather_sources(design, flit_width);
  std::string top = top_text(design, routes.identity);
  rtl::ParsedSource top_header = rtl::parse_source_text("noc_soc.sv", top);
  std::vector<WatchedRouter> watched;
  for (std::size_t r = 0; r < routes.map.routers.size(); ++r) {
    WatchedRouter router;
    model::append_router_instance(
        router.instance,
        design.catalog->parse(design.resolution->plan->blocks[r].router->top_module_fname())
            .first.name,
        routes.map.routers[r].name);
    router.slots = static_cast<int>(routes.map.routers[r].slots.size());
    watched.push_back(std::move(router));
  }
  std::string top_path = work.file("noc_soc.sv");
  CompileSet compile =
      gather_compile_set(*design.catalog, top_path, top, sources.texts, options.rtl.unit_files);
  for (const std::string& note : compile.notes)
    if (note.find(kTrafficPackage) == std::string::npos) report.notes.push_back(note);
  for (const auto& [name, text] : compile.written) work.write(name, text);
  work.write("noc_soc.sv", top);
  work.write("noc_traffic_pkg.sv", traffic_package_text(flit_width));
  work.write("traffic_stand_ins.sv", sources.stand_ins);
  work.write("noc_traffic_bench.sv", traffic_bench_text(top_header.first, flit_width, watched));
  work.write(kTrafficHarnessFile, std::string(traffic_harness_text()));

  std::optional<std::string> verilator = find_on_path(options.verilator);
  if (!verilator)
    throw Error(
        "traffic simulates with Verilator, which is not on PATH; install the Debian "
        "package verilator (apt-get install verilator)");
  SimulationBuild simulation{
      *verilator,        kTrafficBench,           {"-I" + work.path()},   work.path(),
      options.use_cache, options.timeout_seconds, options.check_interrupt};
  auto& arguments = simulation.arguments;
  for (const std::string& dir : options.rtl.include_dirs) arguments.push_back("-I" + dir);
  for (const std::string& dir : compile.include_dirs) arguments.push_back("-I" + dir);
  for (const std::string& dir : sources.include_dirs) arguments.push_back("-I" + dir);
  for (const auto& [name, text] : compile.written)
    if (name.ends_with(".sv")) arguments.push_back(work.file(name));
  // Each file once: a work directory kept below the base directory holds the package this run
  // writes again, and a router's source may hold a package too.
  std::set<std::string> compiled;
  std::string own = work.path() + "/";
  for (const std::string& file : compile.package_files)
    if (!file.starts_with(own) && compiled.insert(file).second) arguments.push_back(file);
  arguments.push_back(work.file("noc_traffic_pkg.sv"));
  for (const std::string& file : sources.routers)
    if (compiled.insert(file).second) arguments.push_back(file);
  for (const char* file :
       {"traffic_stand_ins.sv", "noc_soc.sv", "noc_traffic_bench.sv", kTrafficHarnessFile})
    arguments.push_back(work.file(file));
  BuildResult built = build_simulation(simulation);
  report.runtime_cached = built.runtime_cached;
  report.notes.insert(report.notes.end(), built.notes.begin(), built.notes.end());
  if (!built.built)
    throw Error(work.kept_for("Verilator could not build the traffic simulation (" + built.failure +
                              "):" + log_excerpt(built.log)),
                design.lookup.path);
  return simulation_program(simulation);
}

PointResult simulate(const std::string& program, const PointConfig& point,
                     const route::DesignRoutes& routes, const TrafficOptions& options,
                     WorkDir& work, int index) {
  std::string dir = "point_" + std::to_string(index);
  work.write(dir + "/traffic.cfg", point_config_text(point, routes));
  std::string log = work.file(dir + "/simulation.log");
  ChildEnd ran =
      run_logged({program}, work.file(dir), log, options.timeout_seconds, options.check_interrupt);
  if (!ran.ok())
    throw Error(work.kept_for("the traffic simulation failed (" +
                              ran.describe(options.timeout_seconds) + "):" + log_excerpt(log)));
  return parse_traffic_log(read_input_file(work.file(dir + "/traffic.out"), "traffic results"));
}

std::vector<double> rates_of(const TrafficOptions& options) {
  std::vector<double> rates;
  if (!(options.rate_step > 0) || !(options.rate_from > 0) || options.rate_to < options.rate_from ||
      options.rate_to > 1)
    throw Error("--rates must be FROM:TO:STEP with 0 < FROM <= TO <= 1 and STEP > 0");
  for (int k = 0;; ++k) {
    double rate = options.rate_from + k * options.rate_step;
    if (rate > options.rate_to + 1e-9 || k > 1000) break;
    rates.push_back(std::round(rate * 1e6) / 1e6);
  }
  return rates;
}

int sending_sources(Pattern pattern, const route::PortMap& map) {
  if (pattern != Pattern::kTranspose && pattern != Pattern::kBitComplement &&
      pattern != Pattern::kNeighbour)
    return static_cast<int>(map.destinations.size());
  int count = 0;
  for (int d : pattern_partners(pattern, map)) count += d >= 0;
  return count;
}

}  // namespace

TrafficReport run_traffic(const TrafficOptions& options) {
  auto start = std::chrono::steady_clock::now();
  TrafficReport report;
  if (options.packet_flits < 1 || options.packet_flits > 1024)
    throw Error("--packet-flits must be between 1 and 1024");
  model::Design design = load(options);
  std::vector<RunFile> inputs;
  for (const std::string& input : design.inputs) inputs.push_back({"the input", input});
  inputs.front().role = "the description";
  refuse_outputs_that_are_inputs(options.outputs, inputs);
  report.warnings = design.warnings();
  route::DesignRoutes routes =
      route::sound_routes(design, options.routing, options.allow_unsound_routes);
  report.routing = route::algorithm_name(routes.table.algorithm);
  report.network = network_words(routes);
  report.destinations = static_cast<int>(routes.map.destinations.size());
  if (std::all_of(routes.identity.routes.begin(), routes.identity.routes.end(),
                  [](const std::string& table) { return table.empty(); }))
    report.notes.push_back(
        "no router declares ROUTES: each routes by its own rule, the top passes it no table, and "
        "its turns are not checked against the " +
        report.routing + " routes");
  if (!routes.check.cycle.empty())
    report.deadlock_cycle = route::cycle_text(routes.map, routes.check.cycle);

  // The routers' flit width when the design assigns none: the top's wires must meet their ports.
  const auto& blocks = design.resolution->plan->blocks;
  model::DesignConfig config = model::read_design_config(
      *design.tree, blocks.empty()
                        ? nullptr
                        : &design.catalog->parse(blocks.front().router->top_module_fname()).first);
  report.flit_width = options.flit_width  ? options.flit_width
                      : config.flit_width ? config.flit_width->value
                                          : 32;
  report.flit_width_from = options.flit_width  ? "--flit-width"
                           : config.flit_width ? config.flit_width->from
                                               : "the default";
  report.dest = options.dest_field.empty()
                    ? default_dest_field(report.flit_width, routes.identity.dests)
                    : parse_dest_field(options.dest_field, report.flit_width, report.destinations);
  int free_bits = report.flit_width - (report.dest.hi - report.dest.lo + 1);
  int source_bits = 0;
  while ((1 << source_bits) < report.destinations) ++source_bits;
  if (free_bits < source_bits + 4)
    throw Error("a flit of " + std::to_string(report.flit_width) + " bits leaves " +
                std::to_string(free_bits) +
                " bits beside the destination: too few for the source (" +
                std::to_string(source_bits) + " bits) and a sequence number");
  report.packet_flits = options.packet_flits;
  std::vector<double> rates;
  for (Pattern pattern : options.patterns)
    if (pattern != Pattern::kAllPairs) rates = rates_of(options);

  WorkDir work(options.keep_dir, "nocgen-traffic-");
  std::string program = build(options, design, routes, report.flit_width, work, report);

  int index = 0;
  for (Pattern pattern : options.patterns) {
    PatternSummary summary{pattern, sending_sources(pattern, routes.map), std::nullopt, 0};
    std::optional<double> zero_load;
    for (double rate : pattern == Pattern::kAllPairs ? std::vector<double>{0} : rates) {
      PointConfig point;
      point.pattern = pattern;
      point.rate = rate;
      point.packet_flits = options.packet_flits;
      point.flit_width = report.flit_width;
      point.dest = report.dest;
      point.warmup = options.warmup;
      point.measure = options.measure;
      point.drain = kDrainCycles;
      point.stall_cycles = kStallCycles;
      long n = report.destinations;
      point.max_cycles = pattern == Pattern::kAllPairs
                             ? 50L * n * options.packet_flits + 20000
                             : options.warmup + options.measure + 3 * kDrainCycles;
      point.seed = options.seed;
      char label[96];
      std::snprintf(label, sizeof label, "%s%s%.3g", pattern_name(pattern),
                    pattern == Pattern::kAllPairs ? "" : " at ", rate);
      tell(options, pattern == Pattern::kAllPairs ? std::string("all-pairs") : std::string(label));
      PointReport result{
          pattern, rate, simulate(program, point, routes, options, work, index++), false, {}};
      result.problems = traffic_problems(result.result, routes);
      std::set<int> turned;
      for (const WrongTurn& turn : result.result.wrong_turns) turned.insert(turn.router);
      if (turned.size() > 1 && turned.size() == routes.map.routers.size())
        result.problems.insert(
            result.problems.begin() + 1,
            "every router turns against its table: if they read the destination from other bits "
            "than " +
                std::to_string(report.dest.hi) + ":" + std::to_string(report.dest.lo) +
                ", give those with --dest-field HI:LO");
      if (pattern != Pattern::kAllPairs) {
        double latency = result.result.average_latency.value_or(0);
        if (!zero_load && latency > 0) zero_load = latency;
        result.saturated =
            !result.result.drained || (zero_load && latency > kSaturationFactor * *zero_load);
        summary.saturation_throughput =
            std::max(summary.saturation_throughput, result.result.accepted.value_or(0));
      }
      bool stop = result.saturated || !result.problems.empty();
      if (result.saturated) summary.saturation_rate = rate;
      report.points.push_back(std::move(result));
      if (stop) break;
    }
    report.patterns.push_back(summary);
  }
  report.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  return report;
}

}  // namespace noc::verify
