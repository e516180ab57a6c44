#include "verify/traffic_harness.h"

namespace noc::verify {

// The harness is compiled by the simulation build, with the model, not by nocgen.
std::string_view traffic_harness_text() {
  return R"noc_harness(// Written by nocgen traffic: the traffic sources and sinks of every tile channel, called from the
// bench's stand-ins by DPI. It reads traffic.cfg, sends packets, checks every flit that arrives,
// and writes what happened to traffic.out, as numbers; nocgen puts them into words.
#include <svdpi.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <deque>
#include <fstream>
#include <map>
#include <string>
#include <vector>

namespace {

struct Packet {
  int src = 0, dst = 0;
  std::uint32_t seq = 0;
  long created = 0, injected = -1, delivered = -1;
  bool measured = false;
  int last_router = -1, last_slot = -1, hops = 0, wrong_router = -1, wrong_slot = -1;
};

struct Source {
  std::deque<int> queue;  // packets made and not yet begun
  int sending = -1;       // the packet whose flits are being offered
  int flit = 0;           // the flit of it being offered
  bool offered = false;   // valid was set for the cycle that ends now
  std::uint32_t seq = 0;
  std::uint64_t random = 0;
};

struct Sink {
  int packet = -1;  // the packet being received
  int flit = 0;
  bool wrong = false;  // it arrived at the wrong place, or changed
};

struct Config {
  int sources = 0, flits = 2, width = 32, dest_hi = 31, dest_lo = 27;
  bool all_pairs = true;
  double rate = 0;
  int pattern = 0;  // 0 uniform, 1 the partner table, 2 hotspot
  std::vector<int> partner;
  int hotspot = 0;
  double hotspot_share = 0.2;
  long warmup = 0, measure = 0, drain = 0, stall = 1000, max_cycles = 100000;
  std::uint64_t seed = 1;
  std::vector<std::vector<int>> routes;  // routes[router][dest]: slot, -1 for no table
  std::vector<std::string> tiles;        // instance names, in destination order
};

Config config;
std::vector<Packet> packets;
std::vector<Source> sources;
std::vector<Sink> sinks;
std::map<std::pair<int, std::uint32_t>, int> in_flight;  // (src, seq bits) -> packet
std::map<std::pair<int, int>, int> on_output;            // (router, slot) -> packet, mid-packet
std::vector<int> free_bits;  // head bits outside the destination field, most significant first
int source_bits = 0, seq_bits = 0;
long cycle = 0, last_move = 0;
long measured_pending = 0;  // measured packets made and not yet arrived
bool loaded = false, started = false, injecting = true, finished = false;
int errors = 0;
std::FILE* out = nullptr;

std::uint64_t splitmix(std::uint64_t& state) {
  std::uint64_t z = (state += 0x9e3779b97f4a7c15ULL);
  z = (z ^ (z >> 30)) * 0xbf58476d1ce4e5b9ULL;
  z = (z ^ (z >> 27)) * 0x94d049bb133111ebULL;
  return z ^ (z >> 31);
}

double uniform(std::uint64_t& state) { return (splitmix(state) >> 11) * (1.0 / 9007199254740992.0); }

int words() { return (config.width + 31) / 32; }

bool bit_of(const svBitVecVal* flit, int bit) { return (flit[bit / 32] >> (bit % 32)) & 1u; }
void set_bit(svBitVecVal* flit, int bit, bool value) {
  if (value) flit[bit / 32] |= 1u << (bit % 32);
}

std::uint32_t field(const svBitVecVal* flit, const std::vector<int>& bits, int from, int count) {
  std::uint32_t value = 0;
  for (int i = 0; i < count; ++i) value = (value << 1) | (bit_of(flit, bits[from + i]) ? 1u : 0u);
  return value;
}

int dest_of(const svBitVecVal* flit) {
  int value = 0;
  for (int bit = config.dest_hi; bit >= config.dest_lo; --bit) value = value * 2 + bit_of(flit, bit);
  return value;
}

std::uint32_t seq_mask() { return seq_bits >= 32 ? ~0u : (1u << seq_bits) - 1u; }

// Flit k of packet p, as the sender writes it and the sink expects it.
void flit_of(const Packet& p, int k, svBitVecVal* flit) {
  for (int w = 0; w < words(); ++w) flit[w] = 0;
  if (k == 0) {
    for (int i = 0; i <= config.dest_hi - config.dest_lo; ++i)
      set_bit(flit, config.dest_lo + i, (p.dst >> i) & 1);
    for (int i = 0; i < source_bits; ++i)
      set_bit(flit, free_bits[i], (p.src >> (source_bits - 1 - i)) & 1);
    for (int i = 0; i < seq_bits; ++i)
      set_bit(flit, free_bits[source_bits + i], (p.seq >> (seq_bits - 1 - i)) & 1);
    return;
  }
  std::uint64_t state = (std::uint64_t(p.src) << 40) ^ (std::uint64_t(p.seq) << 8) ^ std::uint64_t(k);
  for (int w = 0; w < words(); ++w) flit[w] = static_cast<svBitVecVal>(splitmix(state));
  if (config.width % 32) flit[words() - 1] &= (1u << (config.width % 32)) - 1u;
}

std::string hex(const svBitVecVal* flit) {
  std::string text;
  char digits[12];
  for (int w = words(); w-- > 0;) {
    std::snprintf(digits, sizeof digits, "%08x", flit[w]);
    text += digits;
  }
  return text;
}

void error(const char* kind, int packet, int at, int flit_index, const svBitVecVal* flit) {
  ++errors;
  if (errors > 200) return;
  const Packet* p = packet >= 0 ? &packets[packet] : nullptr;
  std::fprintf(out, "ERROR %s %d %d %u %d %d %s\n", kind, p ? p->src : -1, p ? p->dst : -1,
               p ? p->seq : 0u, at, flit_index, flit ? hex(flit).c_str() : "-");
}

int make_packet(int src, int dst) {
  Packet p;
  p.src = src;
  p.dst = dst;
  p.seq = sources[src].seq++ & seq_mask();
  p.created = cycle;
  p.measured = !config.all_pairs && cycle >= config.warmup && cycle < config.warmup + config.measure;
  measured_pending += p.measured;
  packets.push_back(p);
  return static_cast<int>(packets.size()) - 1;
}

int pick_destination(int src) {
  Source& s = sources[src];
  if (config.pattern == 1) return config.partner[src];
  if (config.pattern == 2 && uniform(s.random) < config.hotspot_share && config.hotspot != src)
    return config.hotspot;
  int d = static_cast<int>(splitmix(s.random) % static_cast<std::uint64_t>(config.sources - 1));
  return d >= src ? d + 1 : d;
}

bool read_config() {
  std::ifstream in("traffic.cfg");
  std::string key;
  int routers = 0;
  while (in >> key) {
    if (key == "sources") in >> config.sources;
    else if (key == "flits") in >> config.flits;
    else if (key == "width") in >> config.width;
    else if (key == "dest") in >> config.dest_hi >> config.dest_lo;
    else if (key == "rate") { in >> config.rate; config.all_pairs = false; }
    else if (key == "uniform") config.pattern = 0;
    else if (key == "hotspot") { config.pattern = 2; in >> config.hotspot >> config.hotspot_share; }
    else if (key == "partners") {
      config.pattern = 1;
      config.partner.resize(static_cast<std::size_t>(config.sources));
      for (int& d : config.partner) in >> d;
    } else if (key == "phases") in >> config.warmup >> config.measure >> config.drain;
    else if (key == "stall") in >> config.stall;
    else if (key == "max_cycles") in >> config.max_cycles;
    else if (key == "seed") in >> config.seed;
    else if (key == "tiles") {
      int n = 0;
      in >> n;
      config.tiles.resize(static_cast<std::size_t>(n));
      for (std::string& name : config.tiles) in >> name;
    } else if (key == "routers") { in >> routers; config.routes.resize(static_cast<std::size_t>(routers)); }
    else if (key == "routes") {
      int r = 0, n = 0;
      in >> r >> n;
      config.routes[static_cast<std::size_t>(r)].resize(static_cast<std::size_t>(n));
      for (int& slot : config.routes[static_cast<std::size_t>(r)]) in >> slot;
    } else return false;
  }
  return config.sources > 1 && in.eof();
}

void begin() {
  if (loaded) return;
  loaded = true;
  out = std::fopen("traffic.out", "w");
  if (!out || !read_config()) {
    std::fprintf(stderr, "%%Error: traffic.cfg cannot be read\n");
    std::exit(2);
  }
  for (int bit = config.width - 1; bit >= 0; --bit)
    if (bit > config.dest_hi || bit < config.dest_lo) free_bits.push_back(bit);
  while ((1 << source_bits) < config.sources) ++source_bits;
  seq_bits = std::min<int>(24, static_cast<int>(free_bits.size()) - source_bits);
  sources.resize(static_cast<std::size_t>(config.sources));
  sinks.resize(static_cast<std::size_t>(config.sources));
  for (int s = 0; s < config.sources; ++s) {
    sources[s].random = config.seed * 0x100000001b3ULL + static_cast<std::uint64_t>(s) * 7919;
    if (!config.all_pairs) continue;
    // Every other destination once, starting after the source itself, so that the first
    // packets of all sources do not all head for destination 0.
    for (int k = 1; k < config.sources; ++k)
      sources[s].queue.push_back(make_packet(s, (s + k) % config.sources));
  }
}

void make_traffic() {
  if (config.all_pairs || !injecting) return;
  double per_cycle = config.rate / config.flits;
  for (int s = 0; s < config.sources; ++s) {
    if (config.pattern == 1 && config.partner[s] < 0) continue;
    if (uniform(sources[s].random) < per_cycle) {
      int d = pick_destination(s);
      if (d >= 0 && d != s) sources[s].queue.push_back(make_packet(s, d));
    }
  }
}

bool measured_done() { return measured_pending == 0; }

void write_results(const char* end) {
  long measured = 0, delivered = 0, injected = 0, measured_delivered = 0;
  std::vector<long> latencies;
  long slowest = -1, slowest_packet = -1;
  long window_flits = 0;
  for (std::size_t i = 0; i < packets.size(); ++i) {
    const Packet& p = packets[i];
    injected += p.injected >= 0;
    delivered += p.delivered >= 0;
    if (p.delivered >= 0 && p.injected >= 0 && p.delivered - p.injected > slowest) {
      slowest = p.delivered - p.injected;
      slowest_packet = static_cast<long>(i);
    }
    if (!p.measured) continue;
    ++measured;
    if (p.delivered >= 0) {
      ++measured_delivered;
      latencies.push_back(p.delivered - p.created);
    }
  }
  std::sort(latencies.begin(), latencies.end());
  double sum = 0;
  for (long l : latencies) sum += static_cast<double>(l);
  for (const Packet& p : packets)
    if (p.delivered >= config.warmup && p.delivered < config.warmup + config.measure)
      window_flits += config.flits;
  std::fprintf(out, "RESULT %ld %zu %ld %ld %ld %ld\n", cycle, packets.size(), injected, delivered,
               measured, measured_delivered);
  if (!latencies.empty()) {
    std::size_t p99 = (latencies.size() * 99 + 99) / 100 - 1;
    std::fprintf(out, "LATENCY %.3f %ld %ld\n", sum / static_cast<double>(latencies.size()),
                 latencies[std::min(p99, latencies.size() - 1)], latencies.back());
  }
  // Per source that sends: a fixed pattern leaves the sources without a partner silent.
  int senders = config.sources;
  if (config.pattern == 1)
    senders = static_cast<int>(std::count_if(config.partner.begin(), config.partner.end(),
                                             [](int d) { return d >= 0; }));
  if (!config.all_pairs && config.measure > 0 && senders > 0)
    std::fprintf(out, "ACCEPTED %.6f\n",
                 static_cast<double>(window_flits) / static_cast<double>(senders) /
                     static_cast<double>(config.measure));
  if (slowest_packet >= 0) {
    const Packet& p = packets[static_cast<std::size_t>(slowest_packet)];
    std::fprintf(out, "SLOWEST %d %d %u %ld\n", p.src, p.dst, p.seq, slowest);
  }
  int listed = 0;
  for (const Packet& p : packets) {
    if (p.injected < 0 || p.delivered != -1 || listed++ >= 100) continue;
    std::fprintf(out, "INFLIGHT %d %d %u %d %d %d\n", p.src, p.dst, p.seq, p.last_router,
                 p.last_slot, p.hops);
  }
  int wrong = 0;
  for (const Packet& p : packets)
    if (p.wrong_router >= 0 && wrong++ < 20)
      std::fprintf(out, "WRONG_TURN %d %d %u %d %d\n", p.src, p.dst, p.seq, p.wrong_router,
                   p.wrong_slot);
  std::fprintf(out, "WRONG_TURNS %d\nERRORS %d\nEND %s\n", wrong, errors, end);
  std::fflush(out);
}

}  // namespace

extern "C" {

// The number of the tile instance at `path` (tb.dut.compute_tile_T_0_inst): its place among
// the instances noc_top holds, in destination order.
int nt_tile(const char* path) {
  begin();
  std::string name = path;
  name = name.substr(name.rfind('.') + 1);
  for (std::size_t t = 0; t < config.tiles.size(); ++t)
    if (config.tiles[t] == name) return static_cast<int>(t);
  std::fprintf(stderr, "%%Error: %s is no tile instance of the network\n", path);
  std::exit(2);
}

void nt_send(int src, svBit taken, svBit* valid, svBit* last, svBitVecVal* flit) {
  *valid = 0;
  *last = 0;
  if (!started || finished || src < 0 || src >= config.sources) return;
  Source& s = sources[static_cast<std::size_t>(src)];
  if (taken && s.offered && s.sending >= 0) {
    last_move = cycle;
    Packet& p = packets[static_cast<std::size_t>(s.sending)];
    if (s.flit == 0) {
      p.injected = cycle;
      in_flight[{p.src, p.seq}] = s.sending;
    }
    if (++s.flit == config.flits) s.sending = -1;
  }
  s.offered = false;
  if (s.sending < 0 && !s.queue.empty() && injecting) {
    s.sending = s.queue.front();
    s.queue.pop_front();
    s.flit = 0;
  }
  if (s.sending < 0) return;
  flit_of(packets[static_cast<std::size_t>(s.sending)], s.flit, flit);
  *valid = 1;
  *last = s.flit == config.flits - 1;
  s.offered = true;
}

void nt_receive(int at, svBit last, const svBitVecVal* flit) {
  if (!started || at < 0 || at >= config.sources) return;
  last_move = cycle;
  Sink& sink = sinks[static_cast<std::size_t>(at)];
  if (sink.packet < 0) {
    int src = static_cast<int>(field(flit, free_bits, 0, source_bits));
    std::uint32_t seq = field(flit, free_bits, source_bits, seq_bits);
    auto found = in_flight.find({src, seq});
    if (found == in_flight.end()) {
      bool seen = false;
      for (const Packet& p : packets)
        if (p.src == src && p.seq == seq && p.delivered != -1) {
          seen = true;
          error("DUPLICATE", static_cast<int>(&p - packets.data()), at, 0, flit);
          break;
        }
      if (!seen) error("UNKNOWN", -1, at, 0, flit);
      sink.packet = -2;  // the rest of it is read and dropped
    } else {
      sink.packet = found->second;
      const Packet& p = packets[static_cast<std::size_t>(sink.packet)];
      sink.wrong = p.dst != at || dest_of(flit) != p.dst;
      if (p.dst != at) error("MISDELIVERED", sink.packet, at, 0, flit);
      else if (sink.wrong) error("CORRUPTED", sink.packet, at, 0, flit);
    }
    sink.flit = 0;
  } else if (sink.packet >= 0) {
    std::vector<svBitVecVal> expected(static_cast<std::size_t>(words()));
    flit_of(packets[static_cast<std::size_t>(sink.packet)], sink.flit, expected.data());
    if (!std::equal(expected.begin(), expected.end(), flit)) {
      error("CORRUPTED", sink.packet, at, sink.flit, flit);
      sink.wrong = true;
    }
  }
  bool should_end = sink.flit == config.flits - 1;
  if (sink.packet >= 0 && static_cast<bool>(last) != should_end) {
    error(last ? "SHORT" : "LONG", sink.packet, at, sink.flit, flit);
    sink.wrong = true;
  }
  ++sink.flit;
  if (!last && sink.flit < config.flits + 64) return;
  if (sink.packet >= 0) {
    Packet& p = packets[static_cast<std::size_t>(sink.packet)];
    in_flight.erase({p.src, p.seq});
    // A packet that arrived wrong has arrived, but is not delivered: -2 keeps it out of the
    // count, the latencies and the packets still in the network.
    p.delivered = sink.wrong ? -2 : cycle;
    measured_pending -= p.measured;
  }
  sink.packet = -1;
  sink.wrong = false;
}

void nt_hop(int router, int slot, svBit last, const svBitVecVal* flit) {
  if (!started) return;
  last_move = cycle;
  auto key = std::make_pair(router, slot);
  auto current = on_output.find(key);
  int packet = -1;
  if (current == on_output.end()) {
    int src = static_cast<int>(field(flit, free_bits, 0, source_bits));
    auto found = in_flight.find({src, field(flit, free_bits, source_bits, seq_bits)});
    if (found != in_flight.end()) {
      packet = found->second;
      Packet& p = packets[static_cast<std::size_t>(packet)];
      p.last_router = router;
      p.last_slot = slot;
      ++p.hops;
      const std::vector<int>& table = config.routes[static_cast<std::size_t>(router)];
      if (p.wrong_router < 0 && static_cast<std::size_t>(p.dst) < table.size() &&
          table[static_cast<std::size_t>(p.dst)] >= 0 && table[static_cast<std::size_t>(p.dst)] != slot) {
        p.wrong_router = router;
        p.wrong_slot = slot;
      }
    }
    if (!last) on_output[key] = packet;
  } else if (last) {
    on_output.erase(current);
  }
}

// A flit offered at a router output when the network stalled: the packet it belongs to.
void nt_hold(int router, int slot, svBit ready, const svBitVecVal* flit) {
  auto current = on_output.find({router, slot});
  int packet = -1;
  bool head = current == on_output.end();
  if (!head) {
    packet = current->second;
  } else {
    int src = static_cast<int>(field(flit, free_bits, 0, source_bits));
    auto found = in_flight.find({src, field(flit, free_bits, source_bits, seq_bits)});
    if (found != in_flight.end()) packet = found->second;
  }
  const Packet* p = packet >= 0 ? &packets[static_cast<std::size_t>(packet)] : nullptr;
  std::fprintf(out, "HOLD %d %d %d %d %d %u %d\n", router, slot, ready ? 1 : 0, p ? p->src : -1,
               p ? p->dst : -1, p ? p->seq : 0u, head ? 1 : 0);
}

// Called once a cycle, between clock edges: 0 to go on, 1 when the run is over, 2 when the
// network has stalled and the bench is to report what each router output holds.
int nt_cycle() {
  begin();
  started = true;
  ++cycle;
  make_traffic();
  bool in_network = !in_flight.empty();
  bool waiting = in_network;
  for (const Source& s : sources) waiting = waiting || s.sending >= 0 || (injecting && !s.queue.empty());
  long end_of_measure = config.warmup + config.measure;
  if (!config.all_pairs && injecting && cycle >= end_of_measure &&
      (measured_done() || cycle >= end_of_measure + config.drain)) {
    // The measured packets are in, or the drain gave up on them: no packet begins any more,
    // and what is in the network must still arrive.
    injecting = false;
    std::fprintf(out, "DRAINED %d %ld\n", measured_done() ? 1 : 0, cycle);
  }
  if (waiting && cycle - last_move > config.stall) {
    std::fprintf(out, "STALL %ld %ld\n", cycle, cycle - last_move);
    finished = true;
    return 2;
  }
  bool sources_done = true;
  for (const Source& s : sources) sources_done = sources_done && s.sending < 0 && s.queue.empty();
  if ((config.all_pairs && sources_done && !in_network) ||
      (!config.all_pairs && !injecting && !in_network && [] {
        for (const Source& s : sources) if (s.sending >= 0) return false;
        return true;
      }())) {
    write_results("done");
    finished = true;
    return 1;
  }
  if (errors >= 200) {
    // A router that makes flits of its own, or mangles every packet, has said enough.
    write_results("errors");
    finished = true;
    return 1;
  }
  if (cycle >= config.max_cycles) {
    write_results("timeout");
    finished = true;
    return 1;
  }
  return 0;
}

void nt_finish() { write_results("stall"); }

}  // extern "C"
)noc_harness";
}

}  // namespace noc::verify
