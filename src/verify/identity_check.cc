#include "verify/identity_check.h"

#include <algorithm>
#include <map>

#include "model/top_contract.h"

namespace noc::verify {
namespace {

const std::string* parameter(const TopInstance& instance, const std::string& name) {
  for (const ParameterValue& p : instance.parameters)
    if (p.name == name) return &p.value;
  return nullptr;
}

std::string slot_words(int slot) {
  return slot == -1   ? "by no slot"
         : slot == -2 ? "by several slots"
                      : "by slot " + std::to_string(slot);
}

// The first destinations whose slot differs, in words, and how many do.
std::string table_difference(const std::vector<int>& given, const std::vector<int>& expected,
                             const char* algorithm) {
  std::size_t differ = 0, first = 0;
  for (std::size_t d = 0; d < expected.size(); ++d)
    if (given[d] != expected[d] && differ++ == 0) first = d;
  if (differ == 0) return "";
  std::string text = "ROUTES sends destination " + std::to_string(first) + " " +
                     slot_words(given[first]) + ", while " + algorithm + " routing sends it " +
                     slot_words(expected[first]);
  if (differ > 1) text += " (" + std::to_string(differ) + " destinations differ)";
  return text;
}

std::string router_problem(const TopInstance& instance, const route::DesignRoutes& routes,
                           std::size_t r, const char* algorithm) {
  const route::Identity& identity = routes.identity;
  const std::string* dests = parameter(instance, "DESTS");
  if (!dests || *dests != std::to_string(identity.dests))
    return "DESTS is " + (dests ? *dests : std::string("not given")) + ", while " +
           std::to_string(routes.map.destinations.size()) + " destinations need " +
           std::to_string(identity.dests);
  if (identity.routes[r].empty()) return "";
  const std::string* given = parameter(instance, "ROUTES");
  if (!given) return "ROUTES is not given: the router keeps its default";
  int outputs = static_cast<int>(routes.map.routers[r].slots.size());
  std::optional<std::vector<int>> table = route::routes_of_literal(*given, outputs, identity.dests);
  std::optional<std::vector<int>> expected =
      route::routes_of_literal(identity.routes[r], outputs, identity.dests);
  if (!table)
    return "ROUTES is " + *given + ", which is no table of " + std::to_string(outputs) + " x " +
           std::to_string(identity.dests) + " bits";
  return table_difference(*table, *expected, algorithm);
}

}  // namespace

std::vector<std::string> identity_problems(const std::vector<TopInstance>& instances,
                                           const route::DesignRoutes& routes,
                                           const std::vector<std::string>& router_modules) {
  std::map<std::string, const TopInstance*> by_name;
  for (const TopInstance& instance : instances) by_name[instance.name] = &instance;
  const char* algorithm = route::algorithm_name(routes.table.algorithm);
  std::vector<std::string> problems;
  auto add = [&](const std::string& instance, const std::string& problem) {
    if (!problem.empty()) problems.push_back(instance + ": " + problem);
  };
  for (std::size_t r = 0; r < routes.map.routers.size(); ++r) {
    std::string name;
    model::append_router_instance(name, router_modules[r], routes.map.routers[r].name);
    auto found = by_name.find(name);
    if (found != by_name.end()) add(name, router_problem(*found->second, routes, r, algorithm));
  }
  const route::Identity& identity = routes.identity;
  for (std::size_t t = 0; t < routes.map.tile_instances.size(); ++t) {
    const std::string& parameter_name = identity.tile_parameter[t];
    auto found = by_name.find(routes.map.tile_instances[t]);
    if (parameter_name.empty() || found == by_name.end()) continue;
    const std::string* given = parameter(*found->second, parameter_name);
    std::string expected = std::to_string(identity.tile_number[t]);
    if (!given || *given != expected)
      add(found->first, parameter_name + " is " + (given ? *given : std::string("not given")) +
                            ", while its number is " + expected);
  }
  return problems;
}

}  // namespace noc::verify
