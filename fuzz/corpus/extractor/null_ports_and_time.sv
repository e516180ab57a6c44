import tag_pkg::tag_t;
`define PORTS(d, s) input logic d``_a s
`define MULTI(x) \
  // a comment that continues \
  input logic x
module m #(parameter time HOLD = 1.5ns, realtime T = 20ps)
  (, `PORTS(b, ), , `MULTI(c), input tag_t t, );
endmodule
