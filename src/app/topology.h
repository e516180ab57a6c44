#pragma once

#include <string>

#include "emit/text_sink.h"

namespace noc::app {

enum class TopologyKind { kMesh, kTorus, kRing };

struct TopologyRequest {
  TopologyKind kind = TopologyKind::kMesh;
  int width = 2;
  int height = 2;  ///< a ring has width * height routers
  int tiles_per_router = 1;
  std::string router_source = "noc_router.sv";
  std::string tile_source = "compute_tile.sv";
};

/// Reads "mesh", "torus" or "ring"; throws noc::Error for anything else.
TopologyKind parse_topology_kind(const std::string& text);

/// Reads "WxH" (or a bare "N", meaning Nx1); throws noc::Error when it is not two positive sizes.
void parse_topology_size(const std::string& text, TopologyRequest& request);

/// Refuses sizes that are not positive, more than 64 tiles per router, or more routers than a
/// description can hold (the same cap as nocgen topology's).
void check_topology_size(long width, long height, long tiles_per_router);

/// Writes a description that follows the naming rules: routers R_0, R_1, ... numbered row by row,
/// tiles T_0, T_1, ... in router order, every neighbour list mirrored by the other end.
/// The description is streamed, one node per line, routers first.
void write_topology(emit::TextSink& out, const TopologyRequest& request);

}  // namespace noc::app
