#pragma once

#include <string>
#include <vector>

#include "verify/expected_wiring.h"
#include "verify/probe_log.h"
#include "verify/stand_in.h"
#include "verify/top_instances.h"

namespace noc::verify {

/// The ports of one stand-in module, by port number.
struct ModulePorts {
  std::string module;
  std::vector<ProbedPort> ports;
};

struct WiringReport {
  std::vector<std::string> problems;  ///< one line each, naming nodes, ports and slots
  int links = 0, links_proven = 0;
  int tiles = 0, tiles_proven = 0;
};

/// Compares what every input slot received in the simulation with what the description says
/// it must receive. `modules` is indexed by the module numbers of the log. Every wire in
/// `shared` is a problem naming its drivers, and nothing those drivers send counts as proven.
WiringReport check_wiring(const ExpectedWiring& expected, const std::vector<ModulePorts>& modules,
                          const ProbeLog& log, const std::vector<SharedWire>& shared = {});

}  // namespace noc::verify
