#include "verify/simulation_build.h"

#include <fstream>
#include <optional>

#include "common/input_file.h"
#include "verify/process.h"
#include "verify/runtime_cache.h"

namespace noc::verify {
namespace {

// Flags that change what the runtime objects are; the cache key names them.
const std::vector<std::string> kModelFlags = {"--cc", "--exe", "--main", "--timing"};

std::optional<RuntimeCache> cache_for(const SimulationBuild& build) {
  if (!build.use_cache) return std::nullopt;
  std::string log = build.work_dir + "/verilator-version.log";
  if (run_logged({build.verilator, "--version"}, build.work_dir, log) != 0) return std::nullopt;
  std::string flags;
  for (const std::string& flag : kModelFlags) flags += flag + " ";
  return RuntimeCache::open(runtime_key(read_input_file(log, "Verilator's version"), flags));
}

}  // namespace

std::string simulation_program(const SimulationBuild& build) {
  return build.work_dir + "/obj/V" + build.top_module;
}

BuildResult build_simulation(const SimulationBuild& build) {
  BuildResult result;
  std::string obj = build.work_dir + "/obj";
  std::vector<std::string> command = {build.verilator};
  command.insert(command.end(), kModelFlags.begin(), kModelFlags.end());
  // The stand-ins' loops over port bits stay loops: unrolled, they would grow the model's C++
  // (and its build time) with every bit of every port.
  for (const char* flag : {"-Wno-fatal", "-Wno-lint", "-Wno-style", "--unroll-count", "1"})
    command.push_back(flag);
  for (const std::string& part :
       {std::string("--top-module"), build.top_module, std::string("-Mdir"), obj})
    command.push_back(part);
  command.insert(command.end(), build.arguments.begin(), build.arguments.end());
  result.log = build.work_dir + "/build.log";
  if (run_logged(command, build.work_dir, result.log) != 0) return result;

  std::string prefix = "V" + build.top_module;
  std::optional<RuntimeCache> cache = cache_for(build);
  std::vector<std::string> objects =
      runtime_objects(read_input_file(obj + "/" + prefix + "_classes.mk", "makefile"));
  result.runtime_cached = cache && cache->restore(objects, obj, obj + "/" + prefix + ".mk");

  std::string make_log = build.work_dir + "/make.log";
  std::optional<std::string> make = find_on_path("make");
  if (!make) {
    result.log = make_log;
    std::ofstream(make_log) << "error: make is not on PATH; install the Debian package make\n";
    return result;
  }
  if (run_logged({*make, "-j2", "-f", prefix + ".mk", "OPT_FAST=-O0", "OPT_SLOW=-O0"}, obj,
                 make_log) != 0) {
    result.log = make_log;
    return result;
  }
  if (cache && !result.runtime_cached) cache->keep(objects, obj);
  result.built = true;
  return result;
}

}  // namespace noc::verify
