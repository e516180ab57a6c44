#include "app/dot_graph.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <set>
#include <utility>

#include "common/error.h"
#include "common/text.h"
#include "model/router_table.h"

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

struct Trouble {
  std::set<std::string> nodes;
  std::set<std::pair<std::string, std::string>> links;  // both orders

  explicit Trouble(const std::vector<Diagnostic>& diagnostics) {
    for (const Diagnostic& d : diagnostics) {
      if (!d.node.empty()) nodes.insert(d.node);
      if (!d.node.empty() && !d.other.empty()) {
        links.emplace(d.node, d.other);
        links.emplace(d.other, d.node);
      }
    }
  }
};

const char* red(bool bad) {
  return bad ? ", color=red, fontcolor=red" : "";
}

void write_nodes(emit::TextSink& out, const model::Description& description,
                 const Trouble& trouble) {
  for (const Node& node : description.nodes()) {
    bool is_router = node.record_is_object && node.is_router;
    out << "  " << dot_id(node.name) << " [shape=" << (is_router ? "box" : "ellipse")
        << red(trouble.nodes.count(node.name) > 0) << "];\n";
  }
}

// One edge per router pair, labelled with the link name the first-listing router computes.
void write_edges(emit::TextSink& out, const model::Description& description,
                 const Trouble& trouble) {
  std::set<std::pair<std::string_view, std::string_view>> drawn;
  for (const Node& node : description.nodes()) {
    if (!node.record_is_object || !node.is_router) continue;
    for (const std::string& name : node.neighbors) {
      const Node* other = description.find(name);
      if (!other) continue;
      bool bad = trouble.links.count({node.name, name}) > 0;
      if (!other->is_router) {
        out << "  " << dot_id(node.name) << " -- " << dot_id(name) << " [style=dashed" << red(bad)
            << "];\n";
        continue;
      }
      if (!drawn
               .emplace(std::min<std::string_view>(node.name, name),
                        std::max<std::string_view>(node.name, name))
               .second)
        continue;
      std::optional<std::string> link = model::link_name(node.name, name);
      out << "  " << dot_id(node.name) << " -- " << dot_id(name)
          << " [label=" << dot_id(link ? *link : "?") << red(bad || !link) << "];\n";
    }
  }
}

}  // namespace

void write_dot(emit::TextSink& out, const CheckReport& report) {
  out << "graph noc {\n  graph [overlap=false];\n  node [fontname=\"Helvetica\"];\n"
         "  edge [fontname=\"Helvetica\", fontsize=10];\n";
  if (report.description) {
    Trouble trouble(report.diagnostics);
    write_nodes(out, *report.description, trouble);
    write_edges(out, *report.description, trouble);
  }
  out << "}\n";
}

void render_dot(const std::string& dot_text, const std::string& format, const std::string& output) {
  int to_dot[2];
  if (pipe(to_dot) != 0) throw file_error("cannot start Graphviz", "dot", errno);
  pid_t child = fork();
  if (child < 0) throw file_error("cannot start Graphviz", "dot", errno);
  if (child == 0) {
    dup2(to_dot[0], STDIN_FILENO);
    close(to_dot[0]);
    close(to_dot[1]);
    std::string type = "-T" + format;
    execlp("dot", "dot", type.c_str(), "-o", output.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
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
  if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
    throw Error("Graphviz's dot is not installed; write a .dot file and render it elsewhere",
                output);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0)
    throw Error("Graphviz's dot could not render the graph", output);
}

}  // namespace noc::app
