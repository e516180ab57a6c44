#include "app/topology.h"

#include <algorithm>
#include <nlohmann/json.hpp>
#include <vector>

#include "common/error.h"
#include "common/text.h"

namespace noc::app {
namespace {

constexpr long kMaxRouters = 1L << 20;

// A source name as the description will hold it: refused here, naming the option, when JSON
// cannot hold it as it stands (bytes that are not UTF-8) or a path would not (a control
// character, nothing at all).
std::string json_text(const std::string& text, const char* option) {
  bool control = std::any_of(text.begin(), text.end(),
                             [](char c) { return static_cast<unsigned char>(c) < 0x20; });
  if (text.empty() || control || printable(text) != text)
    throw Error(std::string(option) + " " + in_quotes(printable(text)) +
                " is no source name a description can hold: give a file name in UTF-8, "
                "without control characters");
  return nlohmann::json(text).dump();
}

// The router neighbours of router (x, y), without repeats or the router itself (a torus of
// width 2 reaches the same neighbour both ways; one of width 1 reaches itself). They are listed
// north, south, west, east (y grows southward with the router numbers), so that, the last listed
// being slot 0, east is slot 0, west 1, south 2 and north 3 on every router that has all four; a
// mesh's border router drops the directions it lacks and keeps the order of the others.
std::vector<long> router_neighbours(const TopologyRequest& r, long x, long y) {
  std::vector<long> out;
  auto add = [&](long nx, long ny) {
    if (r.kind == TopologyKind::kTorus) {
      nx = (nx + r.width) % r.width;
      ny = (ny + r.height) % r.height;
    }
    if (nx < 0 || ny < 0 || nx >= r.width || ny >= r.height || (nx == x && ny == y)) return;
    long id = ny * r.width + nx;
    for (long seen : out)
      if (seen == id) return;
    out.push_back(id);
  };
  if (r.kind == TopologyKind::kRing) {
    long n = static_cast<long>(r.width) * r.height, id = y * r.width + x;
    for (long other : {(id + 1) % n, (id + n - 1) % n})
      if (other != id && (out.empty() || out.front() != other)) out.push_back(other);
    return out;
  }
  add(x, y - 1);
  add(x, y + 1);
  add(x - 1, y);
  add(x + 1, y);
  return out;
}

}  // namespace

TopologyKind parse_topology_kind(const std::string& text) {
  if (text == "mesh") return TopologyKind::kMesh;
  if (text == "torus") return TopologyKind::kTorus;
  if (text == "ring") return TopologyKind::kRing;
  throw Error("unknown topology " + in_quotes(text) + "; choose mesh, torus or ring");
}

void parse_topology_size(const std::string& text, TopologyRequest& request) {
  std::size_t x = text.find('x');
  std::optional<std::int64_t> width = parse_decimal(text.substr(0, x));
  std::optional<std::int64_t> height =
      x == std::string::npos ? std::optional<std::int64_t>(1) : parse_decimal(text.substr(x + 1));
  // Each side is compared before the product is formed: 4611686018427387905x4 wraps to 4.
  if (!width || !height || *width < 1 || *height < 1 || *width > kMaxRouters ||
      *height > kMaxRouters / *width)
    throw Error("size " + in_quotes(text) + " is not WxH with two positive sizes (at most " +
                std::to_string(kMaxRouters) + " routers)");
  request.width = static_cast<int>(*width);
  request.height = static_cast<int>(*height);
}

void check_topology_size(long width, long height, long tiles_per_router) {
  if (width < 1 || height < 1 || tiles_per_router < 1 || tiles_per_router > 64)
    throw Error("the sizes must be positive and the tiles per router between 1 and 64 (given " +
                std::to_string(width) + " x " + std::to_string(height) + ", " +
                std::to_string(tiles_per_router) + " per router)");
  if (width > kMaxRouters || height > kMaxRouters / width)
    throw Error(std::to_string(width) + " x " + std::to_string(height) +
                " routers are more than a description holds, at most " +
                std::to_string(kMaxRouters));
}

void write_topology(emit::TextSink& out, const TopologyRequest& r) {
  const std::string router_source = json_text(r.router_source, "--router");
  const std::string tile_source = json_text(r.tile_source, "--tile");
  const long routers = static_cast<long>(r.width) * r.height;
  if (r.tiles_per_router < 1)
    throw Error("every router needs at least one tile; --tiles-per-router must be 1 or more");
  if (routers < 2) throw Error("a network needs at least two routers; every router needs a link");
  out << "{\n";
  long tile = 0;
  for (long id = 0; id < routers; ++id) {
    out << "  \"R_" << id << "\": {\"is_Router\": true, \"neighbors\": [";
    const char* comma = "";
    for (long other : router_neighbours(r, id % r.width, id / r.width)) {
      out << comma << "\"R_" << other << "\"";
      comma = ", ";
    }
    for (int k = 0; k < r.tiles_per_router; ++k, comma = ", ")
      out << comma << "\"T_" << tile++ << "\"";
    out << "], \"top_module_fname\": " << router_source << "},\n";
  }
  for (long t = 0; t < tile; ++t)
    out << "  \"T_" << t << "\": {\"is_Router\": false, \"neighbors\": [\"R_"
        << t / r.tiles_per_router << "\"], \"top_module_fname\": " << tile_source << "}"
        << (t + 1 < tile ? ",\n" : "\n");
  out << "}\n";
}

}  // namespace noc::app
