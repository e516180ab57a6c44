#include "model/port_template.h"

#include <algorithm>

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

RouterPortTemplate read_router_template(rtl::RtlCatalog& catalog) {
  rtl::ExtractRtl router(catalog, kRouterSourceName);
  router.extract_headers();
  router.extract_io();
  router.extract_param();
  router.extract_module();
  router.top_module();  // a router source without a module is an error of that file
  RouterPortTemplate result = make_router_template(router.inputs(), router.outputs());
  result.includes = router.includes();
  return result;
}

}  // namespace noc::model
