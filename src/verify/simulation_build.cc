#include "verify/simulation_build.h"

#include <algorithm>
#include <fstream>
#include <optional>
#include <thread>

#include "common/input_file.h"
#include "verify/model_split.h"
#include "verify/precompiled_header.h"
#include "verify/process.h"
#include "verify/runtime_cache.h"

namespace noc::verify {
namespace {

// Flags that change what the runtime objects are; the cache key names them.
const std::vector<std::string> kModelFlags = {"--cc", "--exe", "--main", "--timing"};

// One cache entry per set of runtime objects as well: a model that calls DPI (traffic's) needs
// verilated_dpi.o, one that does not (verify's) leaves it out, and a shared entry would be
// found damaged by each in turn.
std::optional<RuntimeCache> cache_for(const SimulationBuild& build,
                                      const std::vector<std::string>& objects) {
  if (!build.use_cache) return std::nullopt;
  std::string log = build.work_dir + "/verilator-version.log";
  if (!run_logged({build.verilator, "--version"}, build.work_dir, log, build.timeout_seconds,
                  build.check_interrupt)
           .ok())
    return std::nullopt;
  std::string flags;
  for (const std::string& flag : kModelFlags) flags += flag + " ";
  for (const std::string& object : objects) flags += object + " ";
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
  // Width warnings stay on: those about the top's connections are what verify reports first.
  for (const char* flag : {"-Wno-fatal", "-Wno-lint", "-Wno-style", "-Wwarn-WIDTH",
                           "--no-decoration", "--unroll-count", "1"})
    command.push_back(flag);
  for (const std::string& part :
       {std::string("--top-module"), build.top_module, std::string("-Mdir"), obj})
    command.push_back(part);
  command.insert(command.end(), build.arguments.begin(), build.arguments.end());
  result.log = build.work_dir + "/build.log";
  ChildEnd verilated =
      run_logged(command, build.work_dir, result.log, build.timeout_seconds, build.check_interrupt);
  if (!verilated.ok()) {
    result.failure = "Verilator ended with " + verilated.describe(build.timeout_seconds);
    return result;
  }

  std::string prefix = "V" + build.top_module;
  std::vector<std::string> objects =
      runtime_objects(read_input_file(obj + "/" + prefix + "_classes.mk", "makefile"));
  std::optional<RuntimeCache> cache = cache_for(build, objects);
  if (cache) {
    CacheRestore restored = cache->restore(objects, obj, obj + "/" + prefix + ".mk");
    result.runtime_cached = restored == CacheRestore::kRestored;
    if (result.runtime_cached) result.cache_dir = cache->dir();
    if (restored == CacheRestore::kDamaged)
      result.notes.push_back("the cached Verilator runtime in " + cache->dir() +
                             " was damaged; it is built afresh and kept again");
  }

  std::string make_log = build.work_dir + "/make.log";
  std::optional<std::string> make = find_on_path("make");
  if (!make) {
    result.log = make_log;
    std::ofstream(make_log) << "error: make is not on PATH; install the Debian package make\n";
    result.failure = "make is not on PATH";
    return result;
  }
  std::vector<std::string> make_command = {*make,          "-j2",          "-f",
                                           prefix + ".mk", "OPT_FAST=-O0", "OPT_SLOW=-O0"};
  std::optional<std::string> header;
  if (cache)
    header = precompiled_header(HeaderBuild{cache->dir(), obj, prefix + ".mk", *make,
                                            build.work_dir + "/header.log", build.timeout_seconds,
                                            build.check_interrupt});
  if (header) make_command.push_back("USER_CPPFLAGS=-include " + *header);
  for (std::string& variable :
       split_model(obj, read_input_file(obj + "/" + prefix + "_classes.mk", "makefile"),
                   std::max(1u, std::thread::hardware_concurrency())))
    make_command.push_back(std::move(variable));
  // gold links the model in half the time the default linker takes.
  if (find_on_path("ld.gold")) make_command.push_back("USER_LDFLAGS=-fuse-ld=gold");
  ChildEnd made =
      run_logged(make_command, obj, make_log, build.timeout_seconds, build.check_interrupt);
  if (!made.ok() && !made.timed_out && header) {
    // Whatever is wrong with the kept header, the build without it decides.
    forget_precompiled_header(cache->dir());
    std::erase(make_command, "USER_CPPFLAGS=-include " + *header);
    made = run_logged(make_command, obj, make_log, build.timeout_seconds, build.check_interrupt);
  }
  if (!made.ok()) {
    result.log = make_log;
    result.failure = "make ended with " + made.describe(build.timeout_seconds);
    return result;
  }
  if (cache && !result.runtime_cached) cache->keep(objects, obj);
  result.built = true;
  return result;
}

}  // namespace noc::verify
