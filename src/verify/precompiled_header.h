#pragma once

#include <functional>
#include <optional>
#include <string>

namespace noc::verify {

/// What building the precompiled header needs to know of the simulation's build.
struct HeaderBuild {
  std::string cache_dir;  ///< the runtime cache's folder, whose key the header shares
  std::string obj_dir;    ///< where Verilator wrote the model and its makefile
  std::string makefile;   ///< the model's makefile, in obj_dir
  std::string make;       ///< the make program
  std::string log;        ///< where the steps' output goes
  double timeout_seconds = 0;
  std::function<void()> check_interrupt;
};

/// verilated.h and verilated_timing.h, precompiled with the flags the model's C++ is compiled
/// with and kept in the runtime cache: a simulation's build then reads them in a fraction of
/// the time their text takes. Returns the header to name with -include; nothing when it cannot
/// be made (the build then reads the headers as ever). A compiler that finds the header made
/// with other flags ignores it, so it never changes what is built.
std::optional<std::string> precompiled_header(const HeaderBuild& build);

/// Removes the kept header, for a build that failed with it.
void forget_precompiled_header(const std::string& cache_dir);

}  // namespace noc::verify
