module m(y, a, b);
output y; reg [3:0] y;
input a; wire signed [7:0] a;
input [1:0] b;
function f; input x; endfunction
`ifdef FORMAL
`ifdef 0
ü "open
`endif
`endif
endmodule
