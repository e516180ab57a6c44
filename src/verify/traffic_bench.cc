#include "verify/traffic_bench.h"

#include <algorithm>
#include <optional>

#include "common/error.h"
#include "common/text.h"
#include "model/top_contract.h"
#include "verify/stand_in.h"

namespace noc::verify {
namespace {

std::string ref(const std::string& name) {
  return !name.empty() && name.front() == '\\' ? name + " " : name;
}

// The tile port whose name ends in `role` ("in_flit"), in `ports`.
const rtl::PortTuple* port_ending(const std::vector<rtl::PortTuple>& ports,
                                  const std::string& role) {
  for (const rtl::PortTuple& port : ports)
    if (port.name() == role || port.name().ends_with("_" + role)) return &port;
  return nullptr;
}

const rtl::PortTuple* clock_of(const rtl::ModuleHeader& tile) {
  for (const rtl::PortTuple& port : tile.inputs)
    if (port.name() == "clk") return &port;
  for (const rtl::PortTuple& port : tile.inputs)
    if (port.name().find("clk") != std::string::npos) return &port;
  return nullptr;
}

struct ChannelPorts {
  const rtl::PortTuple *in_flit, *in_last, *in_valid, *out_ready;    // inputs
  const rtl::PortTuple *out_flit, *out_last, *out_valid, *in_ready;  // outputs
};

ChannelPorts channel_ports(const rtl::ModuleHeader& tile, const std::string& origin) {
  ChannelPorts ports{};
  std::string missing;
  auto find = [&](const std::vector<rtl::PortTuple>& list, const char* role,
                  const char* direction) {
    const rtl::PortTuple* port = port_ending(list, role);
    if (!port) missing += std::string(missing.empty() ? "" : ", ") + direction + " " + role;
    return port;
  };
  ports.in_flit = find(tile.inputs, "in_flit", "input");
  ports.in_last = find(tile.inputs, "in_last", "input");
  ports.in_valid = find(tile.inputs, "in_valid", "input");
  ports.out_ready = find(tile.inputs, "out_ready", "input");
  ports.out_flit = find(tile.outputs, "out_flit", "output");
  ports.out_last = find(tile.outputs, "out_last", "output");
  ports.out_valid = find(tile.outputs, "out_valid", "output");
  ports.in_ready = find(tile.outputs, "in_ready", "output");
  if (!missing.empty())
    throw Error("traffic cannot stand in for tile module " + in_quotes(tile.name) + ": it has no " +
                    missing +
                    " port (a channel is flit, last, valid and ready each way, with any prefix: "
                    "noc_in_flit)",
                origin);
  return ports;
}

}  // namespace

std::string traffic_package_text(int flit_width) {
  std::string w = std::to_string(flit_width);
  return std::string(
             "// Written by nocgen traffic: the harness's functions, called by the "
             "stand-ins and the bench.\npackage ") +
         kTrafficPackage +
         ";\n"
         "  import \"DPI-C\" function int nt_tile(input string path);\n"
         "  import \"DPI-C\" function void nt_send(input int src, input bit taken, output bit "
         "valid,\n      output bit last, output bit [" +
         w +
         "-1:0] flit);\n"
         "  import \"DPI-C\" function void nt_receive(input int at, input bit last, input bit [" +
         w +
         "-1:0] flit);\n"
         "  import \"DPI-C\" function void nt_hop(input int router, input int slot, input bit "
         "last,\n      input bit [" +
         w +
         "-1:0] flit);\n"
         "  import \"DPI-C\" function void nt_hold(input int router, input int slot, input bit "
         "ready,\n      input bit [" +
         w +
         "-1:0] flit);\n"
         "  import \"DPI-C\" function int nt_cycle();\n"
         "  import \"DPI-C\" function void nt_finish();\n"
         "endpackage\n";
}

std::string traffic_stand_in(const rtl::ModuleHeader& tile, const std::string& origin,
                             int flit_width) {
  ChannelPorts ports = channel_ports(tile, origin);
  const rtl::PortTuple* clock = clock_of(tile);
  if (!clock)
    throw Error("traffic cannot stand in for tile module " + in_quotes(tile.name) +
                    ": it has no clock input (clk)",
                origin);
  std::string w = std::to_string(flit_width), text;
  text += "// Stand-in written by nocgen traffic for module " + tile.name + " of " + origin +
          ":\n// its interface, and a packet source and sink on each channel.\n";
  text += stand_in_header(tile);
  auto flat = [&](const rtl::PortTuple* port, const char* name) {
    text +=
        "  wire [$bits(" + ref(port->name()) + ")-1:0] " + name + " = " + ref(port->name()) + ";\n";
  };
  flat(ports.in_flit, "nt_in_flit");
  flat(ports.in_last, "nt_in_last");
  flat(ports.in_valid, "nt_in_valid");
  flat(ports.out_ready, "nt_out_ready");
  text += "  int nt_tile;\n  initial nt_tile = " + std::string(kTrafficPackage) +
          "::nt_tile($sformatf(\"%m\"));\n";
  std::string flits, lasts, valids;
  for (int c = model::kSlotsPerTile; c-- > 0;) {
    std::string n = std::to_string(c);
    flits += std::string(flits.empty() ? "" : ", ") + "nt_f" + n;
    lasts += std::string(lasts.empty() ? "" : ", ") + "nt_l" + n;
    valids += std::string(valids.empty() ? "" : ", ") + "nt_v" + n;
  }
  for (int c = 0; c < model::kSlotsPerTile; ++c) {
    std::string n = std::to_string(c),
                src = std::to_string(model::kSlotsPerTile) + " * nt_tile + " + n;
    // A channel's bit of valid, last and ready is the lowest of its share of the port.
    auto bit = [&](const char* flat_name, const rtl::PortTuple* port) {
      return std::string(flat_name) + "[" + n + " * ($bits(" + ref(port->name()) + ") / " +
             std::to_string(model::kSlotsPerTile) + ")]";
    };
    text += "  bit nt_v" + n + ", nt_l" + n + ";\n  bit [" + w + "-1:0] nt_f" + n + ";\n";
    text += "  always @(posedge " + ref(clock->name()) + ") begin\n";
    text += "    bit valid, last;\n    bit [" + w + "-1:0] flit;\n";
    text += "    if (" + bit("nt_in_valid", ports.in_valid) + ") " + kTrafficPackage +
            "::nt_receive(" + src + ", " + bit("nt_in_last", ports.in_last) + ", nt_in_flit[" + n +
            " * " + w + " +: " + w + "]);\n";
    text += "    " + std::string(kTrafficPackage) + "::nt_send(" + src + ", nt_v" + n + " && " +
            bit("nt_out_ready", ports.out_ready) + ", valid, last, flit);\n";
    text += "    nt_v" + n + " <= valid;\n    nt_l" + n + " <= last;\n    nt_f" + n +
            " <= flit;\n  end\n";
  }
  text += "  assign " + ref(ports.out_flit->name()) + " = {" + flits + "};\n";
  text += "  assign " + ref(ports.out_last->name()) + " = {" + lasts + "};\n";
  text += "  assign " + ref(ports.out_valid->name()) + " = {" + valids + "};\n";
  text += "  assign " + ref(ports.in_ready->name()) + " = '1;\n";
  for (const rtl::PortTuple& port : tile.outputs) {
    bool channel = &port == ports.out_flit || &port == ports.out_last || &port == ports.out_valid ||
                   &port == ports.in_ready;
    if (!channel && !has_unpacked_dimensions(port))
      text += "  assign " + ref(port.name()) + " = '0;\n";
  }
  return text + "endmodule\n";
}

void check_watchable_router(const rtl::ModuleHeader& router, const std::string& origin) {
  for (const char* role : {"out_flit", "out_last", "out_valid"}) {
    auto found = std::find_if(router.outputs.begin(), router.outputs.end(),
                              [&](const rtl::PortTuple& p) { return p.name() == role; });
    if (found == router.outputs.end())
      throw Error("traffic watches router outputs by their names, and router module " +
                      in_quotes(router.name) + " has no output " + role,
                  origin);
    if (std::string(role) != "out_flit" && !found->pieces[1].empty())
      throw Error(std::string("traffic watches one ") + (role + 4) + " bit per router slot, and " +
                      router.name + "'s " + role + " has more (" + found->pieces[1] + ")",
                  origin);
  }
  auto ready = std::find_if(router.inputs.begin(), router.inputs.end(),
                            [](const rtl::PortTuple& p) { return p.name() == "out_ready"; });
  if (ready == router.inputs.end())
    throw Error("traffic watches router outputs by their names, and router module " +
                    in_quotes(router.name) + " has no input out_ready",
                origin);
  if (!ready->pieces[1].empty())
    throw Error("traffic watches one ready bit per router slot, and " + router.name +
                    "'s out_ready has more (" + ready->pieces[1] + ")",
                origin);
}

std::string traffic_bench_text(const rtl::ModuleHeader& top, int flit_width,
                               const std::vector<WatchedRouter>& routers) {
  std::string w = std::to_string(flit_width), p = kTrafficPackage, connections, watch, hold;
  for (const rtl::PortTuple& port : top.inputs) {
    const std::string& name = port.name();
    connections += std::string(connections.empty() ? "" : ",\n     ") + "." + ref(name) +
                   (name == "clk" || name == "rst" ? "(" + name + ")" : "('0)");
  }
  for (std::size_t r = 0; r < routers.size(); ++r) {
    std::string n = std::to_string(r), slots = std::to_string(routers[r].slots),
                at = "dut." + ref(routers[r].instance) + ".";
    watch += "  // " + routers[r].instance + "\n";
    watch += "  wire [" + slots + " * " + w + "-1:0] nt_r" + n + "_flit = " + at + "out_flit;\n";
    for (const char* bit : {"last", "valid", "ready"})
      watch +=
          "  wire [" + slots + "-1:0] nt_r" + n + "_" + bit + " = " + at + "out_" + bit + ";\n";
    watch += "  for (genvar s = 0; s < " + slots + "; s++) begin : nt_watch_" + n +
             "\n    always @(posedge clk)\n      if (!rst && nt_r" + n + "_valid[s] && nt_r" + n +
             "_ready[s])\n        " + p + "::nt_hop(" + n + ", s, nt_r" + n + "_last[s], nt_r" + n +
             "_flit[s * " + w + " +: " + w + "]);\n  end\n";
    hold += "    for (int s = 0; s < " + slots + "; s++)\n      if (nt_r" + n + "_valid[s]) " + p +
            "::nt_hold(" + n + ", s, nt_r" + n + "_ready[s], nt_r" + n + "_flit[s * " + w +
            " +: " + w + "]);\n";
  }
  return std::string(
             "// Written by nocgen traffic: clocks noc_top around the user's routers and the "
             "traffic stand-ins,\n// and watches every router output.\nmodule ") +
         kTrafficBench +
         ";\n"
         "  import optimsoc_config::*;\n"
         "  localparam config_t CONFIG = '{NOC_FLIT_WIDTH: " +
         w + ", NOC_CHANNELS: " + std::to_string(model::kSlotsPerTile) +
         ", default: '0};\n"
         "  logic clk = 1'b0;\n"
         "  logic rst = 1'b1;\n"
         "  always #5 clk = ~clk;\n  " +
         top.name + " #(.CONFIG(CONFIG)) dut\n    (" + connections + ");\n" + watch +
         "  // What each router output offers when nothing has moved for too long.\n"
         "  task automatic report_holds;\n" +
         hold +
         "  endtask\n"
         "  initial begin\n"
         "    repeat (4) @(negedge clk);\n"
         "    rst = 1'b0;\n"
         "    forever begin\n"
         "      int state;\n"
         "      @(negedge clk);\n"
         "      state = " +
         p +
         "::nt_cycle();\n"
         "      if (state == 2) begin\n"
         "        report_holds();\n"
         "        " +
         p +
         "::nt_finish();\n"
         "      end\n"
         "      if (state != 0) $finish;\n"
         "    end\n"
         "  end\n"
         "endmodule\n";
}

}  // namespace noc::verify
