#include "random_description.h"

#include <algorithm>
#include <random>
#include <vector>

namespace noc::test {
namespace {

struct Node {
  std::string name;
  bool router = false;
  std::vector<std::string> neighbours;
  std::string source;
};

class Writer {
 public:
  explicit Writer(std::uint32_t seed) : random_(seed) {}

  std::string run() {
    build_graph();
    if (chance(0.6)) add_quirk();
    if (chance(0.3)) add_quirk();
    return text();
  }

 private:
  bool chance(double p) { return std::bernoulli_distribution(p)(random_); }
  int pick(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }
  Node& any(bool router) {
    std::vector<Node*> matching;
    for (Node& node : nodes_)
      if (node.router == router) matching.push_back(&node);
    return *matching[static_cast<std::size_t>(pick(0, static_cast<int>(matching.size()) - 1))];
  }

  void link(Node& a, Node& b) {
    a.neighbours.push_back(b.name);
    b.neighbours.push_back(a.name);
  }

  void build_graph() {
    int routers = pick(2, 7);
    for (int i = 0; i < routers; ++i)
      nodes_.push_back({"R_" + std::to_string(i), true, {}, "noc_router.sv"});
    if (chance(0.5)) {
      for (int i = 0; i + 1 < routers; ++i) link(nodes_[i], nodes_[i + 1]);  // a line or a ring
      if (chance(0.5) && routers > 2) link(nodes_[routers - 1], nodes_[0]);
    } else {
      for (int i = 1; i < routers; ++i) link(nodes_[i], nodes_[pick(0, i - 1)]);  // a tree
      for (int extra = pick(0, 2); extra > 0; --extra) {
        int a = pick(0, routers - 1), b = pick(0, routers - 1);
        if (a != b) link(nodes_[a], nodes_[b]);
      }
    }
    int tile = 0;
    for (int i = 0; i < routers; ++i) {
      for (int k = chance(0.2) ? 2 : 1; k > 0; --k) {
        Node t{"T_" + std::to_string(tile++), false, {}, "compute_tile.sv"};
        nodes_[i].neighbours.push_back(t.name);
        t.neighbours.push_back(nodes_[i].name);
        tiles_.push_back(std::move(t));
      }
    }
    for (Node& t : tiles_) nodes_.push_back(std::move(t));
    for (Node& node : nodes_) std::shuffle(node.neighbours.begin(), node.neighbours.end(), random_);
  }

  void rename(Node& node, const std::string& name) {
    for (Node& other : nodes_)
      for (std::string& n : other.neighbours)
        if (n == node.name) n = name;
    node.name = name;
  }

  void add_quirk() {
    switch (pick(0, 15)) {
      case 0:
        rename(any(true), "R_0" + std::to_string(pick(1, 9)));
        break;
      case 1:
        rename(any(true), "Q_" + std::to_string(pick(10, 19)));
        break;
      case 2:
        rename(any(true), "R");
        break;
      case 3:
        rename(any(true), "R_x");
        break;
      case 4:
        rename(any(false), "T_0 (); $display(1); x");
        break;
      case 5:
        any(true).neighbours.push_back("GHOST_" + std::to_string(pick(0, 9)));
        break;
      case 6:
        any(true).neighbours.push_back(any(false).name);
        break;
      case 7:
        any(false).source = "tile_b.sv";
        break;
      case 8:
        any(false).source = "missing.sv";
        break;
      case 9:
        raw_.push_back({any(true).name, R"("neighbors": "oops")"});
        break;
      case 10:
        raw_.push_back({any(false).name, R"("top_module_fname": 7)"});
        break;
      case 11:
        raw_.push_back({any(false).name, R"("is_Router": 0)"});
        break;
      case 12: {
        Node& router = any(true);
        router.neighbours.erase(router.neighbours.begin());  // a one-sided link, or no tile
        break;
      }
      case 13:
        rename(any(true), "R_" + std::string(pick(20, 30), '9'));
        break;
      case 14:
        nodes_.push_back({"T_lonely", false, {}, "compute_tile.sv"});
        break;
      default:
        missing_is_router_ = any(true).name;
        break;
    }
  }

  std::string members(const Node& node) {
    for (const auto& [name, member] : raw_)
      if (name == node.name && member.find("is_Router") != std::string::npos)
        return member + ", " + rest(node);
    if (node.name == missing_is_router_) return rest(node);
    return std::string("\"is_Router\": ") + (node.router ? "true" : "false") + ", " + rest(node);
  }

  std::string rest(const Node& node) {
    std::string neighbours = "\"neighbors\": [";
    for (std::size_t i = 0; i < node.neighbours.size(); ++i)
      neighbours += (i ? ", \"" : "\"") + escape(node.neighbours[i]) + "\"";
    neighbours += "]";
    std::string source = "\"top_module_fname\": \"" + node.source + "\"";
    for (const auto& [name, member] : raw_) {
      if (name != node.name) continue;
      if (member.find("neighbors") != std::string::npos) neighbours = member;
      if (member.find("top_module_fname") != std::string::npos) source = member;
    }
    return node.router ? neighbours + ", " + source : source;
  }

  static std::string escape(const std::string& text) {
    std::string out;
    for (char c : text) out += c == '"' ? std::string("\\\"") : std::string(1, c);
    return out;
  }

  std::string text() {
    std::string out = "{\n";
    for (std::size_t i = 0; i < nodes_.size(); ++i)
      out += "\"" + escape(nodes_[i].name) + "\": {" + members(nodes_[i]) + "}" +
             (i + 1 < nodes_.size() ? ",\n" : "\n");
    return out + "}\n";
  }

  std::mt19937 random_;
  std::vector<Node> nodes_, tiles_;
  std::vector<std::pair<std::string, std::string>> raw_;  ///< node -> member written as is
  std::string missing_is_router_;
};

}  // namespace

std::string random_description(std::uint32_t seed) {
  return Writer(seed).run();
}

}  // namespace noc::test
