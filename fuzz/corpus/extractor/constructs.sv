package cfg_pkg; typedef struct packed {int W; int N;} cfg_t; endpackage
interface bus_if; endinterface
module m import cfg_pkg::*; #(parameter cfg_t Cfg = '{W: 8, N: 4}, parameter type T = logic [3:0])
(input logic [Cfg.W-1:0] a [2], output logic [$clog2(Cfg.N)-1:0] y, bus_if.master b, input T t = 0, output \esc.name );
a1: assert property (@(posedge clk) a |-> y);
property p; a ##1 y; endproperty
class c; pure virtual function void f(); endclass
always @(* ) begin end
endmodule
