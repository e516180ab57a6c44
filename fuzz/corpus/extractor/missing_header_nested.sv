`include "framework.vh"
`ifdef A
`define X 1
`else
`ifdef B
`define X 2
`endif
`endif
module n(input a
`ifdef C
`ifdef D
  , input [`X:0] d
`elsif E
  , input e
`endif
`endif
);
endmodule
`ifdef F
module later; endmodule
`endif
