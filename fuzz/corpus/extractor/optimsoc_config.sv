// The part of the SoC framework's configuration that the example's tiles and top module read.
package optimsoc_config;
  typedef struct packed {
    int NOC_FLIT_WIDTH;
    int NOC_CHANNELS;
  } config_t;
endpackage
