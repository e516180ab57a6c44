#pragma once

// What a traffic simulation wrote to traffic.out, read back as numbers.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace noc::verify {

/// A packet as the harness names it: its source, destination and sequence number.
struct PacketId {
  int src = -1, dst = -1;
  std::uint32_t seq = 0;
  bool known() const { return src >= 0; }
  friend bool operator==(const PacketId&, const PacketId&) = default;
};

struct PacketError {
  std::string kind;  ///< MISDELIVERED, CORRUPTED, DUPLICATE, UNKNOWN, SHORT, LONG
  PacketId packet;
  int at = -1;        ///< the destination it arrived at
  int flit = 0;       ///< which flit of it
  std::string value;  ///< the flit in hex
};

/// A router output offering a flit when the network stalled.
struct HeldOutput {
  int router = 0, slot = 0;
  bool ready = false;
  PacketId packet;
  bool head = false;
};

/// A packet that entered the network and had not arrived when the run ended.
struct InFlight {
  PacketId packet;
  int last_router = -1, last_slot = -1;  ///< the router output it last left by; -1: none
  int hops = 0;
};

/// A packet that left a router by another slot than the router's ROUTES give its destination.
struct WrongTurn {
  PacketId packet;
  int router = 0, slot = 0;
};

struct PointResult {
  long cycles = 0;
  long created = 0, injected = 0, delivered = 0, measured = 0, measured_delivered = 0;
  std::optional<double> average_latency;
  long p99_latency = 0, max_latency = 0;
  std::optional<double> accepted;  ///< flits per cycle per source, in the measurement
  std::optional<PacketId> slowest;
  long slowest_latency = 0;
  bool drained = true;  ///< every measured packet arrived before the drain ended
  std::string end;      ///< done, stall or timeout
  long stall_cycle = 0, stalled_for = 0;
  std::vector<PacketError> errors;
  int error_count = 0;
  std::vector<HeldOutput> held;
  std::vector<InFlight> in_flight;
  std::vector<WrongTurn> wrong_turns;
  int wrong_turn_count = 0;
};

/// Reads traffic.out; throws noc::Error when it is not one (the simulation ended early).
PointResult parse_traffic_log(const std::string& text);

}  // namespace noc::verify
