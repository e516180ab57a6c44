#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace noc::verify {

/// One port connection of the top whose two sides differ in width, as Verilator reports it
/// while it builds the simulation.
struct WidthMismatch {
  std::string module;    ///< the module of the instance
  std::string instance;  ///< as the top names it
  std::string port;
  long port_bits = 0;       ///< what the port expects
  long connected_bits = 0;  ///< what the top connects to it
  int line = 0;             ///< of the connection in the top
};

/// Verilator's WIDTH warnings about port connections in `top_path`, each with the instance
/// and module that the top's text opens before that line.
std::vector<WidthMismatch> read_width_mismatches(std::string_view build_log,
                                                 const std::string& top_path,
                                                 std::string_view top_text);

/// What explains a module port's width, such as "noc_router's VCHANNELS = 3; noc_top's
/// VCHANNELS = 2"; nothing when no parameter does.
using WidthCause =
    std::function<std::optional<std::string>(const std::string& module, const std::string& port)>;

/// One line per module port and pair of widths, naming the instances (the first four and how
/// many more), and the cause when one is known: the root causes that per-bit lines follow from.
std::vector<std::string> width_root_causes(const std::vector<WidthMismatch>& mismatches,
                                           const WidthCause& cause);

}  // namespace noc::verify
