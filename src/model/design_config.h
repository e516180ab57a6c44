#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/source_tree.h"
#include "rtl/module_header_parser.h"

namespace noc::model {

/// A value of the simulation's CONFIG and where it was read.
struct ConfigValue {
  int value = 0;
  std::string from;  ///< "tb/tb_noc_top.sv", "noc_router's FLIT_WIDTH default"
  std::string path;  ///< the file that assigns it, as read; empty for a default
  int line = 0;      ///< where in `path` it is assigned
};

/// NOC_FLIT_WIDTH and NOC_CHANNELS as the design gives them, where it does.
struct DesignConfig {
  std::optional<ConfigValue> flit_width;
  std::optional<ConfigValue> channels;
  std::vector<std::string> notes;  ///< sources that disagree, and so decided nothing
};

/// The values a configuration of the design assigns (`'{NOC_FLIT_WIDTH: 64, NOC_CHANNELS: 2}`
/// in a testbench or a package below the base directory), when every such assignment agrees;
/// else, for the flit width, the router's FLIT_WIDTH default when it is a number.
DesignConfig read_design_config(const SourceTree& tree, const rtl::ModuleHeader* router);

}  // namespace noc::model
