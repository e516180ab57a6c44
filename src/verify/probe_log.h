#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace noc::verify {

struct LoggedPort {
  std::uint64_t bits = 0;
  bool input = false;
  std::vector<std::uint64_t> codes;  ///< per bit, what an input received
};

/// What one stand-in instance printed at the end of the simulation.
struct LoggedInstance {
  std::string path;  ///< hierarchical name
  std::uint32_t id = 0;
  int module = 0;
  std::map<int, LoggedPort> ports;  ///< by port number
};

struct ProbeLog {
  std::vector<LoggedInstance> instances;  ///< in the order they printed
};

/// Reads the INST, SEND and RECV lines of a simulation's output; other lines are left alone.
/// A line that starts like one of them but does not parse is an error naming it.
ProbeLog parse_probe_log(std::string_view text);

}  // namespace noc::verify
