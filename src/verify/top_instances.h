#pragma once

#include <functional>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace noc::verify {

/// One wire, or one element of one (`w[3]`), as a port connection names it.
struct WireRef {
  std::string wire;
  std::optional<std::string> index;  ///< the select's text when it is a single constant
};

/// A named port connection of an instance in noc_top. `refs` is empty when the expression is
/// more than a wire, an element, or a concatenation of those.
struct PortConnection {
  std::string port;
  std::vector<WireRef> refs;
};

/// A named parameter override of an instance (`.ROUTES(64'h12)`), its value's tokens joined
/// without space.
struct ParameterValue {
  std::string name;
  std::string value;
};

struct TopInstance {
  std::string module;
  std::string name;
  std::vector<ParameterValue> parameters;
  std::vector<PortConnection> connections;
};

/// The instances of the modules in `modules` in the body of the first module of `text`, with
/// their named connections. A top that does not lex gives none: verify's simulation reports
/// what is wrong with it.
std::vector<TopInstance> read_top_instances(std::string_view text,
                                            const std::set<std::string>& modules);

/// An output port connection that drives a wire another output drives too.
struct WireDriver {
  std::string instance;
  std::string port;
};

struct SharedWire {
  std::string wire;  ///< "out_flit_R_0_1", "noc_out_flit_R_0_EP[0]"
  std::vector<WireDriver> drivers;
};

/// The wires (or elements) that two output connections drive. Two-state simulation lets one of
/// them win, so only the text names both. `is_output(module, port)` tells the directions.
std::vector<SharedWire> shared_wires(
    const std::vector<TopInstance>& instances,
    const std::function<bool(const std::string& module, const std::string& port)>& is_output);

}  // namespace noc::verify
