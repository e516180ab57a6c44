#include "verify/bench.h"

namespace noc::verify {

std::string bench_text(const rtl::ModuleHeader& top, int flit_width, int channels, int top_module) {
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
         "  logic rst = 1'b0;\n"
         "  int unsigned top_id;\n"
         "  " +
         top.name + " #(.CONFIG(CONFIG)) dut\n    (" + connections +
         ");\n"
         "  // The stand-ins step on the probe's ticks, not on the clock: clk and rst are free to\n"
         "  // carry codes, one bit per step, like any output.\n"
         "  always @(noc_verify_probe::drive_tick) begin\n"
         "    clk = 1'(noc_verify_probe::code(top_id, 0, 0) >> (63 - noc_verify_probe::step));\n"
         "    rst = 1'(noc_verify_probe::code(top_id, 1, 0) >> (63 - noc_verify_probe::step));\n"
         "  end\n"
         "  final begin\n"
         "    $display(\"INST noc_top %0d " +
         std::to_string(top_module) +
         "\", top_id);\n"
         "    $display(\"SEND noc_top 0 1\");\n"
         "    $display(\"SEND noc_top 1 1\");\n"
         "  end\n"
         "  initial begin\n"
         "    top_id = noc_verify_probe::instance_id(\"noc_top\");\n"
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
