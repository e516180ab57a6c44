// Stand-in NoC router for the example network. It does not route: output slot k drives a flit
// holding the router's tag and k, and at the end of a simulation the router prints what each
// input slot received. That is enough to prove every wire of a generated top module.
module noc_router
  #(parameter FLIT_WIDTH = 32,
    parameter INPUTS = 2,
    parameter OUTPUTS = 2,
    parameter DESTS = 32)
  (input clk, rst,
   input [INPUTS-1:0][FLIT_WIDTH-1:0] in_flit,
   input [INPUTS-1:0] in_last,
   input [INPUTS-1:0] in_valid,
   output [INPUTS-1:0] in_ready,
   output [OUTPUTS-1:0][FLIT_WIDTH-1:0] out_flit,
   output [OUTPUTS-1:0] out_last,
   output [OUTPUTS-1:0] out_valid,
   input [OUTPUTS-1:0] out_ready);

  // A random tag per instance; the simulation log maps tags back to instance names.
  logic [23:0] tag;
  logic [7:0] cycles;
  initial tag = 24'($urandom);

  always_ff @(posedge clk)
    if (rst) cycles <= 0;
    else cycles <= cycles + 1;

  for (genvar k = 0; k < OUTPUTS; k++) begin : g_out
    assign out_flit[k] = FLIT_WIDTH'({tag, 8'(k)});
    assign out_last[k] = 1'b1;
    assign out_valid[k] = 1'b1;
  end
  assign in_ready = '1;

  final begin
    $display("NODE %m %0d %0d %0d %0d", tag, INPUTS, OUTPUTS, DESTS);
    for (int k = 0; k < INPUTS; k++)
      $display("RECV %m %0d %0d %0d", k, in_flit[k][FLIT_WIDTH-1:8], in_flit[k][7:0]);
    $display("CTRL %m %b %b %b %0d", in_last, in_valid, out_ready, cycles);
  end
endmodule
