#pragma once

// The C++ side of a traffic run: every tile channel's packet source and sink, the checks of
// what arrives, the watch for a stall, and the numbers the run ends with (traffic.out).
#include <string_view>

namespace noc::verify {

inline constexpr const char* kTrafficHarnessFile = "noc_traffic_harness.cpp";

std::string_view traffic_harness_text();

}  // namespace noc::verify
