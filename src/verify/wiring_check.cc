#include "verify/wiring_check.h"

#include <algorithm>
#include <optional>
#include <set>
#include <string_view>
#include <unordered_map>

#include "verify/probe_code.h"

namespace noc::verify {
namespace {

// Where one received bit came from.
struct Source {
  enum Kind { kNothing, kMixed, kOutput } kind = kNothing;
  int instance = -1;  // expected instance, or -1 for one verify does not know
  std::string port;
  int slot = 0;
  int bit = 0;  // within the slot
};

class WiringChecker {
 public:
  WiringChecker(const ExpectedWiring& expected, const std::vector<ModulePorts>& modules,
                const ProbeLog& log, const std::vector<SharedWire>& shared)
      : expected_(expected), modules_(modules), log_(log), shared_(shared) {}

  WiringReport run() {
    match_instances();
    std::vector<bool> group_ok(expected_.groups.size(), true);
    std::vector<bool> group_seen(expected_.groups.size(), false);
    for (const ExpectedInput& input : expected_.inputs) {
      group_seen[input.group] = true;
      if (!check_input(input) || sent_by_shared_driver(input)) group_ok[input.group] = false;
    }
    for (const SharedWire& wire : shared_) report_.problems.push_back(shared_wire_line(wire));
    for (std::size_t g = 0; g < expected_.groups.size(); ++g) {
      bool proven = group_seen[g] && group_ok[g];
      if (expected_.groups[g].kind == GroupKind::kLink) {
        ++report_.links;
        report_.links_proven += proven;
      } else if (expected_.groups[g].kind == GroupKind::kTile) {
        ++report_.tiles;
        report_.tiles_proven += proven;
      }
    }
    return std::move(report_);
  }

 private:
  // Every expected instance must print once, as the module the description makes it.
  void match_instances() {
    logged_.assign(expected_.instances.size(), nullptr);
    for (std::size_t i = 0; i < expected_.instances.size(); ++i)
      by_number_[expected_.instances[i].number] = static_cast<int>(i);
    for (const LoggedInstance& instance : log_.instances) {
      int index = index_of(instance.id);
      if (index < 0 || leaf_of(instance.path) != expected_.instances[index].instance) {
        report_.problems.push_back("noc_top holds " + instance.path +
                                   ", an instance the description does not make");
        continue;
      }
      const ExpectedInstance& want = expected_.instances[index];
      if (logged_[index]) {
        report_.problems.push_back(want.node + ": noc_top holds two instances named " +
                                   want.instance);
        continue;
      }
      std::size_t module = static_cast<std::size_t>(instance.module);
      if (module >= modules_.size() || modules_[module].module != want.module) {
        report_.problems.push_back(
            want.node + ": " + want.instance + " is an instance of " +
            (module < modules_.size() ? modules_[module].module : "another module") +
            "; the description makes it one of " + want.module);
        continue;
      }
      logged_[index] = &instance;
    }
    for (std::size_t i = 0; i < expected_.instances.size(); ++i)
      if (!logged_[i] && !any_id(expected_.instances[i].number))
        report_.problems.push_back(expected_.instances[i].node + ": noc_top has no instance " +
                                   expected_.instances[i].instance);
  }

  int index_of(std::uint32_t number) const {
    auto found = by_number_.find(number);
    return found == by_number_.end() ? -1 : found->second;
  }

  static std::string_view leaf_of(std::string_view path) {
    std::size_t dot = path.rfind('.');
    return dot == std::string_view::npos ? path : path.substr(dot + 1);
  }

  bool any_id(std::uint32_t id) const {
    return std::any_of(log_.instances.begin(), log_.instances.end(),
                       [&](const LoggedInstance& i) { return i.id == id; });
  }

  // The logged port of an instance by name, and the slot width it splits into.
  struct PortView {
    const LoggedPort* port = nullptr;
    std::uint64_t slot_bits = 0;
  };

  // `whole_port`: a clock or reset, one slot however many the NoC ports have.
  std::optional<PortView> port_of(int instance, const std::string& name,
                                  bool whole_port = false) const {
    const LoggedInstance* logged = logged_[instance];
    if (!logged) return std::nullopt;
    const std::vector<ProbedPort>& ports = modules_[logged->module].ports;
    for (std::size_t p = 0; p < ports.size(); ++p) {
      if (ports[p].name != name) continue;
      auto found = logged->ports.find(static_cast<int>(p));
      if (found == logged->ports.end()) return std::nullopt;
      int slots = whole_port ? 1 : expected_.instances[instance].slots;
      if (slots <= 0 || found->second.bits % slots != 0) return std::nullopt;
      return PortView{&found->second, found->second.bits / slots};
    }
    return std::nullopt;
  }

  // Reports a port that cannot be split into slots once.
  void port_problem(int instance, const std::string& name) {
    if (!reported_ports_.insert({instance, name}).second) return;
    const ExpectedInstance& who = expected_.instances[instance];
    const LoggedInstance* logged = logged_[instance];
    const std::vector<ProbedPort>& ports = modules_[logged->module].ports;
    auto it = std::find_if(ports.begin(), ports.end(),
                           [&](const ProbedPort& p) { return p.name == name; });
    if (it == ports.end()) {
      report_.problems.push_back(who.node + ": module " + who.module + " has no port " + name);
      return;
    }
    if (!it->probed) {
      report_.problems.push_back(who.node + "." + name +
                                 " has unpacked dimensions, which verify cannot probe");
      return;
    }
    auto found = logged->ports.find(static_cast<int>(it - ports.begin()));
    std::uint64_t bits = found == logged->ports.end() ? 0 : found->second.bits;
    report_.problems.push_back(who.node + "." + name + " has " + std::to_string(bits) +
                               " bits, which do not split into " + std::to_string(who.slots) +
                               " slots");
  }

  Source source_of(std::uint64_t value) const {
    Source source;
    if (value == 0) return source;
    std::optional<ProbeCode> code = decode(value);
    if (!code) {
      source.kind = Source::kMixed;
      return source;
    }
    source.kind = Source::kOutput;
    int index = index_of(code->instance);
    if (index < 0 || !logged_[index]) {
      source.port = "?";
      return source;
    }
    source.instance = index;
    const std::vector<ProbedPort>& ports = modules_[logged_[source.instance]->module].ports;
    source.port = code->port < ports.size() ? ports[code->port].name : "?";
    std::optional<PortView> view = port_of(source.instance, source.port);
    std::uint64_t width = view ? view->slot_bits : 0;
    source.slot = width ? static_cast<int>(code->bit / width) : static_cast<int>(code->bit);
    source.bit = width ? static_cast<int>(code->bit % width) : 0;
    return source;
  }

  std::string name_of(const Source& s) const {
    if (s.kind == Source::kNothing) return "nothing";
    if (s.kind == Source::kMixed) return "a mix of several outputs";
    if (s.instance < 0) return "an instance the description does not make";
    return expected_.instances[s.instance].node + "." + s.port + "[" + std::to_string(s.slot) + "]";
  }

  std::string node_of(const std::string& instance) const {
    for (const ExpectedInstance& expected : expected_.instances)
      if (expected.instance == instance) return expected.node;
    return instance;
  }

  std::string shared_wire_line(const SharedWire& wire) const {
    std::string line = "wire " + wire.wire + " is driven by ";
    for (std::size_t i = 0; i < wire.drivers.size(); ++i)
      line += std::string(i == 0                         ? ""
                          : i + 1 == wire.drivers.size() ? " and "
                                                         : ", ") +
              node_of(wire.drivers[i].instance) + "." + wire.drivers[i].port;
    return line;
  }

  // Where two outputs drive one wire, the one that loses the simulation sends nothing that a
  // reader sees, and the winner's link only looks proven.
  bool sent_by_shared_driver(const ExpectedInput& input) const {
    const ExpectedInstance& sender = expected_.instances[input.sender.instance];
    for (const SharedWire& wire : shared_)
      for (const WireDriver& driver : wire.drivers)
        if (driver.instance == sender.instance && driver.port == input.sender.port) return true;
    return false;
  }

  bool check_input(const ExpectedInput& input) {
    const SlotRef& r = input.receiver;
    if (!logged_[r.instance]) return false;
    std::optional<PortView> view = port_of(r.instance, r.port, input.whole_port);
    if (!view) {
      port_problem(r.instance, r.port);
      return false;
    }
    std::vector<std::string> sources;
    bool in_order = true, all_expected = true;
    for (std::uint64_t b = 0; b < view->slot_bits; ++b) {
      Source s = source_of(view->port->codes[r.slot * view->slot_bits + b]);
      bool expected = s.kind == Source::kOutput && s.instance == input.sender.instance &&
                      s.port == input.sender.port && s.slot == input.sender.slot;
      all_expected &= expected;
      in_order &= !expected || s.bit == static_cast<int>(b);
      std::string name = name_of(s);
      if (std::find(sources.begin(), sources.end(), name) == sources.end()) sources.push_back(name);
    }
    if (all_expected && in_order) return true;
    const ExpectedInstance& who = expected_.instances[r.instance];
    std::string line = who.node + "." + r.port + "[" + std::to_string(r.slot) + "] ";
    if (sources.size() == 1 && sources[0] == "nothing") {
      line += "is not driven";
    } else {
      line += "receives ";
      for (std::size_t i = 0; i < sources.size(); ++i)
        line += (i == 0 ? "" : i + 1 == sources.size() ? " and " : ", ") + sources[i];
      if (all_expected) line += " with its bits in another order";
    }
    line += "; the description links " + input.link;
    if (!all_expected || !in_order)
      line += " (" + expected_.instances[input.sender.instance].node + "." + input.sender.port +
              "[" + std::to_string(input.sender.slot) + "])";
    report_.problems.push_back(std::move(line));
    return false;
  }

  const ExpectedWiring& expected_;
  const std::vector<ModulePorts>& modules_;
  const ProbeLog& log_;
  const std::vector<SharedWire>& shared_;
  std::vector<const LoggedInstance*> logged_;
  std::unordered_map<std::uint32_t, int> by_number_;
  std::set<std::pair<int, std::string>> reported_ports_;
  WiringReport report_;
};

}  // namespace

WiringReport check_wiring(const ExpectedWiring& expected, const std::vector<ModulePorts>& modules,
                          const ProbeLog& log, const std::vector<SharedWire>& shared) {
  return WiringChecker(expected, modules, log, shared).run();
}

}  // namespace noc::verify
