#include "verify/traffic_config.h"

#include <algorithm>
#include <cstdio>

#include "common/error.h"
#include "common/text.h"

namespace noc::verify {
namespace {

constexpr std::pair<Pattern, const char*> kPatterns[] = {
    {Pattern::kAllPairs, "all-pairs"},  {Pattern::kUniform, "uniform"},
    {Pattern::kTranspose, "transpose"}, {Pattern::kBitComplement, "bitcomp"},
    {Pattern::kHotspot, "hotspot"},     {Pattern::kNeighbour, "neighbour"},
};

int bits_for(int count) {
  int bits = 0;
  while ((1L << bits) < count) ++bits;
  return bits;
}

// The neighbour pattern: the same channel of the first tile of the first router, in slot order,
// next to the source's router that has tiles.
int neighbour_of(const route::PortMap& map, int source) {
  const route::Destination& from = map.destinations[static_cast<std::size_t>(source)];
  for (const route::Slot& slot : map.routers[static_cast<std::size_t>(from.router)].slots) {
    if (!slot.to_router || slot.router < 0) continue;
    for (std::size_t d = 0; d < map.destinations.size(); ++d)
      if (map.destinations[d].router == slot.router && map.destinations[d].channel == from.channel)
        return static_cast<int>(d);
  }
  return -1;
}

}  // namespace

std::optional<Pattern> pattern_by_name(std::string_view name) {
  for (const auto& [pattern, text] : kPatterns)
    if (name == text) return pattern;
  return std::nullopt;
}

const char* pattern_name(Pattern pattern) {
  for (const auto& [p, text] : kPatterns)
    if (p == pattern) return text;
  return "?";
}

std::vector<int> pattern_partners(Pattern pattern, const route::PortMap& map) {
  int n = static_cast<int>(map.destinations.size()), bits = bits_for(n);
  std::vector<int> partner(static_cast<std::size_t>(n), -1);
  for (int s = 0; s < n; ++s) {
    int d = -1;
    if (pattern == Pattern::kBitComplement) {
      d = ~s & ((1 << bits) - 1);
    } else if (pattern == Pattern::kTranspose) {
      int low = bits / 2, high = bits - low;
      // (upper, lower) -> (lower, upper); an odd width keeps its middle bit's place in the upper
      d = ((s & ((1 << low) - 1)) << high) | (s >> low);
    } else if (pattern == Pattern::kNeighbour) {
      d = neighbour_of(map, s);
    }
    partner[static_cast<std::size_t>(s)] = d >= 0 && d < n && d != s ? d : -1;
  }
  return partner;
}

DestField default_dest_field(int flit_width, int dests) {
  int bits = std::max(1, bits_for(dests));
  return DestField{flit_width - 1, flit_width - bits};
}

DestField parse_dest_field(const std::string& text, int flit_width, int destinations) {
  int hi = -1, lo = -1;
  char end = 0;
  if (std::sscanf(text.c_str(), "%d:%d%c", &hi, &lo, &end) != 2 || hi < lo || lo < 0)
    throw Error("--dest-field " + in_quotes(text) + " is not HI:LO with HI >= LO >= 0");
  if (hi >= flit_width)
    throw Error("--dest-field " + text + " reaches above the flit's " + std::to_string(flit_width) +
                " bits");
  if (hi - lo + 1 < 31 && (1L << (hi - lo + 1)) < destinations)
    throw Error("--dest-field " + text + " holds " + std::to_string(hi - lo + 1) +
                " bits, too few to number " + std::to_string(destinations) + " destinations");
  return DestField{hi, lo};
}

std::string point_config_text(const PointConfig& point, const route::DesignRoutes& routes) {
  const route::PortMap& map = routes.map;
  std::string text = "sources " + std::to_string(map.destinations.size()) + "\nflits " +
                     std::to_string(point.packet_flits) + "\nwidth " +
                     std::to_string(point.flit_width) + "\ndest " + std::to_string(point.dest.hi) +
                     " " + std::to_string(point.dest.lo) + "\n";
  if (point.pattern != Pattern::kAllPairs) {
    char rate[64];
    std::snprintf(rate, sizeof rate, "rate %.9g\n", point.rate);
    text += rate;
    if (point.pattern == Pattern::kHotspot) {
      text += "hotspot 0 0.2\n";
    } else if (point.pattern != Pattern::kUniform) {
      text += "partners";
      for (int d : pattern_partners(point.pattern, map)) text += " " + std::to_string(d);
      text += "\n";
    }
    text += "phases " + std::to_string(point.warmup) + " " + std::to_string(point.measure) + " " +
            std::to_string(point.drain) + "\n";
  }
  text += "stall " + std::to_string(point.stall_cycles) + "\nmax_cycles " +
          std::to_string(point.max_cycles) + "\nseed " + std::to_string(point.seed) + "\n";
  text += "tiles " + std::to_string(map.tile_instances.size());
  for (const std::string& name : map.tile_instances) text += " " + name;
  text += "\nrouters " + std::to_string(map.routers.size()) + "\n";
  // A router that takes no ROUTES routes by its own rule: its turns are not held to the table.
  for (std::size_t r = 0; r < map.routers.size(); ++r) {
    text += "routes " + std::to_string(r) + " " + std::to_string(map.destinations.size());
    for (std::size_t d = 0; d < map.destinations.size(); ++d)
      text += " " + std::to_string(routes.identity.routes[r].empty() ? -1 : routes.table.out[r][d]);
    text += "\n";
  }
  return text;
}

}  // namespace noc::verify
