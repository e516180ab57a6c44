#include "verify/expected_wiring.h"

#include <algorithm>
#include <map>

#include "common/text.h"
#include "model/top_contract.h"

namespace noc::verify {
namespace {

std::string flip(const std::string& direction) {
  return direction == "in" ? "out" : "in";
}

class WiringBuilder {
 public:
  WiringBuilder(const model::Resolution& resolution, int channels)
      : plan_(*resolution.plan),
        tile_(*resolution.tile),
        router_ports_(*resolution.router_ports),
        channels_(channels) {}

  ExpectedWiring run() {
    out_.instances.push_back(
        ExpectedInstance{kTopInstance, kTopInstance, kTopInstance, NodeKind::kTop, 1});
    for (const model::RouterBlock& block : plan_.blocks) add_router(block);
    for (std::size_t b = 0; b < plan_.blocks.size(); ++b) add_router_inputs(b);
    return std::move(out_);
  }

 private:
  void add_router(const model::RouterBlock& block) {
    const model::RouterRecord& router = *block.router;
    const std::string name(router.name()), module(block.module);
    int links = static_cast<int>(router.links.size());
    int tiles = static_cast<int>(block.tiles.size());
    int self = static_cast<int>(out_.instances.size());
    router_index_[name] = self;
    std::string instance;
    model::append_router_instance(instance, module, name);
    out_.instances.push_back(ExpectedInstance{name, std::move(instance), module, NodeKind::kRouter,
                                              links + channels_ * tiles});
    int group = add_group(name, GroupKind::kRouter);
    for (const std::string& port : router_ports_.router_clk_rst)
      add_from_top(self, port, port, group);
  }

  // A clock or reset input that the top drives from its own port of that role.
  void add_from_top(int receiver, const std::string& port, const std::string& top_port, int group) {
    ExpectedInput input{
        SlotRef{receiver, port, 0}, SlotRef{0, top_port, 0},
        std::string("noc_top.") + top_port + " to " + out_.instances[receiver].node + "." + port,
        group};
    input.whole_port = true;
    out_.inputs.push_back(std::move(input));
  }

  void add_router_inputs(std::size_t b) {
    const model::RouterBlock& block = plan_.blocks[b];
    const model::RouterRecord& router = *block.router;
    int self = router_index_.at(std::string(router.name()));
    int links = static_cast<int>(router.links.size());
    int tiles = static_cast<int>(block.tiles.size());
    for (int slot = 0; slot < links; ++slot)
      add_link_slot(self, neighbour_name(router.links[model::link_slot(links, slot)]), slot);
    for (int t = 0; t < tiles; ++t) {
      const model::TileInstance& instance = block.tiles[t];
      const std::string node(instance.node->name);
      int tile = static_cast<int>(out_.instances.size());
      out_.instances.push_back(ExpectedInstance{
          node, instance.instance(), std::string(instance.module), NodeKind::kTile, channels_});
      int group = add_group(node, GroupKind::kTile);
      for (const std::string& clock : tile_.clk)
        if (clock == "clk") add_from_top(tile, clock, "clk", group);
      add_from_top(tile, "rst_sys", "rst", group);
      for (int c = 0; c < channels_; ++c) {
        int slot = model::tile_slot(links, tiles, t, c, channels_);
        add_tile_slot(self, tile, slot, c, group);
      }
    }
  }

  void add_link_slot(int self, std::string_view neighbour_view, int slot) {
    const std::string neighbour(neighbour_view);
    auto found = router_index_.find(neighbour);
    if (found == router_index_.end()) return;
    const ExpectedInstance& me = out_.instances[self];
    const model::RouterRecord& other = *plan_.blocks[block_of(found->second)].router;
    auto back =
        std::find_if(other.links.begin(), other.links.end(),
                     [&](const model::RouterLink& l) { return neighbour_name(l) == me.node; });
    // A link that only one end lists is the description's problem, which check reports.
    if (back == other.links.end()) return;
    int other_slot = model::link_slot(static_cast<int>(other.links.size()),
                                      static_cast<int>(back - other.links.begin()));
    std::string a = std::min(me.node, neighbour), z = std::max(me.node, neighbour);
    int group = add_group(a + " and " + z, GroupKind::kLink);
    std::string words = me.node + " slot " + std::to_string(slot) + " to " + neighbour;
    for (const std::string& port : tile_.router_inputs) {
      auto dk = direction_and_kind(port, 0);
      if (!dk || !is_router_output(flip(dk->first) + "_" + dk->second)) continue;
      out_.inputs.push_back(ExpectedInput{
          SlotRef{self, port, slot},
          SlotRef{found->second, flip(dk->first) + "_" + dk->second, other_slot}, words, group});
    }
  }

  void add_tile_slot(int router, int tile, int slot, int channel, int group) {
    const ExpectedInstance& r = out_.instances[router];
    const ExpectedInstance& t = out_.instances[tile];
    std::string router_words = r.node + " slot " + std::to_string(slot) + " to " + t.node +
                               " channel " + std::to_string(channel);
    for (const std::string& port : tile_.router_inputs) {
      auto dk = direction_and_kind(port, 0);
      if (!dk) continue;
      std::optional<std::string> from = tile_port(tile_.out_to_noc, flip(dk->first), dk->second);
      if (!from) continue;
      out_.inputs.push_back(ExpectedInput{SlotRef{router, port, slot},
                                          SlotRef{tile, *from, channel}, router_words, group});
    }
    std::string tile_words = t.node + " channel " + std::to_string(channel) + " to " + r.node +
                             " slot " + std::to_string(slot);
    for (const std::string& port : tile_.in_from_noc) {
      auto dk = direction_and_kind(port, 1);
      if (!dk) continue;
      std::string from = flip(dk->first) + "_" + dk->second;
      if (!is_router_output(from)) continue;
      out_.inputs.push_back(ExpectedInput{SlotRef{tile, port, channel}, SlotRef{router, from, slot},
                                          tile_words, group});
    }
  }

  bool is_router_output(const std::string& name) const {
    const auto& outputs = tile_.router_outputs_in_order;
    return std::find(outputs.begin(), outputs.end(), name) != outputs.end();
  }

  static std::optional<std::string> tile_port(const std::vector<std::string>& ports,
                                              const std::string& direction,
                                              const std::string& kind) {
    for (const std::string& port : ports) {
      auto dk = direction_and_kind(port, 1);
      if (dk && dk->first == direction && dk->second == kind) return port;
    }
    return std::nullopt;
  }

  std::string_view neighbour_name(const model::RouterLink& link) const {
    return plan_.description->nodes()[link.neighbour].name;
  }

  std::size_t block_of(int instance) const {
    const std::string& node = out_.instances[instance].node;
    for (std::size_t b = 0; b < plan_.blocks.size(); ++b)
      if (plan_.blocks[b].router->name() == node) return b;
    return 0;
  }

  // A link is one group from either end; every tile instance is a group of its own.
  int add_group(const std::string& name, GroupKind kind) {
    int next = static_cast<int>(out_.groups.size());
    if (kind == GroupKind::kLink) {
      auto [it, added] = link_groups_.emplace(name, next);
      if (!added) return it->second;
    }
    out_.groups.push_back(Group{name, kind});
    return next;
  }

  const model::Plan& plan_;
  const model::TileInterface& tile_;
  const model::RouterPortTemplate& router_ports_;
  int channels_;
  ExpectedWiring out_;
  std::map<std::string, int> router_index_;
  std::map<std::string, int> link_groups_;
};

}  // namespace

std::optional<std::pair<std::string, std::string>> direction_and_kind(const std::string& port,
                                                                      std::size_t field) {
  std::vector<std::string_view> fields = split_fields(port);
  if (fields.size() < field + 2) return std::nullopt;
  std::string kind;
  for (std::size_t i = field + 1; i < fields.size(); ++i)
    kind += (kind.empty() ? "" : "_") + std::string(fields[i]);
  return std::make_pair(std::string(fields[field]), kind);
}

ExpectedWiring expected_wiring(const model::Resolution& resolution, int channels) {
  return WiringBuilder(resolution, channels).run();
}

}  // namespace noc::verify
