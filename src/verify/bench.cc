#include "verify/bench.h"

namespace noc::verify {

std::string bench_text(const rtl::ModuleHeader& top, int flit_width, int channels) {
  std::string connections;
  auto add = [&](const std::string& text) {
    connections += (connections.empty() ? "" : ",\n     ") + text;
  };
  for (const rtl::PortTuple& port : top.inputs) {
    const std::string& name = port.name();
    std::string ref = name.front() == '\\' ? name + " " : name;
    add("." + ref + (name == "clk" || name == "rst" ? "(" + name + ")" : "('0)"));
  }
  return std::string("// Written by nocgen verify: drives ") + top.name +
         " and steps every stand-in through its probe codes.\n"
         "module " +
         kBenchModule +
         ";\n"
         "  import optimsoc_config::*;\n"
         "  localparam config_t CONFIG = '{NOC_FLIT_WIDTH: " +
         std::to_string(flit_width) + ", NOC_CHANNELS: " + std::to_string(channels) +
         ", default: '0};\n"
         "  logic clk = 1'b0;\n"
         "  logic rst = 1'b1;\n"
         "  " +
         top.name + " #(.CONFIG(CONFIG)) dut\n    (" + connections +
         ");\n"
         "  always #5 clk = ~clk;\n"
         "  initial begin\n"
         "    #20 rst = 1'b0;\n"
         "    for (int s = 0; s < noc_verify_probe::STEPS; s++) begin\n"
         "      noc_verify_probe::step = s;\n"
         "      noc_verify_probe::drive_tick = ~noc_verify_probe::drive_tick;\n"
         "      #5 noc_verify_probe::sample_tick = ~noc_verify_probe::sample_tick;\n"
         "      #5;\n"
         "    end\n"
         "    $finish;\n"
         "  end\n"
         "endmodule\n";
}

}  // namespace noc::verify
