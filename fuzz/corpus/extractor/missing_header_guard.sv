`include "dbg_config.vh"
`ifndef TILE_DEFS_VH
`define TILE_DEFS_VH
`define W 8
`endif
module t #(parameter P = `W)(input [`W-1:0] a,
`ifdef DBG_PORTS
  output dbg,
`endif
  output b,);
`ifdef TRACE
  logic trace;
`endif
endmodule
