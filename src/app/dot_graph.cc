#include "app/dot_graph.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <utility>

#include "common/child_guard.h"
#include "common/error.h"
#include "common/file_identity.h"
#include "common/termination.h"
#include "common/text.h"
#include "emit/output_file.h"
#include "model/router_table.h"
#include "model/top_contract.h"
#include "verify/process.h"

namespace noc::app {
namespace {

using model::Member;
using model::Node;

std::string dot_id(std::string_view name) {
  std::string out = "\"";
  for (char c : name) {
    if (c == '"' || c == '\\') out += '\\';
    out += c;
  }
  return out + "\"";
}

// What the rules found, by node: the nodes and links to draw in red, and for each node the lines
// its tooltip shows.
struct Trouble {
  std::map<std::string, std::string, std::less<>> nodes;  // node -> its diagnostics, one a line
  std::set<std::pair<std::string, std::string>> links;    // both orders

  explicit Trouble(const std::vector<Diagnostic>& diagnostics) {
    for (const Diagnostic& d : diagnostics) {
      if (d.node.empty()) continue;
      std::string& lines = nodes[d.node];
      lines += (lines.empty() ? "" : "\n") + std::string(d.code()) + " " +
               model::severity_name(d.severity()) + ": " + d.message;
      if (!d.other.empty()) {
        links.emplace(d.node, d.other);
        links.emplace(d.other, d.node);
      }
    }
  }
};

// A position neato keeps, in inches.
// Written with to_chars, which follows no locale: under a German one, printf would write
// "1,4" and Graphviz would read the comma as the separator of the two coordinates.
std::string pinned(double x, double y) {
  char number[32];
  auto decimal = [&number](double value) {
    return std::string(
        number,
        std::to_chars(number, number + sizeof number, value, std::chars_format::fixed, 1).ptr);
  };
  return ", pos=\"" + decimal(x) + "," + decimal(y) + "!\"";
}

const char* red(bool bad) {
  return bad ? ", color=red, fontcolor=red" : "";
}

// The column count of a grid when the routers are R_0 ... R_{n-1}, numbered row by row, and
// every link joins grid neighbours (a mesh, or a torus with its wrap-around links), as nocgen
// topology writes them; nothing for any other network.
std::optional<int> grid_width(const model::Description& description) {
  std::map<std::string_view, int> number;
  std::vector<const Node*> routers;
  for (const Node& node : description.nodes()) {
    if (!node.record_is_object || !node.is_router) continue;
    number[node.name] = static_cast<int>(routers.size());
    routers.push_back(&node);
  }
  int n = static_cast<int>(routers.size());
  for (int i = 0; i < n; ++i)
    if (routers[i]->name != "R_" + std::to_string(i)) return std::nullopt;
  for (int width = 2; width < n; ++width) {
    if (n % width != 0) continue;
    int height = n / width;
    bool fits = true;
    for (int i = 0; i < n && fits; ++i) {
      for (model::Neighbour neighbour : description.neighbours(*routers[i])) {
        auto at = number.find(neighbour.name);
        if (at == number.end()) continue;
        int dr = std::abs(i / width - at->second / width),
            dc = std::abs(i % width - at->second % width);
        bool row_step = dr == 0 && (dc == 1 || dc == width - 1);
        bool column_step = dc == 0 && (dr == 1 || dr == height - 1);
        fits = fits && (row_step || column_step);
      }
    }
    if (fits) return width;
  }
  return std::nullopt;
}

void write_nodes(emit::TextSink& out, const model::Description& description,
                 const Trouble& trouble) {
  std::optional<int> width = grid_width(description);
  // On a grid each tile is pinned beside the first router that lists it, one below the other.
  std::map<std::string_view, std::pair<int, int>> tile_place;  // tile -> router index, order
  if (width) {
    int index = 0;
    for (const Node& node : description.nodes()) {
      if (!node.record_is_object || !node.is_router) continue;
      int order = 0;
      for (model::Neighbour neighbour : description.neighbours(node)) {
        const Node* other = neighbour.node;
        if (other && !other->is_router && !tile_place.count(other->name))
          tile_place[other->name] = {index, order++};
      }
      ++index;
    }
  }
  int router_index = 0;
  for (const Node& node : description.nodes()) {
    bool is_router = node.record_is_object && node.is_router;
    auto bad = trouble.nodes.find(node.name);
    out << "  " << dot_id(node.name) << " [shape=" << (is_router ? "box" : "ellipse")
        << red(bad != trouble.nodes.end());
    if (bad != trouble.nodes.end()) out << ", tooltip=" << dot_id(bad->second);
    if (is_router && width) {
      int row = router_index / *width, column = router_index % *width;
      out << pinned(column * 3, -row * 3);
    }
    if (auto tile = tile_place.find(node.name); !is_router && tile != tile_place.end()) {
      int row = tile->second.first / *width, column = tile->second.first % *width;
      out << pinned(column * 3 + 1.4, -row * 3 - 0.9 - 0.6 * tile->second.second);
    }
    if (is_router) ++router_index;
    out << "];\n";
  }
}

// The slots of one router's ports, by the neighbour they meet, as noc_top numbers them: one per
// link, kSlotsPerTile per tile (channel 0 first). A neighbour listed twice keeps its lowest.
std::map<std::string_view, std::string> slot_labels(const model::Description& description,
                                                    const Node& router) {
  std::vector<std::string_view> links, tiles;
  for (model::Neighbour neighbour : description.neighbours(router)) {
    if (!neighbour.node) continue;
    (neighbour.node->is_router ? links : tiles).push_back(neighbour.name);
  }
  std::map<std::string_view, std::string> labels;
  int link_count = static_cast<int>(links.size()), tile_count = static_cast<int>(tiles.size());
  for (int i = link_count - 1; i >= 0; --i)
    labels[links[static_cast<std::size_t>(i)]] = std::to_string(model::link_slot(link_count, i));
  for (int i = tile_count - 1; i >= 0; --i) {
    std::string text;
    for (int channel = 0; channel < model::kSlotsPerTile; ++channel)
      text += (channel ? "," : "") +
              std::to_string(model::tile_slot(link_count, tile_count, i, channel));
    labels[tiles[static_cast<std::size_t>(i)]] = text;
  }
  return labels;
}

std::string slot_label(const std::map<std::string_view, std::string>& labels,
                       std::string_view name) {
  auto at = labels.find(name);
  return at == labels.end() ? "?" : at->second;
}

// One edge per router pair, labelled with the link name the first-listing router computes and
// each end with its router's slot; a tile's edge with the slots of its channels. A neighbour
// that is not a node of the description is drawn as a dashed red node of its own.
void write_edges(emit::TextSink& out, const model::Description& description,
                 const Trouble& trouble) {
  std::set<std::pair<std::string_view, std::string_view>> drawn;
  std::set<std::string_view> unknown;
  std::map<std::string_view, std::map<std::string_view, std::string>> slots;
  for (const Node& node : description.nodes())
    if (node.record_is_object && node.is_router) slots[node.name] = slot_labels(description, node);
  for (const Node& node : description.nodes()) {
    if (!node.record_is_object || !node.is_router) continue;
    const auto& own = slots[node.name];
    for (model::Neighbour neighbour : description.neighbours(node)) {
      std::string_view name = neighbour.name;
      const Node* other = neighbour.node;
      bool bad = trouble.links.count({std::string(node.name), std::string(name)}) > 0;
      if (!other) {
        if (unknown.insert(name).second)
          out << "  " << dot_id(name) << " [shape=ellipse, style=dashed" << red(true)
              << ", tooltip=\"not a node of the description\"];\n";
        out << "  " << dot_id(node.name) << " -- " << dot_id(name) << " [style=dashed" << red(true)
            << "];\n";
        continue;
      }
      if (!other->is_router) {
        out << "  " << dot_id(node.name) << " -- " << dot_id(name)
            << " [style=dashed, taillabel=" << dot_id(slot_label(own, name)) << red(bad) << "];\n";
        continue;
      }
      if (!drawn
               .emplace(std::min<std::string_view>(node.name, name),
                        std::max<std::string_view>(node.name, name))
               .second)
        continue;
      std::optional<std::string> link = model::link_name(node.name, name);
      auto far = slots.find(name);
      out << "  " << dot_id(node.name) << " -- " << dot_id(name)
          << " [label=" << dot_id(link ? *link : "?")
          << ", taillabel=" << dot_id(slot_label(own, name))
          << ", headlabel=" << dot_id(far == slots.end() ? "?" : slot_label(far->second, node.name))
          << red(bad || !link) << "];\n";
    }
  }
}

}  // namespace

void write_dot(emit::TextSink& out, const CheckReport& report) {
  out << "graph noc {\n  graph [overlap=false";
  // A grid keeps its shape only when the routers are pinned, which neato honours and dot not.
  if (report.description && grid_width(*report.description)) out << ", layout=neato";
  out << "];\n  node [fontname=\"Helvetica\"];\n"
         "  edge [fontname=\"Helvetica\", fontsize=10];\n";
  if (report.description) {
    Trouble trouble(report.diagnostics);
    write_nodes(out, *report.description, trouble);
    write_edges(out, *report.description, trouble);
  }
  out << "}\n";
}

// A dot that is not on PATH, or one there that could not be started (too many open files,
// say): the child said which on standard error.
std::string dot_not_started() {
  if (!verify::find_on_path("dot"))
    return "Graphviz's dot is not installed; write a .dot file and render it elsewhere";
  return "Graphviz's dot is installed but could not be started (the line above says why); the "
         "old file is left as it was";
}

std::vector<std::string> graphviz_formats() {
  // dot answers an unknown format with the list of those it knows, after "Use one of:". It runs
  // under a guard like the render, so that it ends with nocgen.
  int from_dot[2];
  if (pipe2(from_dot, O_CLOEXEC) != 0) return {};
  pid_t parent = getpid();
  pid_t child = fork();
  if (child < 0) {
    close(from_dot[0]);
    close(from_dot[1]);
    return {};
  }
  if (child == 0) {
    setpgid(0, 0);
    close(from_dot[0]);
    dup2(from_dot[1], STDOUT_FILENO);
    dup2(from_dot[1], STDERR_FILENO);
    char* argv[] = {const_cast<char*>("dot"), const_cast<char*>("-T?"), nullptr};
    exec_guarded(parent, "dot", argv, true);
  }
  setpgid(child, child);
  ChildGroup registered(child);
  close(from_dot[1]);
  std::string answer;
  char buffer[4096];
  for (ssize_t n; (n = read(from_dot[0], buffer, sizeof buffer)) != 0;) {
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;
    answer.append(buffer, static_cast<std::size_t>(n));
  }
  close(from_dot[0]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  std::size_t list = answer.find("Use one of:");
  if (list == std::string::npos) return {};
  std::vector<std::string> formats;
  std::string word;
  for (char c : answer.substr(list + 11)) {
    if (c == ' ' || c == '\n') {
      if (!word.empty()) formats.push_back(word);
      word.clear();
    } else {
      word += c;
    }
  }
  if (!word.empty()) formats.push_back(word);
  return formats;
}

void render_dot(const std::string& dot_text, const std::string& format, int output_fd,
                const std::string& output) {
  int to_dot[2];
  if (pipe2(to_dot, O_CLOEXEC) != 0) throw file_error("cannot start Graphviz", "dot", errno);
  pid_t parent = getpid();
  pid_t child = fork();
  if (child < 0) throw file_error("cannot start Graphviz", "dot", errno);
  if (child == 0) {
    // A group of its own, so that ending nocgen ends dot too, and Graphviz writes into the
    // output's temporary file: a failed or interrupted render leaves the old picture alone.
    setpgid(0, 0);
    dup2(to_dot[0], STDIN_FILENO);
    dup2(output_fd, STDOUT_FILENO);
    close(to_dot[1]);
    std::string type = "-T" + format;
    char* argv[] = {const_cast<char*>("dot"), type.data(), nullptr};
    exec_guarded(parent, "dot", argv, true);
  }
  setpgid(child, child);  // both sides, so that the group exists before either goes on
  ChildGroup registered(child);
  close(to_dot[0]);
  std::size_t done = 0;
  while (done < dot_text.size()) {
    ssize_t n = write(to_dot[1], dot_text.data() + done, dot_text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) break;  // dot ended early; its status tells why
    done += static_cast<std::size_t>(n);
  }
  close(to_dot[1]);
  int status = 0;
  while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
  }
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127) throw Error(dot_not_started(), output);
  if (WIFSIGNALED(status))
    throw Error(std::string("Graphviz's dot was ended by signal ") +
                    std::to_string(WTERMSIG(status)) + " (" + strsignal(WTERMSIG(status)) +
                    "); the old file is left as it was",
                output);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw Error("Graphviz's dot could not render the graph (exit status " +
                    std::to_string(WEXITSTATUS(status)) + "); the old file is left as it was",
                output);
}

void draw_network(const CheckReport& report, const std::string& output) {
  if (!report.description)
    throw Error(report.diagnostics.front().message, report.diagnostics.front().file,
                report.diagnostics.front().line, report.diagnostics.front().column);
  std::vector<RunFile> inputs;
  for (const std::string& input : report.inputs) inputs.push_back({"the input", input});
  if (!report.description_path.empty() && inputs.empty())
    inputs.push_back({"the description", report.description_path});
  if (!inputs.empty()) inputs.front().role = "the description";
  refuse_outputs_that_are_inputs({{"-o", output}}, inputs);
  std::size_t dot = output.rfind('.');
  std::string format = dot == std::string::npos || output.find('/', dot) != std::string::npos
                           ? std::string()
                           : output.substr(dot + 1);
  std::transform(format.begin(), format.end(), format.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  struct stat existing;
  bool stream = ::stat(output.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode);
  // A FIFO or device takes DOT text whatever its name says.
  if (output == "-" || stream || format == "dot" || format == "gv") {
    emit::OutputFile out(output);
    write_dot(out, report);
    out.commit();
    return;
  }
  // Any other extension names a format for Graphviz to render; one it does not know is refused
  // rather than written as DOT text under a misleading name.
  std::vector<std::string> known = graphviz_formats();
  if (known.empty()) throw Error(dot_not_started(), output);
  if (std::find(known.begin(), known.end(), format) == known.end())
    throw Error("Graphviz renders no format \"" + format +
                    "\"; use .dot, or one of .svg, .png, and the others dot -T? lists",
                output);
  emit::StringSink text;
  write_dot(text, report);
  emit::OutputFile picture(output);
  render_dot(text.text(), format, picture.descriptor(), output);
  picture.commit();
}

}  // namespace noc::app
