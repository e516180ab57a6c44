#pragma once

// What one traffic simulation runs: the pattern of destinations, the offered load, the phases,
// and the layout of a packet, written as the harness reads it.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "route/design_routes.h"

namespace noc::verify {

enum class Pattern {
  kAllPairs,       ///< every source sends one packet to every other destination
  kUniform,        ///< each packet to a destination drawn at random
  kTranspose,      ///< destination bits: the source's upper and lower halves swapped
  kBitComplement,  ///< destination: the source's bits inverted
  kHotspot,        ///< a fifth of the packets to destination 0, the rest uniform
  kNeighbour,      ///< to the same channel of a tile on the next router that has one
};

std::optional<Pattern> pattern_by_name(std::string_view name);
const char* pattern_name(Pattern pattern);

/// The fixed destination of each source for transpose, bitcomp and neighbour: -1 for a source
/// whose partner is itself or no destination (the patterns are defined on the bits of
/// destination numbers, and a network rarely has a power of two of them).
std::vector<int> pattern_partners(Pattern pattern, const route::PortMap& map);

/// The bits of the first flit that carry the destination.
struct DestField {
  int hi = 0, lo = 0;
};

/// The default field: the top clog2(DESTS) bits of a flit of `flit_width` bits.
DestField default_dest_field(int flit_width, int dests);

/// "HI:LO", checked against the flit width and the destinations it must number; throws
/// noc::Error saying what is wrong.
DestField parse_dest_field(const std::string& text, int flit_width, int destinations);

struct PointConfig {
  Pattern pattern = Pattern::kAllPairs;
  double rate = 0;  ///< flits per cycle per source
  int packet_flits = 2;
  int flit_width = 32;
  DestField dest;
  long warmup = 0, measure = 0, drain = 0;
  long stall_cycles = 1000;
  long max_cycles = 0;
  std::uint64_t seed = 1;
};

/// traffic.cfg for one simulation of the network `routes` describes.
std::string point_config_text(const PointConfig& point, const route::DesignRoutes& routes);

}  // namespace noc::verify
