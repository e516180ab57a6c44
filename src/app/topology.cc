#include "app/topology.h"

#include <nlohmann/json.hpp>
#include <vector>

#include "common/error.h"
#include "common/text.h"

namespace noc::app {
namespace {

constexpr long kMaxRouters = 1L << 20;

std::string json_text(const std::string& text) {
  return nlohmann::json(text).dump();
}

// The router neighbours of router (x, y), without repeats or the router itself (a torus of
// width 2 reaches the same neighbour both ways; one of width 1 reaches itself).
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
  add(x + 1, y);
  add(x - 1, y);
  add(x, y + 1);
  add(x, y - 1);
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
  if (!width || !height || *width < 1 || *height < 1 || *width * *height > kMaxRouters)
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
  if (width * height > kMaxRouters)
    throw Error(std::to_string(width) + " x " + std::to_string(height) + " is " +
                std::to_string(width * height) + " routers; a description holds at most " +
                std::to_string(kMaxRouters));
}

void write_topology(emit::TextSink& out, const TopologyRequest& r) {
  const std::string router_source = json_text(r.router_source);
  const std::string tile_source = json_text(r.tile_source);
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
