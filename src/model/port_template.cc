#include "model/port_template.h"

#include <algorithm>

#include "common/error.h"

namespace noc::model {

RouterPortTemplate make_router_template(const std::vector<rtl::PortTuple>& inputs,
                                        const std::vector<rtl::PortTuple>& outputs) {
  RouterPortTemplate result;
  std::vector<std::size_t> index_clk_rst;
  for (std::size_t i = 0; i < inputs.size(); ++i)
    if (inputs[i].name() == "clk" || inputs[i].name() == "rst") index_clk_rst.push_back(i);
  result.data_inputs = inputs;
  std::size_t count = 0;
  for (std::size_t i : index_clk_rst) {
    rtl::PortTuple found = result.data_inputs[i - count];  // earlier removals moved it forward
    result.router_clk_rst.push_back(found.name());
    result.data_inputs.erase(
        std::find(result.data_inputs.begin(), result.data_inputs.end(), found));
    ++count;
  }
  for (const rtl::PortTuple& tuple : result.data_inputs)
    result.router_inputs_dict.set(tuple.name(), tuple);
  for (const rtl::PortTuple& tuple : outputs) result.router_outputs_dict.set(tuple.name(), tuple);
  return result;
}

void refuse_escaped_names(const std::vector<rtl::PortTuple>& ports, std::string_view role,
                          const std::string& path) {
  for (const rtl::PortTuple& port : ports) {
    if (port.name().empty() || port.name().front() != '\\') continue;
    // Wire names are the port name with a suffix appended, and an escaped name ends at the white
    // space that the suffix would have to go behind.
    throw Error(std::string(role) + " port \"" + port.name() +
                    "\" has an escaped name; the generator builds wire names by extending port "
                    "names, which an escaped name does not allow: rename the port",
                path);
  }
}

RouterPortTemplate read_router_template(rtl::RtlCatalog& catalog) {
  const rtl::ParsedSource& router = catalog.parse(kRouterSourceName);
  rtl::top_module(router);  // a router source without a module is an error of that file
  RouterPortTemplate result = make_router_template(router.first.inputs, router.first.outputs);
  refuse_escaped_names(result.data_inputs, "router", router.path);
  refuse_escaped_names(router.first.outputs, "router", router.path);
  result.includes = router.includes;
  return result;
}

}  // namespace noc::model
