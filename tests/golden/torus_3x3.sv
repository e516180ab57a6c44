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
wire [FLIT_WIDTH-1:0] in_flit_R_0_2;
wire  in_last_R_0_2;
wire  in_valid_R_0_2;
wire  out_ready_R_0_2;
wire [FLIT_WIDTH-1:0] out_flit_R_0_2;
wire  out_last_R_0_2;
wire  out_valid_R_0_2;
wire  in_ready_R_0_2;
wire [FLIT_WIDTH-1:0] in_flit_R_0_3;
wire  in_last_R_0_3;
wire  in_valid_R_0_3;
wire  out_ready_R_0_3;
wire [FLIT_WIDTH-1:0] out_flit_R_0_3;
wire  out_last_R_0_3;
wire  out_valid_R_0_3;
wire  in_ready_R_0_3;
wire [FLIT_WIDTH-1:0] in_flit_R_0_6;
wire  in_last_R_0_6;
wire  in_valid_R_0_6;
wire  out_ready_R_0_6;
wire [FLIT_WIDTH-1:0] out_flit_R_0_6;
wire  out_last_R_0_6;
wire  out_valid_R_0_6;
wire  in_ready_R_0_6;

noc_router
#(
.INPUTS (6),
.OUTPUTS (6),
.DESTS      (32)
)

noc_router_R_0_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_0_EP[0],in_flit_R_0_1,in_flit_R_0_2,in_flit_R_0_3,in_flit_R_0_6}),
.in_last ({noc_out_last_R_0_EP[0],in_last_R_0_1,in_last_R_0_2,in_last_R_0_3,in_last_R_0_6}),
.in_valid ({noc_out_valid_R_0_EP[0],in_valid_R_0_1,in_valid_R_0_2,in_valid_R_0_3,in_valid_R_0_6}),
.out_ready ({noc_in_ready_R_0_EP[0],out_ready_R_0_1,out_ready_R_0_2,out_ready_R_0_3,out_ready_R_0_6}),
.out_flit ({noc_in_flit_R_0_EP[0],out_flit_R_0_1,out_flit_R_0_2,out_flit_R_0_3,out_flit_R_0_6}),
.out_last ({noc_in_last_R_0_EP[0],out_last_R_0_1,out_last_R_0_2,out_last_R_0_3,out_last_R_0_6}),
.out_valid ({noc_in_valid_R_0_EP[0],out_valid_R_0_1,out_valid_R_0_2,out_valid_R_0_3,out_valid_R_0_6}),
.in_ready ({noc_out_ready_R_0_EP[0],in_ready_R_0_1,in_ready_R_0_2,in_ready_R_0_3,in_ready_R_0_6}));


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
wire [FLIT_WIDTH-1:0] in_flit_R_1_4;
wire  in_last_R_1_4;
wire  in_valid_R_1_4;
wire  out_ready_R_1_4;
wire [FLIT_WIDTH-1:0] out_flit_R_1_4;
wire  out_last_R_1_4;
wire  out_valid_R_1_4;
wire  in_ready_R_1_4;
wire [FLIT_WIDTH-1:0] in_flit_R_1_7;
wire  in_last_R_1_7;
wire  in_valid_R_1_7;
wire  out_ready_R_1_7;
wire [FLIT_WIDTH-1:0] out_flit_R_1_7;
wire  out_last_R_1_7;
wire  out_valid_R_1_7;
wire  in_ready_R_1_7;

noc_router
#(
.INPUTS (6),
.OUTPUTS (6),
.DESTS      (32)
)

noc_router_R_1_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_1_EP[0],in_flit_R_1_2,out_flit_R_0_1,in_flit_R_1_4,in_flit_R_1_7}),
.in_last ({noc_out_last_R_1_EP[0],in_last_R_1_2,out_last_R_0_1,in_last_R_1_4,in_last_R_1_7}),
.in_valid ({noc_out_valid_R_1_EP[0],in_valid_R_1_2,out_valid_R_0_1,in_valid_R_1_4,in_valid_R_1_7}),
.out_ready ({noc_in_ready_R_1_EP[0],out_ready_R_1_2,in_ready_R_0_1,out_ready_R_1_4,out_ready_R_1_7}),
.out_flit ({noc_in_flit_R_1_EP[0],out_flit_R_1_2,in_flit_R_0_1,out_flit_R_1_4,out_flit_R_1_7}),
.out_last ({noc_in_last_R_1_EP[0],out_last_R_1_2,in_last_R_0_1,out_last_R_1_4,out_last_R_1_7}),
.out_valid ({noc_in_valid_R_1_EP[0],out_valid_R_1_2,in_valid_R_0_1,out_valid_R_1_4,out_valid_R_1_7}),
.in_ready ({noc_out_ready_R_1_EP[0],in_ready_R_1_2,out_ready_R_0_1,in_ready_R_1_4,in_ready_R_1_7}));


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


wire [FLIT_WIDTH-1:0] in_flit_R_2_5;
wire  in_last_R_2_5;
wire  in_valid_R_2_5;
wire  out_ready_R_2_5;
wire [FLIT_WIDTH-1:0] out_flit_R_2_5;
wire  out_last_R_2_5;
wire  out_valid_R_2_5;
wire  in_ready_R_2_5;
wire [FLIT_WIDTH-1:0] in_flit_R_2_8;
wire  in_last_R_2_8;
wire  in_valid_R_2_8;
wire  out_ready_R_2_8;
wire [FLIT_WIDTH-1:0] out_flit_R_2_8;
wire  out_last_R_2_8;
wire  out_valid_R_2_8;
wire  in_ready_R_2_8;

noc_router
#(
.INPUTS (6),
.OUTPUTS (6),
.DESTS      (32)
)

noc_router_R_2_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_2_EP[0],out_flit_R_0_2,out_flit_R_1_2,in_flit_R_2_5,in_flit_R_2_8}),
.in_last ({noc_out_last_R_2_EP[0],out_last_R_0_2,out_last_R_1_2,in_last_R_2_5,in_last_R_2_8}),
.in_valid ({noc_out_valid_R_2_EP[0],out_valid_R_0_2,out_valid_R_1_2,in_valid_R_2_5,in_valid_R_2_8}),
.out_ready ({noc_in_ready_R_2_EP[0],in_ready_R_0_2,in_ready_R_1_2,out_ready_R_2_5,out_ready_R_2_8}),
.out_flit ({noc_in_flit_R_2_EP[0],in_flit_R_0_2,in_flit_R_1_2,out_flit_R_2_5,out_flit_R_2_8}),
.out_last ({noc_in_last_R_2_EP[0],in_last_R_0_2,in_last_R_1_2,out_last_R_2_5,out_last_R_2_8}),
.out_valid ({noc_in_valid_R_2_EP[0],in_valid_R_0_2,in_valid_R_1_2,out_valid_R_2_5,out_valid_R_2_8}),
.in_ready ({noc_out_ready_R_2_EP[0],out_ready_R_0_2,out_ready_R_1_2,in_ready_R_2_5,in_ready_R_2_8}));


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


wire [FLIT_WIDTH-1:0] in_flit_R_3_4;
wire  in_last_R_3_4;
wire  in_valid_R_3_4;
wire  out_ready_R_3_4;
wire [FLIT_WIDTH-1:0] out_flit_R_3_4;
wire  out_last_R_3_4;
wire  out_valid_R_3_4;
wire  in_ready_R_3_4;
wire [FLIT_WIDTH-1:0] in_flit_R_3_5;
wire  in_last_R_3_5;
wire  in_valid_R_3_5;
wire  out_ready_R_3_5;
wire [FLIT_WIDTH-1:0] out_flit_R_3_5;
wire  out_last_R_3_5;
wire  out_valid_R_3_5;
wire  in_ready_R_3_5;
wire [FLIT_WIDTH-1:0] in_flit_R_3_6;
wire  in_last_R_3_6;
wire  in_valid_R_3_6;
wire  out_ready_R_3_6;
wire [FLIT_WIDTH-1:0] out_flit_R_3_6;
wire  out_last_R_3_6;
wire  out_valid_R_3_6;
wire  in_ready_R_3_6;

noc_router
#(
.INPUTS (6),
.OUTPUTS (6),
.DESTS      (32)
)

noc_router_R_3_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_3_EP[0],in_flit_R_3_4,in_flit_R_3_5,in_flit_R_3_6,out_flit_R_0_3}),
.in_last ({noc_out_last_R_3_EP[0],in_last_R_3_4,in_last_R_3_5,in_last_R_3_6,out_last_R_0_3}),
.in_valid ({noc_out_valid_R_3_EP[0],in_valid_R_3_4,in_valid_R_3_5,in_valid_R_3_6,out_valid_R_0_3}),
.out_ready ({noc_in_ready_R_3_EP[0],out_ready_R_3_4,out_ready_R_3_5,out_ready_R_3_6,in_ready_R_0_3}),
.out_flit ({noc_in_flit_R_3_EP[0],out_flit_R_3_4,out_flit_R_3_5,out_flit_R_3_6,in_flit_R_0_3}),
.out_last ({noc_in_last_R_3_EP[0],out_last_R_3_4,out_last_R_3_5,out_last_R_3_6,in_last_R_0_3}),
.out_valid ({noc_in_valid_R_3_EP[0],out_valid_R_3_4,out_valid_R_3_5,out_valid_R_3_6,in_valid_R_0_3}),
.in_ready ({noc_out_ready_R_3_EP[0],in_ready_R_3_4,in_ready_R_3_5,in_ready_R_3_6,out_ready_R_0_3}));


wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit_R_4_EP;
wire [0:0][CHANNELS-1:0] noc_in_last_R_4_EP;
wire [0:0][CHANNELS-1:0] noc_in_valid_R_4_EP;
wire [0:0][CHANNELS-1:0] noc_out_ready_R_4_EP;
wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit_R_4_EP;
wire [0:0][CHANNELS-1:0] noc_out_last_R_4_EP;
wire [0:0][CHANNELS-1:0] noc_out_valid_R_4_EP;
wire [0:0][CHANNELS-1:0] noc_in_ready_R_4_EP;


compute_tile
#(
.CONFIG(CONFIG)
)
compute_tile_T_4_inst(
.clk (clk),
.rst_sys (rst),
.noc_in_flit (noc_in_flit_R_4_EP[0]),
.noc_in_last (noc_in_last_R_4_EP[0]),
.noc_in_valid (noc_in_valid_R_4_EP[0]),
.noc_out_ready (noc_out_ready_R_4_EP[0]),
.noc_out_flit (noc_out_flit_R_4_EP[0]),
.noc_out_last (noc_out_last_R_4_EP[0]),
.noc_out_valid (noc_out_valid_R_4_EP[0]),
.noc_in_ready (noc_in_ready_R_4_EP[0]));


wire [FLIT_WIDTH-1:0] in_flit_R_4_5;
wire  in_last_R_4_5;
wire  in_valid_R_4_5;
wire  out_ready_R_4_5;
wire [FLIT_WIDTH-1:0] out_flit_R_4_5;
wire  out_last_R_4_5;
wire  out_valid_R_4_5;
wire  in_ready_R_4_5;
wire [FLIT_WIDTH-1:0] in_flit_R_4_7;
wire  in_last_R_4_7;
wire  in_valid_R_4_7;
wire  out_ready_R_4_7;
wire [FLIT_WIDTH-1:0] out_flit_R_4_7;
wire  out_last_R_4_7;
wire  out_valid_R_4_7;
wire  in_ready_R_4_7;

noc_router
#(
.INPUTS (6),
.OUTPUTS (6),
.DESTS      (32)
)

noc_router_R_4_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_4_EP[0],in_flit_R_4_5,out_flit_R_3_4,in_flit_R_4_7,out_flit_R_1_4}),
.in_last ({noc_out_last_R_4_EP[0],in_last_R_4_5,out_last_R_3_4,in_last_R_4_7,out_last_R_1_4}),
.in_valid ({noc_out_valid_R_4_EP[0],in_valid_R_4_5,out_valid_R_3_4,in_valid_R_4_7,out_valid_R_1_4}),
.out_ready ({noc_in_ready_R_4_EP[0],out_ready_R_4_5,in_ready_R_3_4,out_ready_R_4_7,in_ready_R_1_4}),
.out_flit ({noc_in_flit_R_4_EP[0],out_flit_R_4_5,in_flit_R_3_4,out_flit_R_4_7,in_flit_R_1_4}),
.out_last ({noc_in_last_R_4_EP[0],out_last_R_4_5,in_last_R_3_4,out_last_R_4_7,in_last_R_1_4}),
.out_valid ({noc_in_valid_R_4_EP[0],out_valid_R_4_5,in_valid_R_3_4,out_valid_R_4_7,in_valid_R_1_4}),
.in_ready ({noc_out_ready_R_4_EP[0],in_ready_R_4_5,out_ready_R_3_4,in_ready_R_4_7,out_ready_R_1_4}));


wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit_R_5_EP;
wire [0:0][CHANNELS-1:0] noc_in_last_R_5_EP;
wire [0:0][CHANNELS-1:0] noc_in_valid_R_5_EP;
wire [0:0][CHANNELS-1:0] noc_out_ready_R_5_EP;
wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit_R_5_EP;
wire [0:0][CHANNELS-1:0] noc_out_last_R_5_EP;
wire [0:0][CHANNELS-1:0] noc_out_valid_R_5_EP;
wire [0:0][CHANNELS-1:0] noc_in_ready_R_5_EP;


compute_tile
#(
.CONFIG(CONFIG)
)
compute_tile_T_5_inst(
.clk (clk),
.rst_sys (rst),
.noc_in_flit (noc_in_flit_R_5_EP[0]),
.noc_in_last (noc_in_last_R_5_EP[0]),
.noc_in_valid (noc_in_valid_R_5_EP[0]),
.noc_out_ready (noc_out_ready_R_5_EP[0]),
.noc_out_flit (noc_out_flit_R_5_EP[0]),
.noc_out_last (noc_out_last_R_5_EP[0]),
.noc_out_valid (noc_out_valid_R_5_EP[0]),
.noc_in_ready (noc_in_ready_R_5_EP[0]));


wire [FLIT_WIDTH-1:0] in_flit_R_5_8;
wire  in_last_R_5_8;
wire  in_valid_R_5_8;
wire  out_ready_R_5_8;
wire [FLIT_WIDTH-1:0] out_flit_R_5_8;
wire  out_last_R_5_8;
wire  out_valid_R_5_8;
wire  in_ready_R_5_8;

noc_router
#(
.INPUTS (6),
.OUTPUTS (6),
.DESTS      (32)
)

noc_router_R_5_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_5_EP[0],out_flit_R_3_5,out_flit_R_4_5,in_flit_R_5_8,out_flit_R_2_5}),
.in_last ({noc_out_last_R_5_EP[0],out_last_R_3_5,out_last_R_4_5,in_last_R_5_8,out_last_R_2_5}),
.in_valid ({noc_out_valid_R_5_EP[0],out_valid_R_3_5,out_valid_R_4_5,in_valid_R_5_8,out_valid_R_2_5}),
.out_ready ({noc_in_ready_R_5_EP[0],in_ready_R_3_5,in_ready_R_4_5,out_ready_R_5_8,in_ready_R_2_5}),
.out_flit ({noc_in_flit_R_5_EP[0],in_flit_R_3_5,in_flit_R_4_5,out_flit_R_5_8,in_flit_R_2_5}),
.out_last ({noc_in_last_R_5_EP[0],in_last_R_3_5,in_last_R_4_5,out_last_R_5_8,in_last_R_2_5}),
.out_valid ({noc_in_valid_R_5_EP[0],in_valid_R_3_5,in_valid_R_4_5,out_valid_R_5_8,in_valid_R_2_5}),
.in_ready ({noc_out_ready_R_5_EP[0],out_ready_R_3_5,out_ready_R_4_5,in_ready_R_5_8,out_ready_R_2_5}));


wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit_R_6_EP;
wire [0:0][CHANNELS-1:0] noc_in_last_R_6_EP;
wire [0:0][CHANNELS-1:0] noc_in_valid_R_6_EP;
wire [0:0][CHANNELS-1:0] noc_out_ready_R_6_EP;
wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit_R_6_EP;
wire [0:0][CHANNELS-1:0] noc_out_last_R_6_EP;
wire [0:0][CHANNELS-1:0] noc_out_valid_R_6_EP;
wire [0:0][CHANNELS-1:0] noc_in_ready_R_6_EP;


compute_tile
#(
.CONFIG(CONFIG)
)
compute_tile_T_6_inst(
.clk (clk),
.rst_sys (rst),
.noc_in_flit (noc_in_flit_R_6_EP[0]),
.noc_in_last (noc_in_last_R_6_EP[0]),
.noc_in_valid (noc_in_valid_R_6_EP[0]),
.noc_out_ready (noc_out_ready_R_6_EP[0]),
.noc_out_flit (noc_out_flit_R_6_EP[0]),
.noc_out_last (noc_out_last_R_6_EP[0]),
.noc_out_valid (noc_out_valid_R_6_EP[0]),
.noc_in_ready (noc_in_ready_R_6_EP[0]));


wire [FLIT_WIDTH-1:0] in_flit_R_6_7;
wire  in_last_R_6_7;
wire  in_valid_R_6_7;
wire  out_ready_R_6_7;
wire [FLIT_WIDTH-1:0] out_flit_R_6_7;
wire  out_last_R_6_7;
wire  out_valid_R_6_7;
wire  in_ready_R_6_7;
wire [FLIT_WIDTH-1:0] in_flit_R_6_8;
wire  in_last_R_6_8;
wire  in_valid_R_6_8;
wire  out_ready_R_6_8;
wire [FLIT_WIDTH-1:0] out_flit_R_6_8;
wire  out_last_R_6_8;
wire  out_valid_R_6_8;
wire  in_ready_R_6_8;

noc_router
#(
.INPUTS (6),
.OUTPUTS (6),
.DESTS      (32)
)

noc_router_R_6_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_6_EP[0],in_flit_R_6_7,in_flit_R_6_8,out_flit_R_0_6,out_flit_R_3_6}),
.in_last ({noc_out_last_R_6_EP[0],in_last_R_6_7,in_last_R_6_8,out_last_R_0_6,out_last_R_3_6}),
.in_valid ({noc_out_valid_R_6_EP[0],in_valid_R_6_7,in_valid_R_6_8,out_valid_R_0_6,out_valid_R_3_6}),
.out_ready ({noc_in_ready_R_6_EP[0],out_ready_R_6_7,out_ready_R_6_8,in_ready_R_0_6,in_ready_R_3_6}),
.out_flit ({noc_in_flit_R_6_EP[0],out_flit_R_6_7,out_flit_R_6_8,in_flit_R_0_6,in_flit_R_3_6}),
.out_last ({noc_in_last_R_6_EP[0],out_last_R_6_7,out_last_R_6_8,in_last_R_0_6,in_last_R_3_6}),
.out_valid ({noc_in_valid_R_6_EP[0],out_valid_R_6_7,out_valid_R_6_8,in_valid_R_0_6,in_valid_R_3_6}),
.in_ready ({noc_out_ready_R_6_EP[0],in_ready_R_6_7,in_ready_R_6_8,out_ready_R_0_6,out_ready_R_3_6}));


wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit_R_7_EP;
wire [0:0][CHANNELS-1:0] noc_in_last_R_7_EP;
wire [0:0][CHANNELS-1:0] noc_in_valid_R_7_EP;
wire [0:0][CHANNELS-1:0] noc_out_ready_R_7_EP;
wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit_R_7_EP;
wire [0:0][CHANNELS-1:0] noc_out_last_R_7_EP;
wire [0:0][CHANNELS-1:0] noc_out_valid_R_7_EP;
wire [0:0][CHANNELS-1:0] noc_in_ready_R_7_EP;


compute_tile
#(
.CONFIG(CONFIG)
)
compute_tile_T_7_inst(
.clk (clk),
.rst_sys (rst),
.noc_in_flit (noc_in_flit_R_7_EP[0]),
.noc_in_last (noc_in_last_R_7_EP[0]),
.noc_in_valid (noc_in_valid_R_7_EP[0]),
.noc_out_ready (noc_out_ready_R_7_EP[0]),
.noc_out_flit (noc_out_flit_R_7_EP[0]),
.noc_out_last (noc_out_last_R_7_EP[0]),
.noc_out_valid (noc_out_valid_R_7_EP[0]),
.noc_in_ready (noc_in_ready_R_7_EP[0]));


wire [FLIT_WIDTH-1:0] in_flit_R_7_8;
wire  in_last_R_7_8;
wire  in_valid_R_7_8;
wire  out_ready_R_7_8;
wire [FLIT_WIDTH-1:0] out_flit_R_7_8;
wire  out_last_R_7_8;
wire  out_valid_R_7_8;
wire  in_ready_R_7_8;

noc_router
#(
.INPUTS (6),
.OUTPUTS (6),
.DESTS      (32)
)

noc_router_R_7_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_7_EP[0],in_flit_R_7_8,out_flit_R_6_7,out_flit_R_1_7,out_flit_R_4_7}),
.in_last ({noc_out_last_R_7_EP[0],in_last_R_7_8,out_last_R_6_7,out_last_R_1_7,out_last_R_4_7}),
.in_valid ({noc_out_valid_R_7_EP[0],in_valid_R_7_8,out_valid_R_6_7,out_valid_R_1_7,out_valid_R_4_7}),
.out_ready ({noc_in_ready_R_7_EP[0],out_ready_R_7_8,in_ready_R_6_7,in_ready_R_1_7,in_ready_R_4_7}),
.out_flit ({noc_in_flit_R_7_EP[0],out_flit_R_7_8,in_flit_R_6_7,in_flit_R_1_7,in_flit_R_4_7}),
.out_last ({noc_in_last_R_7_EP[0],out_last_R_7_8,in_last_R_6_7,in_last_R_1_7,in_last_R_4_7}),
.out_valid ({noc_in_valid_R_7_EP[0],out_valid_R_7_8,in_valid_R_6_7,in_valid_R_1_7,in_valid_R_4_7}),
.in_ready ({noc_out_ready_R_7_EP[0],in_ready_R_7_8,out_ready_R_6_7,out_ready_R_1_7,out_ready_R_4_7}));


wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_in_flit_R_8_EP;
wire [0:0][CHANNELS-1:0] noc_in_last_R_8_EP;
wire [0:0][CHANNELS-1:0] noc_in_valid_R_8_EP;
wire [0:0][CHANNELS-1:0] noc_out_ready_R_8_EP;
wire [0:0][CHANNELS-1:0][FLIT_WIDTH-1:0] noc_out_flit_R_8_EP;
wire [0:0][CHANNELS-1:0] noc_out_last_R_8_EP;
wire [0:0][CHANNELS-1:0] noc_out_valid_R_8_EP;
wire [0:0][CHANNELS-1:0] noc_in_ready_R_8_EP;


compute_tile
#(
.CONFIG(CONFIG)
)
compute_tile_T_8_inst(
.clk (clk),
.rst_sys (rst),
.noc_in_flit (noc_in_flit_R_8_EP[0]),
.noc_in_last (noc_in_last_R_8_EP[0]),
.noc_in_valid (noc_in_valid_R_8_EP[0]),
.noc_out_ready (noc_out_ready_R_8_EP[0]),
.noc_out_flit (noc_out_flit_R_8_EP[0]),
.noc_out_last (noc_out_last_R_8_EP[0]),
.noc_out_valid (noc_out_valid_R_8_EP[0]),
.noc_in_ready (noc_in_ready_R_8_EP[0]));



noc_router
#(
.INPUTS (6),
.OUTPUTS (6),
.DESTS      (32)
)

noc_router_R_8_inst(
.clk (clk),
.rst (rst),
.in_flit ({noc_out_flit_R_8_EP[0],out_flit_R_6_8,out_flit_R_7_8,out_flit_R_2_8,out_flit_R_5_8}),
.in_last ({noc_out_last_R_8_EP[0],out_last_R_6_8,out_last_R_7_8,out_last_R_2_8,out_last_R_5_8}),
.in_valid ({noc_out_valid_R_8_EP[0],out_valid_R_6_8,out_valid_R_7_8,out_valid_R_2_8,out_valid_R_5_8}),
.out_ready ({noc_in_ready_R_8_EP[0],in_ready_R_6_8,in_ready_R_7_8,in_ready_R_2_8,in_ready_R_5_8}),
.out_flit ({noc_in_flit_R_8_EP[0],in_flit_R_6_8,in_flit_R_7_8,in_flit_R_2_8,in_flit_R_5_8}),
.out_last ({noc_in_last_R_8_EP[0],in_last_R_6_8,in_last_R_7_8,in_last_R_2_8,in_last_R_5_8}),
.out_valid ({noc_in_valid_R_8_EP[0],in_valid_R_6_8,in_valid_R_7_8,in_valid_R_2_8,in_valid_R_5_8}),
.in_ready ({noc_out_ready_R_8_EP[0],out_ready_R_6_8,out_ready_R_7_8,out_ready_R_2_8,out_ready_R_5_8}));


endmodule
