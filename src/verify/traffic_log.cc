#include "verify/traffic_log.h"

#include <sstream>

#include "common/error.h"

namespace noc::verify {
namespace {

PacketId read_packet(std::istringstream& in) {
  PacketId id;
  in >> id.src >> id.dst >> id.seq;
  return id;
}

}  // namespace

PointResult parse_traffic_log(const std::string& text) {
  PointResult result;
  std::istringstream lines(text);
  std::string line;
  bool ended = false;
  while (std::getline(lines, line)) {
    std::istringstream in(line);
    std::string key;
    in >> key;
    if (key == "RESULT") {
      in >> result.cycles >> result.created >> result.injected >> result.delivered >>
          result.measured >> result.measured_delivered;
    } else if (key == "LATENCY") {
      double average = 0;
      in >> average >> result.p99_latency >> result.max_latency;
      result.average_latency = average;
    } else if (key == "ACCEPTED") {
      double accepted = 0;
      in >> accepted;
      result.accepted = accepted;
    } else if (key == "SLOWEST") {
      result.slowest = read_packet(in);
      in >> result.slowest_latency;
    } else if (key == "DRAINED") {
      int all = 1;
      in >> all;
      result.drained = all == 1;
    } else if (key == "STALL") {
      in >> result.stall_cycle >> result.stalled_for;
    } else if (key == "HOLD") {
      HeldOutput held;
      int ready = 0, head = 0;
      in >> held.router >> held.slot >> ready;
      held.packet = read_packet(in);
      in >> head;
      held.ready = ready == 1;
      held.head = head == 1;
      result.held.push_back(held);
    } else if (key == "INFLIGHT") {
      InFlight flight;
      flight.packet = read_packet(in);
      in >> flight.last_router >> flight.last_slot >> flight.hops;
      result.in_flight.push_back(flight);
    } else if (key == "WRONG_TURN") {
      WrongTurn turn;
      turn.packet = read_packet(in);
      in >> turn.router >> turn.slot;
      result.wrong_turns.push_back(turn);
    } else if (key == "WRONG_TURNS") {
      in >> result.wrong_turn_count;
    } else if (key == "ERROR") {
      PacketError error;
      in >> error.kind;
      error.packet = read_packet(in);
      in >> error.at >> error.flit >> error.value;
      result.errors.push_back(error);
    } else if (key == "ERRORS") {
      in >> result.error_count;
    } else if (key == "END") {
      in >> result.end;
      ended = true;
    }
    if (in.fail()) throw Error("the traffic simulation wrote a line nocgen cannot read: " + line);
  }
  if (!ended) throw Error("the traffic simulation ended before it wrote its results");
  return result;
}

}  // namespace noc::verify
