#pragma once

#include <functional>
#include <string>
#include <vector>

namespace noc::verify {

struct SimulationBuild {
  std::string verilator;  ///< the program's path
  std::string top_module;
  std::vector<std::string> arguments;  ///< include directories and source files, in order
  std::string work_dir;                ///< the build goes to work_dir/obj
  bool use_cache = true;
  double timeout_seconds = 0;             ///< for each step; 0: none
  std::function<void()> check_interrupt;  ///< asked while a step runs; may throw to end it
};

struct BuildResult {
  bool built = false;
  std::string log;              ///< the log of the step that failed, or Verilator's log
  bool runtime_cached = false;  ///< Verilator's runtime came from the cache
  /// Which step failed and how it ended: "Verilator ended with exit status 1".
  std::string failure;
  /// The cache folder the runtime came from, for a message about a failed build.
  std::string cache_dir;
  std::vector<std::string> notes;  ///< a damaged cache entry that was rebuilt
};

/// Verilates the simulation and compiles it. The model's C++ is compiled without optimisation:
/// the simulation runs for microseconds, while every optimisation level costs seconds of
/// build. Verilator's runtime is taken from the cache when it holds one for this Verilator and
/// compiler, and kept there after a build that had to compile it.
BuildResult build_simulation(const SimulationBuild& build);

/// The name of the program Verilator builds in work_dir/obj.
std::string simulation_program(const SimulationBuild& build);

}  // namespace noc::verify
