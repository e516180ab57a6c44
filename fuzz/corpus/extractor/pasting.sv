`define CELL(k, w=8) module cell_``k (input logic [w-1:0] a, output logic y); endmodule
`define S(x) `"x`"
`define F(q) /``* pragma *``/ q
`CELL(buf)
`CELL(inv, 4)
module `UNDEF (input q); endmodule
