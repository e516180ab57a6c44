#pragma once

#include <functional>
#include <string>
#include <vector>

#include "model/diagnostics.h"
#include "rtl/rtl_options.h"
#include "verify/wiring_check.h"

namespace noc::verify {

struct VerifyOptions {
  std::string base_dir;
  std::string description = "noc_soc.json";
  std::string top;  ///< the top to check; empty: BASE_DIR/noc_soc.sv
  /// NOC_FLIT_WIDTH of the simulation's CONFIG; 0: what the design assigns it, else the
  /// router's FLIT_WIDTH default, else 32.
  int flit_width = 0;
  /// NOC_CHANNELS of CONFIG; 0: what the design assigns it, else two, since the generator
  /// gives every tile two slots of its router.
  int channels = 0;
  std::string keep_dir;  ///< build here and keep it; empty: a temporary directory, removed
  rtl::RtlOptions rtl;
  std::string verilator = "verilator";
  /// Take Verilator's compiled runtime from the user's cache, and keep it there.
  bool use_cache = true;
  /// The longest a build step or the simulation may take, in seconds; 0: no limit.
  double timeout_seconds = 600;
  /// An algorithm's name (xy, updown, shortest, auto): the top must pass each module that asks
  /// for it what that routing gives (ROUTES, DESTS, ID or TILE_ID), as generate --routing
  /// writes it; routes that can deadlock end verify as they end generate. Empty: not checked.
  std::string routing;
  /// Warnings made errors (-Werror=NOCxxx) end verify as generate would.
  model::WarningPolicy warnings;
  /// Asked while Verilator, the compiler and the simulation run; it throws to end them.
  std::function<void()> check_interrupt;
};

/// A value the simulation ran with, and where it came from.
struct UsedValue {
  int value = 0;
  std::string from;  ///< "--flit-width", "tb/tb_noc_top.sv", "the default"
};

struct VerifyReport {
  std::string top_path;
  std::vector<std::string> notes;  ///< what verify stood in for the user's files
  /// The design's warnings, as check and generate report them.
  std::vector<model::Diagnostic> warnings;
  UsedValue flit_width, channels;
  std::string routing;  ///< the algorithm the identity was held to (auto resolved), or empty
  /// Connections whose two sides differ in width, one line per module port: what the
  /// per-bit problems of the wiring follow from.
  std::vector<std::string> root_causes;
  WiringReport wiring;
  double seconds = 0;
  bool runtime_cached = false;  ///< Verilator's runtime came from the cache
  bool proven() const { return wiring.problems.empty() && root_causes.empty(); }
};

/// Proves in simulation that the existing top wires what the description says: every router
/// and tile module is replaced by a stand-in with its interface whose outputs send codes, and
/// Verilator runs the top. It never writes the top. Setup failures (no top, a description with
/// errors, no Verilator, a build that fails) are errors; wiring problems are in the report.
VerifyReport verify_top(const VerifyOptions& options);

}  // namespace noc::verify
