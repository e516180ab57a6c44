// Debug system settings shared by the tiles of the example.
`ifndef DBG_CONFIG_VH
`define DBG_CONFIG_VH
`define DBG_TRACE_DEPTH 16
`endif
