// Debug interconnect flit of the SoC framework (stand-in: the example only imports it).
package dii_package;
  typedef struct packed {
    logic valid;
    logic last;
    logic [15:0] data;
  } dii_flit;
endpackage
