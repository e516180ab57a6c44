// The compute tile of the routing example, a placeholder for yours: it declares ID, which
// nocgen generate --routing passes each tile as its number (the destination of its channel 0),
// and the NoC ports. It sends nothing; nocgen traffic stands in for it with packet sources.
module compute_tile
  import optimsoc_config::*;
  #(parameter config_t CONFIG = 'x,
    parameter ID = 0,
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

  assign noc_out_flit = '0;
  assign noc_out_last = '0;
  assign noc_out_valid = '0;
  assign noc_in_ready = '1;
endmodule
