#pragma once

// The SystemVerilog of a traffic run: stand-ins for the tiles that send and receive packets
// through the harness, and a bench that clocks noc_top, watches every router output and reports
// what each holds when the network stalls. The routers are the user's own.
#include <string>
#include <vector>

#include "rtl/module_header_parser.h"

namespace noc::verify {

inline constexpr const char* kTrafficBench = "noc_traffic_bench";
inline constexpr const char* kTrafficPackage = "noc_traffic";

/// The DPI package the stand-ins and the bench call the harness through.
std::string traffic_package_text(int flit_width);

/// A module with `tile`'s interface whose two channels are a packet source and sink each; its
/// other outputs are tied to zero. Throws noc::Error, naming `origin`, when the tile has no clock
/// or lacks one of the eight channel ports (in_flit, in_last, in_valid, in_ready and out_*,
/// with any prefix: noc_in_flit).
std::string traffic_stand_in(const rtl::ModuleHeader& tile, const std::string& origin,
                             int flit_width);

/// What the bench needs of each router instance: its name in noc_top and its slot count.
struct WatchedRouter {
  std::string instance;
  int slots = 0;
};

/// Checks that `router` has the ports a traffic run watches (out_flit, out_last, out_valid and
/// out_ready, one valid, last and ready bit per slot); throws noc::Error naming `origin`.
void check_watchable_router(const rtl::ModuleHeader& router, const std::string& origin);

/// The bench: noc_top with a CONFIG of `flit_width` and two channels, a clock, a reset held for
/// four cycles, every router output watched, the harness asked once a cycle whether to go on.
std::string traffic_bench_text(const rtl::ModuleHeader& top, int flit_width,
                               const std::vector<WatchedRouter>& routers);

}  // namespace noc::verify
