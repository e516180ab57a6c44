// Test bench for a generated noc_top: gives it a configuration, a clock and a reset, and ends
// the simulation after a few cycles, when every router and tile prints what it received.
module tb_noc_top;
  import optimsoc_config::*;

  localparam config_t CONFIG = '{NOC_FLIT_WIDTH: 32, NOC_CHANNELS: 2};

  logic clk = 1'b0;
  logic rst = 1'b1;
  wire [4*32-1:0] wb_ext_adr_i, wb_ext_dat_i;
  wire [4*1-1:0] wb_ext_cyc_i, wb_ext_stb_i, wb_ext_we_i, wb_ext_cab_i;
  wire [4*4-1:0] wb_ext_sel_i;
  wire [4*3-1:0] wb_ext_cti_i;
  wire [4*2-1:0] wb_ext_bte_i;

  noc_top #(.CONFIG(CONFIG)) dut
    (.clk, .rst,
     .wb_ext_adr_i, .wb_ext_cyc_i, .wb_ext_dat_i, .wb_ext_sel_i, .wb_ext_stb_i, .wb_ext_we_i,
     .wb_ext_cab_i, .wb_ext_cti_i, .wb_ext_bte_i,
     .wb_ext_ack_o('0), .wb_ext_rty_o('0), .wb_ext_err_o('0), .wb_ext_dat_o('0));

  initial begin
    repeat (2) begin
      #5 clk = 1'b1;
      #5 clk = 1'b0;
    end
    rst = 1'b0;
    repeat (3) begin
      #5 clk = 1'b1;
      #5 clk = 1'b0;
    end
    $finish;
  end

  // The bus is not used by the example's tiles.
  final $display("BUS %h %h %h %h %h %h %h %h %h", wb_ext_adr_i, wb_ext_dat_i, wb_ext_cyc_i,
                 wb_ext_stb_i, wb_ext_we_i, wb_ext_cab_i, wb_ext_sel_i, wb_ext_cti_i,
                 wb_ext_bte_i);
endmodule
