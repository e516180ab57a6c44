#pragma once

#include <string>
#include <vector>

#include "common/ordered_map.h"
#include "rtl/extract_rtl.h"

namespace noc::model {

/// The interface every router instance shares, read from "noc_router.sv".
struct RouterPortTemplate {
  std::vector<std::string> router_clk_rst;         ///< inputs named exactly clk or rst, in order
  std::vector<rtl::PortTuple> data_inputs;         ///< the other inputs, in order
  OrderedMap<rtl::PortTuple> router_inputs_dict;   ///< name -> tuple of data_inputs
  OrderedMap<rtl::PortTuple> router_outputs_dict;  ///< name -> tuple of every output
  std::vector<std::string> includes;               ///< the router source's include entries
};

inline constexpr const char* kRouterSourceName = "noc_router.sv";

/// Splits a router's ports into clock and reset, data inputs and outputs.
RouterPortTemplate make_router_template(const std::vector<rtl::PortTuple>& inputs,
                                        const std::vector<rtl::PortTuple>& outputs);

/// Refuses a port with an escaped name (\\a.b ): the generator names wires after ports by
/// appending to the name. `role` says whose port it is in the message.
void refuse_escaped_names(const std::vector<rtl::PortTuple>& ports, std::string_view role,
                          const std::string& path);

/// Reads the template from "noc_router.sv" below the catalog's base directory.
RouterPortTemplate read_router_template(rtl::RtlCatalog& catalog);

}  // namespace noc::model
