#pragma once

#include <string>

#include "rtl/module_header_parser.h"

namespace noc::verify {

inline constexpr const char* kBenchModule = "noc_verify_bench";

/// The top of the simulation: noc_top with a CONFIG of the given flit width and channel count,
/// its clock and reset held, its other inputs tied to zero, its outputs left open. It ends the
/// simulation when every stand-in has sent its last code step.
std::string bench_text(const rtl::ModuleHeader& top, int flit_width, int channels);

}  // namespace noc::verify
