#include "route/dependency_check.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>

#include "common/text.h"

namespace noc::route {
namespace {

constexpr std::size_t kProblemsKept = 20;

struct Dependencies {
  std::map<std::pair<int, int>, std::set<std::pair<int, int>>> next;

  void add(Channel from, Channel to) {
    next[{from.router, from.slot}].insert({to.router, to.slot});
  }
  std::size_t size() const {
    std::size_t count = 0;
    for (const auto& [from, to] : next) count += to.size();
    return count;
  }
};

std::string name_of(const PortMap& map, int router) {
  return std::string(map.routers[static_cast<std::size_t>(router)].name);
}

// Follows the table from `start` to destination `d`, noting each pair of channels held in turn.
void follow(const PortMap& map, const RoutingTable& table, int start, std::size_t d,
            Dependencies& dependencies, std::set<std::pair<int, int>>& used,
            std::vector<std::string>& problems) {
  const Destination& dest = map.destinations[d];
  auto say = [&](const std::string& what) {
    if (problems.size() < kProblemsKept)
      problems.push_back("destination " + std::to_string(d) + " from " +
                         in_quotes(name_of(map, start)) + ": " + what);
  };
  int at = start, came_by = -1;
  std::optional<Channel> held;
  for (std::size_t hops = 0; hops <= map.routers.size(); ++hops) {
    int slot = table.out[static_cast<std::size_t>(at)][d];
    const std::vector<Slot>& slots = map.routers[static_cast<std::size_t>(at)].slots;
    if (at == dest.router) {
      if (slot != dest.slot) say("router " + in_quotes(name_of(map, at)) + " does not deliver it");
      return;
    }
    if (slot < 0 || static_cast<std::size_t>(slot) >= slots.size() ||
        !slots[static_cast<std::size_t>(slot)].to_router) {
      say("router " + in_quotes(name_of(map, at)) + " has no route to a router for it");
      return;
    }
    if (slot == came_by) {
      say("router " + in_quotes(name_of(map, at)) + " sends it back out of slot " +
          std::to_string(slot) + ", by which it came");
      return;
    }
    const Slot& out = slots[static_cast<std::size_t>(slot)];
    if (out.router < 0 || out.far_slot < 0) {
      say("router " + in_quotes(name_of(map, at)) +
          " sends it over a link the far end does not "
          "list back");
      return;
    }
    Channel channel{at, slot};
    used.insert({at, slot});
    if (held) dependencies.add(*held, channel);
    held = channel;
    came_by = out.far_slot;
    at = out.router;
  }
  say("its route loops without arriving");
}

// A cycle of the dependency graph, by depth-first search; empty when there is none.
std::vector<Channel> find_cycle(const Dependencies& dependencies) {
  std::map<std::pair<int, int>, int> state;  // 1: on the path, 2: done
  std::vector<std::pair<int, int>> path;
  std::vector<Channel> cycle;
  auto visit = [&](auto&& self, std::pair<int, int> node) -> bool {
    state[node] = 1;
    path.push_back(node);
    auto found = dependencies.next.find(node);
    if (found != dependencies.next.end())
      for (const std::pair<int, int>& next : found->second) {
        int seen = state.count(next) ? state[next] : 0;
        if (seen == 1) {
          auto begin = std::find(path.begin(), path.end(), next);
          for (auto it = begin; it != path.end(); ++it) cycle.push_back({it->first, it->second});
          cycle.push_back({next.first, next.second});
          return true;
        }
        if (seen == 0 && self(self, next)) return true;
      }
    path.pop_back();
    state[node] = 2;
    return false;
  };
  for (const auto& [node, next] : dependencies.next)
    if (!state.count(node) && visit(visit, node)) break;
  return cycle;
}

}  // namespace

RouteCheck check_routes(const PortMap& map, const RoutingTable& table) {
  RouteCheck check;
  Dependencies dependencies;
  std::set<std::pair<int, int>> used;
  for (std::size_t d = 0; d < map.destinations.size(); ++d)
    for (std::size_t r = 0; r < map.routers.size(); ++r)
      follow(map, table, static_cast<int>(r), d, dependencies, used, check.problems);
  check.channels = used.size();
  check.dependencies = dependencies.size();
  check.cycle = find_cycle(dependencies);
  return check;
}

std::string cycle_text(const PortMap& map, const std::vector<Channel>& cycle) {
  std::string text;
  for (const Channel& channel : cycle)
    text += (text.empty() ? "" : " \u2192 ") + name_of(map, channel.router) + " out " +
            std::to_string(channel.slot);
  return text;
}

}  // namespace noc::route
