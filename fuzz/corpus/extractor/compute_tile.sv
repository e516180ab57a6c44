// Stand-in compute tile for the example network: one NoC interface of CHANNELS channels. Like
// the example router it drives tagged flits and prints what it receives.
`include "dbg_config.vh"

module compute_tile
  import optimsoc_config::*;
  #(parameter config_t CONFIG = 'x,
    localparam CHANNELS = CONFIG.NOC_CHANNELS,
    localparam FLIT_WIDTH = CONFIG.NOC_FLIT_WIDTH)
  (input clk,
   input rst_cpu, rst_sys, rst_dbg,
   input [CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit,
   input [CHANNELS-1:0] noc_in_last,
   input [CHANNELS-1:0] noc_in_valid,
   input [CHANNELS-1:0] noc_out_ready,
   output [CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit,
   output [CHANNELS-1:0] noc_out_last,
   output [CHANNELS-1:0] noc_out_valid,
   output [CHANNELS-1:0] noc_in_ready);

  // A random tag per instance; the simulation log maps tags back to instance names.
  logic [23:0] tag;
  logic [7:0] cycles;
  initial tag = 24'($urandom);

  // The CPU and debug resets are optional; a top module may leave them open.
  wire reset = rst_sys | (rst_cpu === 1'b1) | (rst_dbg === 1'b1);
  always_ff @(posedge clk)
    if (reset) cycles <= 0;
    else cycles <= cycles + 1;

  for (genvar c = 0; c < CHANNELS; c++) begin : g_channel
    assign noc_out_flit[c] = FLIT_WIDTH'({tag, 8'(c)});
  end
  assign noc_out_last = '1;
  assign noc_out_valid = '1;
  assign noc_in_ready = '1;

  final begin
    $display("NODE %m %0d %0d", tag, `DBG_TRACE_DEPTH);
    for (int c = 0; c < CHANNELS; c++)
      $display("RECV %m %0d %0d %0d", c, noc_in_flit[c][FLIT_WIDTH-1:8], noc_in_flit[c][7:0]);
    $display("CTRL %m %b %b %b %0d", noc_in_last, noc_in_valid, noc_out_ready, cycles);
  end
endmodule
