#include "verify/traffic_diagnosis.h"

#include <algorithm>
#include <map>
#include <set>

namespace noc::verify {
namespace {

std::string router_name(const route::DesignRoutes& routes, int router) {
  if (router < 0 || static_cast<std::size_t>(router) >= routes.map.routers.size()) return "?";
  return std::string(routes.map.routers[static_cast<std::size_t>(router)].name);
}

const route::Slot* slot_of(const route::DesignRoutes& routes, int router, int slot) {
  if (router < 0 || static_cast<std::size_t>(router) >= routes.map.routers.size()) return nullptr;
  const auto& slots = routes.map.routers[static_cast<std::size_t>(router)].slots;
  if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size()) return nullptr;
  return &slots[static_cast<std::size_t>(slot)];
}

// "R_0 out 2 (to R_1)", "R_0 out 3 (to compute_tile_T_0_inst channel 1)".
std::string output_words(const route::DesignRoutes& routes, int router, int slot) {
  std::string words = router_name(routes, router) + " out " + std::to_string(slot);
  const route::Slot* s = slot_of(routes, router, slot);
  if (!s) return words;
  if (s->to_router) return words + " (to " + router_name(routes, s->router) + ")";
  return words + " (to " + routes.map.tile_instances[static_cast<std::size_t>(s->tile)] +
         " channel " + std::to_string(s->channel) + ")";
}

std::string destination_words(const route::DesignRoutes& routes, int d) {
  if (d < 0 || static_cast<std::size_t>(d) >= routes.map.destinations.size()) return "?";
  const route::Destination& dest = routes.map.destinations[static_cast<std::size_t>(d)];
  return std::to_string(d) + " (" + routes.map.tile_instances[static_cast<std::size_t>(dest.tile)] +
         " channel " + std::to_string(dest.channel) + ")";
}

std::string wrong_turn_words(const route::DesignRoutes& routes, const WrongTurn& turn) {
  int expected =
      routes.table
          .out[static_cast<std::size_t>(turn.router)][static_cast<std::size_t>(turn.packet.dst)];
  return router_name(routes, turn.router) + " sent it out of slot " + std::to_string(turn.slot) +
         ", while its ROUTES send destination " + std::to_string(turn.packet.dst) + " by slot " +
         std::to_string(expected);
}

const WrongTurn* wrong_turn_of(const PointResult& result, const PacketId& packet) {
  for (const WrongTurn& turn : result.wrong_turns)
    if (turn.packet == packet) return &turn;
  return nullptr;
}

std::string error_words(const PacketError& e, const PointResult& result,
                        const route::DesignRoutes& routes) {
  std::string packet = packet_words(e.packet), at = destination_words(routes, e.at);
  std::string words;
  if (e.kind == "MISDELIVERED")
    words = packet + " arrived at destination " + at;
  else if (e.kind == "CORRUPTED")
    words = packet + " arrived at " + at + " with flit " + std::to_string(e.flit) +
            " changed: " + e.value;
  else if (e.kind == "DUPLICATE")
    words = packet + " arrived a second time, at " + at;
  else if (e.kind == "UNKNOWN")
    words = "a first flit that no source sent arrived at " + at + ": " + e.value;
  else if (e.kind == "SHORT")
    words = packet + " ended at its flit " + std::to_string(e.flit) + ", at " + at;
  else
    words = packet + " did not end at its last flit (" + std::to_string(e.flit) + "), at " + at;
  if (const WrongTurn* turn = wrong_turn_of(result, e.packet))
    words += "; " + wrong_turn_words(routes, *turn);
  return words;
}

// Where a packet was last seen, as the router it was entering.
std::string last_seen(const InFlight& flight, const route::DesignRoutes& routes) {
  if (flight.last_router < 0) {
    const route::Destination& from =
        routes.map.destinations[static_cast<std::size_t>(flight.packet.src)];
    return "it never left " + router_name(routes, from.router) + ", where its tile sent it in";
  }
  std::string words =
      "last seen leaving " + output_words(routes, flight.last_router, flight.last_slot);
  return words + " after " + std::to_string(flight.hops) + " hop" + (flight.hops == 1 ? "" : "s");
}

// The router a packet was entering when it was last seen: the one a drop is charged to.
int entering(const InFlight& flight, const route::DesignRoutes& routes) {
  if (flight.last_router < 0)
    return routes.map.destinations[static_cast<std::size_t>(flight.packet.src)].router;
  const route::Slot* s = slot_of(routes, flight.last_router, flight.last_slot);
  return s && s->to_router ? s->router : -1;
}

void stall_problems(const PointResult& result, const route::DesignRoutes& routes,
                    std::vector<std::string>& out) {
  std::string head = "the network stalled at cycle " + std::to_string(result.stall_cycle) +
                     ": no flit moved for " + std::to_string(result.stalled_for) + " cycles with " +
                     std::to_string(result.in_flight.size()) + " packet" +
                     (result.in_flight.size() == 1 ? "" : "s") + " in the network";
  std::vector<const HeldOutput*> blocked;
  for (const HeldOutput& held : result.held)
    if (!held.ready) blocked.push_back(&held);
  if (!routes.check.cycle.empty()) {
    out.push_back(head + ": a deadlock, since the " +
                  route::algorithm_name(routes.table.algorithm) +
                  " routes' channel dependency graph has the cycle " +
                  route::cycle_text(routes.map, routes.check.cycle));
  } else if (blocked.empty()) {
    // Nothing offered anywhere: the packets are inside routers that neither send nor take.
    std::map<int, int> lost_in;
    for (const InFlight& flight : result.in_flight) ++lost_in[entering(flight, routes)];
    std::string routers;
    for (const auto& [router, count] : lost_in)
      routers += (routers.empty() ? "" : ", ") + router_name(routes, router) + " (" +
                 std::to_string(count) + ")";
    out.push_back(head +
                  ", and no router output offers a flit: the routes have no cycle, so a "
                  "router dropped them; they were last seen entering " +
                  routers);
  } else {
    // A router whose input is offered a flit it does not take, while none of its own outputs
    // waits on another: nothing downstream holds it up.
    std::set<int> waiting_routers, at_fault;
    for (const HeldOutput* held : blocked) waiting_routers.insert(held->router);
    for (const HeldOutput* held : blocked) {
      const route::Slot* s = slot_of(routes, held->router, held->slot);
      if (s && s->to_router && !waiting_routers.count(s->router)) at_fault.insert(s->router);
    }
    std::string routers;
    for (int router : at_fault)
      routers += (routers.empty() ? "" : ", ") + router_name(routes, router);
    out.push_back(head + ": the routes have no cycle, so no deadlock; " +
                  (routers.empty()
                       ? std::string("no single router explains it")
                       : routers + " takes no flit offered to it while none of its own "
                                   "outputs waits: it never grants an output, or drops"));
  }
  std::size_t shown = 0;
  for (const HeldOutput* held : blocked) {
    if (shown++ == 10) break;
    out.push_back("  " + output_words(routes, held->router, held->slot) + " holds " +
                  (held->packet.known() ? packet_words(held->packet) : std::string("a flit")) +
                  ", not taken");
  }
  if (blocked.size() > 10)
    out.push_back("  ... and " + std::to_string(blocked.size() - 10) + " more");
}

}  // namespace

std::string packet_words(const PacketId& packet) {
  if (!packet.known()) return "a packet";
  return "packet " + std::to_string(packet.src) + " → " + std::to_string(packet.dst) + " #" +
         std::to_string(packet.seq);
}

std::vector<std::string> traffic_problems(const PointResult& result,
                                          const route::DesignRoutes& routes) {
  std::vector<std::string> out;
  if (result.wrong_turn_count > 0) {
    // Routers that take a table and turn otherwise explain every misdelivery and most stalls.
    std::set<int> turned;
    for (const WrongTurn& turn : result.wrong_turns) turned.insert(turn.router);
    std::string routers;
    for (int router : turned)
      routers += (routers.empty() ? "" : ", ") + router_name(routes, router);
    const WrongTurn& first = result.wrong_turns.front();
    out.push_back(std::to_string(result.wrong_turn_count) + " packet" +
                  (result.wrong_turn_count == 1 ? "" : "s") +
                  " left a router by another slot "
                  "than its ROUTES give, at " +
                  routers +
                  ": the router does not route by its "
                  "table (" +
                  packet_words(first.packet) + ": " + wrong_turn_words(routes, first) + ")");
  }
  // A few of each kind: a router that makes flits of its own would fill pages with them.
  std::map<std::string, int> shown_of_kind;
  int left_out = result.error_count - static_cast<int>(result.errors.size());
  for (const PacketError& e : result.errors) {
    if (shown_of_kind[e.kind]++ < 5)
      out.push_back(error_words(e, result, routes));
    else
      ++left_out;
  }
  if (left_out > 0)
    out.push_back("... and " + std::to_string(left_out) + " more flits or packets arrived wrong" +
                  (result.end == "errors" ? "; the run stopped there" : ""));
  if (result.end == "stall") stall_problems(result, routes, out);
  if (result.end == "timeout" && !result.in_flight.empty())
    out.push_back("the run ended after " + std::to_string(result.cycles) + " cycles with " +
                  std::to_string(result.in_flight.size()) +
                  " packets still in the network and flits moving: packets circle, or the network "
                  "is far past saturation");
  if (result.end != "done") {
    std::size_t shown = 0;
    for (const InFlight& flight : result.in_flight) {
      if (shown++ == 10) break;
      std::string words =
          "  " + packet_words(flight.packet) + " did not arrive: " + last_seen(flight, routes);
      if (const WrongTurn* turn = wrong_turn_of(result, flight.packet))
        words += "; " + wrong_turn_words(routes, *turn);
      out.push_back(words);
    }
    if (result.in_flight.size() > 10)
      out.push_back("  ... and " + std::to_string(result.in_flight.size() - 10) + " more");
  }
  return out;
}

}  // namespace noc::verify
