#pragma once

#include <string>

#include "rtl/module_header_parser.h"

namespace noc::verify {

inline constexpr const char* kBenchModule = "noc_verify_bench";

/// The top of the simulation: noc_top with a CONFIG of the given flit width and channel count,
/// its other inputs tied to zero, its outputs left open. Its clk and rst carry probe codes, as
/// the outputs of an instance named noc_top of module number `top_module` would, so that every
/// clock and reset input shows where it is connected. It ends the simulation when every
/// stand-in has sent its last code step.
std::string bench_text(const rtl::ModuleHeader& top, int flit_width, int channels, int top_module);

}  // namespace noc::verify
