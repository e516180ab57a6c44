#include "emit/noc_top_writer.h"

#include <string_view>
#include <unordered_map>

#include "emit/endpoint_section.h"
#include "emit/router_section.h"
#include "model/top_contract.h"

namespace noc::emit {
namespace {

// The fixed frame of the framework's top module. Existing flows parse this text, so it is kept
// as it has always been written, trailing spaces included.
constexpr std::string_view kHeader =
    "(\n"
    "input clk,\n"
    "input rst,\n"
    "output[4 * 32 - 1:0] wb_ext_adr_i,\n"
    "output[4 * 1 - 1:0] wb_ext_cyc_i,\n"
    "output[4 * 32 - 1:0] wb_ext_dat_i,\n"
    "output[4 * 4 - 1:0] wb_ext_sel_i,\n"
    "output[4 * 1 - 1:0] wb_ext_stb_i,\n"
    "output[4 * 1 - 1:0] wb_ext_we_i,\n"
    "output[4 * 1 - 1:0] wb_ext_cab_i,\n"
    "output[4 * 3 - 1:0] wb_ext_cti_i,\n"
    "output[4 * 2 - 1:0] wb_ext_bte_i,\n"
    "input[4 * 1 - 1:0] wb_ext_ack_o,\n"
    "input[4 * 1 - 1:0] wb_ext_rty_o,\n"
    "input[4 * 1 - 1:0] wb_ext_err_o,\n"
    "input[4 * 32 - 1:0] wb_ext_dat_o\n"
    ");\n"
    "\n\n"
    "import dii_package::*; \n"
    "import optimsoc_config:: *; \n"
    "import optimsoc_functions:: *; \n"
    "\n"
    "parameter config_t CONFIG = 'x; \n"
    "localparam FLIT_WIDTH = CONFIG.NOC_FLIT_WIDTH; \n"
    "localparam CHANNELS = CONFIG.NOC_CHANNELS; \n"
    "localparam VCHANNELS = ";
constexpr std::string_view kHeaderEnd =
    ";\n"
    "\n\n"
    "\n\n";

constexpr std::string_view kIncludeLine = "`include \"dbg_config.vh\"\n";

// The names one router block spells, kept from block to block so that their strings are reused,
// and the text every block repeats.
struct BlockNames {
  model::EndpointWires wires;
  DeclarationPorts declarations;
  TileLines tile;
  RouterLines router;
};

void write_router_block(TextSink& out, const Network& network, const model::RouterBlock& block,
                        BlockNames& names) {
  const model::RouterRecord& router = *block.router;
  model::EndpointWires& wires = names.wires;
  network.wires.wires_of(router, wires);
  write_endpoint_wires(out, network, router, wires, names.declarations);
  for (const model::TileInstance& tile : block.tiles)
    write_tile_instance(out, names.tile, wires, tile, network.identity,
                        static_cast<std::size_t>(&tile - network.plan.tiles.data()));
  write_link_wires(out, router, network.routers.link_names, names.router);
  write_router_instance(out, network, names.router, block, wires);
  out << "\n\n";
}

}  // namespace

void write_header(TextSink& out, std::size_t include_count) {
  for (std::size_t i = 0; i <= include_count; ++i) out << kIncludeLine;
  out << "module noc_top\n" << kHeader << model::kTopVirtualChannels << kHeaderEnd;
}

void write_noc_top(TextSink& out, const Network& network) {
  write_header(out, network.tile.total_includes.size());
  BlockNames names{{}, {}, tile_lines(network.tile), router_lines(network)};
  for (const model::RouterBlock& block : network.plan.blocks)
    write_router_block(out, network, block, names);
  out << "endmodule\n";
}

}  // namespace noc::emit
