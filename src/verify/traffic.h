#pragma once

// nocgen traffic: the user's own routers under load. The top is generated with routing around
// them, the tiles are replaced by packet sources and sinks, and Verilator runs the network: every
// packet must arrive once, where it was sent, unchanged; latency and throughput are measured
// against the offered load; a stall is named.
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/file_identity.h"
#include "model/diagnostics.h"
#include "rtl/rtl_options.h"
#include "verify/traffic_config.h"
#include "verify/traffic_log.h"

namespace noc::verify {

struct TrafficOptions {
  std::string base_dir;
  std::string description = "noc_soc.json";
  rtl::RtlOptions rtl;
  std::string routing = "auto";
  std::vector<Pattern> patterns = {Pattern::kAllPairs};
  /// The offered loads of the load patterns, in flits per cycle per source.
  double rate_from = 0.05, rate_to = 0.5, rate_step = 0.05;
  int packet_flits = 4;
  std::string dest_field;  ///< "HI:LO"; empty: the top clog2(DESTS) bits
  int flit_width = 0;      ///< 0: what the design assigns, else the router's default, else 32
  long warmup = 1000, measure = 2000;
  std::uint64_t seed = 1;
  std::string keep_dir;
  std::string verilator = "verilator";
  bool use_cache = true;
  double timeout_seconds = 600;
  model::WarningPolicy warnings;
  std::function<void()> check_interrupt;
  /// Told of each step (the build, each simulation), for a progress line.
  std::function<void(const std::string&)> progress;
  /// The files the run will write (--csv, --plot), refused before anything runs when one of
  /// them is a file the design is read from.
  std::vector<RunFile> outputs;
  /// Runs routes that can deadlock instead of refusing them: for watching a router deadlock.
  bool allow_unsound_routes = false;
};

/// A simulation has stalled when no flit moves for this many cycles while packets wait.
inline constexpr long kStallCycles = 1000;
/// A load point is past saturation when its average latency exceeds this many times the lowest
/// load's, or when its measured packets have not all arrived this many cycles after the
/// measurement.
inline constexpr double kSaturationFactor = 3.0;
inline constexpr long kDrainCycles = 10000;

struct PointReport {
  Pattern pattern = Pattern::kAllPairs;
  double rate = 0;  ///< offered, flits per cycle per source; 0 for all-pairs
  PointResult result;
  bool saturated = false;
  std::vector<std::string> problems;  ///< empty when every packet arrived right
};

struct PatternSummary {
  Pattern pattern = Pattern::kAllPairs;
  int sources = 0;  ///< the sources that send (a fixed pattern leaves some without a partner)
  std::optional<double> saturation_rate;  ///< the first offered load past saturation
  double saturation_throughput = 0;       ///< the most accepted at any load
};

struct TrafficReport {
  std::string routing;  ///< the algorithm used (auto resolved)
  std::string network;  ///< "a 4 x 4 mesh", "8 routers"
  int destinations = 0;
  int flit_width = 0;
  std::string flit_width_from;
  DestField dest;
  int packet_flits = 0;
  std::string deadlock_cycle;  ///< the routes' dependency cycle, when they have one
  std::vector<model::Diagnostic> warnings;
  std::vector<std::string> notes;
  std::vector<PointReport> points;
  std::vector<PatternSummary> patterns;
  double seconds = 0;
  bool runtime_cached = false;
  bool passed() const {
    for (const PointReport& point : points)
      if (!point.problems.empty()) return false;
    return true;
  }
};

/// Setup failures (a design with errors, unsound routes, no Verilator, a build that fails, a
/// simulation that crashes) are errors; what the packets met is in the report.
TrafficReport run_traffic(const TrafficOptions& options);

}  // namespace noc::verify
