`include "dbg_config.vh"
`include "dbg_config.vh"
module noc_top
(
input clk,
input rst,
output[4 * 32 - 1:0] wb_ext_adr_i,
output[4 * 1 - 1:0] wb_ext_cyc_i,
output[4 * 32 - 1:0] wb_ext_dat_i,
output[4 * 4 - 1:0] wb_ext_sel_i,
output[4 * 1 - 1:0] wb_ext_stb_i,
output[4 * 1 - 1:0] wb_ext_we_i,
output[4 * 1 - 1:0] wb_ext_cab_i,
output[4 * 3 - 1:0] wb_ext_cti_i,
output[4 * 2 - 1:0] wb_ext_bte_i,
input[4 * 1 - 1:0] wb_ext_ack_o,
input[4 * 1 - 1:0] wb_ext_rty_o,
input[4 * 1 - 1:0] wb_ext_err_o,
input[4 * 32 - 1:0] wb_ext_dat_o
);


import dii_package::*; 
import optimsoc_config:: *; 
import optimsoc_functions:: *; 

parameter config_t CONFIG = 'x; 
localparam FLIT_WIDTH = CONFIG.NOC_FLIT_WIDTH; 
localparam CHANNELS = CONFIG.NOC_CHANNELS; 
localparam VCHANNELS = 2;




wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit_R_0_EP;
wire [0:0][CHANNELS-1:0] noc_in_last_R_0_EP;
wire [0:0][CHANNELS-1:0] noc_in_valid_R_0_EP;
wire [0:0][CHANNELS-1:0] noc_out_ready_R_0_EP;
wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit_R_0_EP;
wire [0:0][CHANNELS-1:0] noc_out_last_R_0_EP;
wire [0:0][CHANNELS-1:0] noc_out_valid_R_0_EP;
wire [0:0][CHANNELS-1:0] noc_in_ready_R_0_EP;


compute_tile
#(
.CONFIG(CONFIG)
)
compute_tile_T_0_inst(
.clk (clk),
.rst_sys (rst),
.noc_in_flit (noc_in_flit_R_0_EP[0]),
.noc_in_last (noc_in_last_R_0_EP[0]),
.noc_in_valid (noc_in_valid_R_0_EP[0]),
.noc_out_ready (noc_out_ready_R_0_EP[0]),
.noc_out_flit (noc_out_flit_R_0_EP[0]),
.noc_out_last (noc_out_last_R_0_EP[0]),
.noc_out_valid (noc_out_valid_R_0_EP[0]),
.noc_in_ready (noc_in_ready_R_0_EP[0]));


wire [FLIT_WIDTH-1:0] in_flit_R_0_1;
wire  in_last_R_0_1;
wire  in_valid_R_0_1;
wire  out_ready_R_0_1;
wire [FLIT_WIDTH-1:0] out_flit_R_0_1;
wire  out_last_R_0_1;
wire  out_valid_R_0_1;
wire  in_ready_R_0_1;
wire [FLIT_WIDTH-1:0] in_flit_R_0_3;
wire  in_last_R_0_3;
wire  in_valid_R_0_3;
wire  out_ready_R_0_3;
wire [FLIT_WIDTH-1:0] out_flit_R_0_3;
wire  out_last_R_0_3;
wire  out_valid_R_0_3;
wire  in_ready_R_0_3;

noc_router
#(
.INPUTS (4),
.OUTPUTS (4),
.DESTS      (32)
)

noc_router_R_0_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_0_EP[0],in_flit_R_0_1,in_flit_R_0_3}),
.in_last ({noc_out_last_R_0_EP[0],in_last_R_0_1,in_last_R_0_3}),
.in_valid ({noc_out_valid_R_0_EP[0],in_valid_R_0_1,in_valid_R_0_3}),
.out_ready ({noc_in_ready_R_0_EP[0],out_ready_R_0_1,out_ready_R_0_3}),
.out_flit ({noc_in_flit_R_0_EP[0],out_flit_R_0_1,out_flit_R_0_3}),
.out_last ({noc_in_last_R_0_EP[0],out_last_R_0_1,out_last_R_0_3}),
.out_valid ({noc_in_valid_R_0_EP[0],out_valid_R_0_1,out_valid_R_0_3}),
.in_ready ({noc_out_ready_R_0_EP[0],in_ready_R_0_1,in_ready_R_0_3}));


wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit_R_1_EP;
wire [0:0][CHANNELS-1:0] noc_in_last_R_1_EP;
wire [0:0][CHANNELS-1:0] noc_in_valid_R_1_EP;
wire [0:0][CHANNELS-1:0] noc_out_ready_R_1_EP;
wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit_R_1_EP;
wire [0:0][CHANNELS-1:0] noc_out_last_R_1_EP;
wire [0:0][CHANNELS-1:0] noc_out_valid_R_1_EP;
wire [0:0][CHANNELS-1:0] noc_in_ready_R_1_EP;


compute_tile
#(
.CONFIG(CONFIG)
)
compute_tile_T_1_inst(
.clk (clk),
.rst_sys (rst),
.noc_in_flit (noc_in_flit_R_1_EP[0]),
.noc_in_last (noc_in_last_R_1_EP[0]),
.noc_in_valid (noc_in_valid_R_1_EP[0]),
.noc_out_ready (noc_out_ready_R_1_EP[0]),
.noc_out_flit (noc_out_flit_R_1_EP[0]),
.noc_out_last (noc_out_last_R_1_EP[0]),
.noc_out_valid (noc_out_valid_R_1_EP[0]),
.noc_in_ready (noc_in_ready_R_1_EP[0]));


wire [FLIT_WIDTH-1:0] in_flit_R_1_2;
wire  in_last_R_1_2;
wire  in_valid_R_1_2;
wire  out_ready_R_1_2;
wire [FLIT_WIDTH-1:0] out_flit_R_1_2;
wire  out_last_R_1_2;
wire  out_valid_R_1_2;
wire  in_ready_R_1_2;

noc_router
#(
.INPUTS (4),
.OUTPUTS (4),
.DESTS      (32)
)

noc_router_R_1_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_1_EP[0],in_flit_R_1_2,out_flit_R_0_1}),
.in_last ({noc_out_last_R_1_EP[0],in_last_R_1_2,out_last_R_0_1}),
.in_valid ({noc_out_valid_R_1_EP[0],in_valid_R_1_2,out_valid_R_0_1}),
.out_ready ({noc_in_ready_R_1_EP[0],out_ready_R_1_2,in_ready_R_0_1}),
.out_flit ({noc_in_flit_R_1_EP[0],out_flit_R_1_2,in_flit_R_0_1}),
.out_last ({noc_in_last_R_1_EP[0],out_last_R_1_2,in_last_R_0_1}),
.out_valid ({noc_in_valid_R_1_EP[0],out_valid_R_1_2,in_valid_R_0_1}),
.in_ready ({noc_out_ready_R_1_EP[0],in_ready_R_1_2,out_ready_R_0_1}));


wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit_R_2_EP;
wire [0:0][CHANNELS-1:0] noc_in_last_R_2_EP;
wire [0:0][CHANNELS-1:0] noc_in_valid_R_2_EP;
wire [0:0][CHANNELS-1:0] noc_out_ready_R_2_EP;
wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit_R_2_EP;
wire [0:0][CHANNELS-1:0] noc_out_last_R_2_EP;
wire [0:0][CHANNELS-1:0] noc_out_valid_R_2_EP;
wire [0:0][CHANNELS-1:0] noc_in_ready_R_2_EP;


compute_tile
#(
.CONFIG(CONFIG)
)
compute_tile_T_2_inst(
.clk (clk),
.rst_sys (rst),
.noc_in_flit (noc_in_flit_R_2_EP[0]),
.noc_in_last (noc_in_last_R_2_EP[0]),
.noc_in_valid (noc_in_valid_R_2_EP[0]),
.noc_out_ready (noc_out_ready_R_2_EP[0]),
.noc_out_flit (noc_out_flit_R_2_EP[0]),
.noc_out_last (noc_out_last_R_2_EP[0]),
.noc_out_valid (noc_out_valid_R_2_EP[0]),
.noc_in_ready (noc_in_ready_R_2_EP[0]));


wire [FLIT_WIDTH-1:0] in_flit_R_2_3;
wire  in_last_R_2_3;
wire  in_valid_R_2_3;
wire  out_ready_R_2_3;
wire [FLIT_WIDTH-1:0] out_flit_R_2_3;
wire  out_last_R_2_3;
wire  out_valid_R_2_3;
wire  in_ready_R_2_3;

noc_router
#(
.INPUTS (4),
.OUTPUTS (4),
.DESTS      (32)
)

noc_router_R_2_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_2_EP[0],in_flit_R_2_3,out_flit_R_1_2}),
.in_last ({noc_out_last_R_2_EP[0],in_last_R_2_3,out_last_R_1_2}),
.in_valid ({noc_out_valid_R_2_EP[0],in_valid_R_2_3,out_valid_R_1_2}),
.out_ready ({noc_in_ready_R_2_EP[0],out_ready_R_2_3,in_ready_R_1_2}),
.out_flit ({noc_in_flit_R_2_EP[0],out_flit_R_2_3,in_flit_R_1_2}),
.out_last ({noc_in_last_R_2_EP[0],out_last_R_2_3,in_last_R_1_2}),
.out_valid ({noc_in_valid_R_2_EP[0],out_valid_R_2_3,in_valid_R_1_2}),
.in_ready ({noc_out_ready_R_2_EP[0],in_ready_R_2_3,out_ready_R_1_2}));


wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit_R_3_EP;
wire [0:0][CHANNELS-1:0] noc_in_last_R_3_EP;
wire [0:0][CHANNELS-1:0] noc_in_valid_R_3_EP;
wire [0:0][CHANNELS-1:0] noc_out_ready_R_3_EP;
wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit_R_3_EP;
wire [0:0][CHANNELS-1:0] noc_out_last_R_3_EP;
wire [0:0][CHANNELS-1:0] noc_out_valid_R_3_EP;
wire [0:0][CHANNELS-1:0] noc_in_ready_R_3_EP;


compute_tile
#(
.CONFIG(CONFIG)
)
compute_tile_T_3_inst(
.clk (clk),
.rst_sys (rst),
.noc_in_flit (noc_in_flit_R_3_EP[0]),
.noc_in_last (noc_in_last_R_3_EP[0]),
.noc_in_valid (noc_in_valid_R_3_EP[0]),
.noc_out_ready (noc_out_ready_R_3_EP[0]),
.noc_out_flit (noc_out_flit_R_3_EP[0]),
.noc_out_last (noc_out_last_R_3_EP[0]),
.noc_out_valid (noc_out_valid_R_3_EP[0]),
.noc_in_ready (noc_in_ready_R_3_EP[0]));



noc_router
#(
.INPUTS (4),
.OUTPUTS (4),
.DESTS      (32)
)

noc_router_R_3_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_3_EP[0],out_flit_R_0_3,out_flit_R_2_3}),
.in_last ({noc_out_last_R_3_EP[0],out_last_R_0_3,out_last_R_2_3}),
.in_valid ({noc_out_valid_R_3_EP[0],out_valid_R_0_3,out_valid_R_2_3}),
.out_ready ({noc_in_ready_R_3_EP[0],in_ready_R_0_3,in_ready_R_2_3}),
.out_flit ({noc_in_flit_R_3_EP[0],in_flit_R_0_3,in_flit_R_2_3}),
.out_last ({noc_in_last_R_3_EP[0],in_last_R_0_3,in_last_R_2_3}),
.out_valid ({noc_in_valid_R_3_EP[0],in_valid_R_0_3,in_valid_R_2_3}),
.in_ready ({noc_out_ready_R_3_EP[0],out_ready_R_0_3,out_ready_R_2_3}));


endmodule
