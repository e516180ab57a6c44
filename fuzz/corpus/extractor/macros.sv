`define W 8
`define DIM(n) [n-1:0]
`ifdef X
module a; endmodule
`elsif Y
`else
module m import p::*; #(parameter int W = 4, localparam X = W*2) ((* keep *) input `DIM(`W) a, b [2], output pkg::t_t q, inout io);
endmodule
`endif
