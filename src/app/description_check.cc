#include "app/description_check.h"

#include <map>
#include <memory>
#include <set>
#include <unordered_map>

#include "common/error.h"
#include "common/source_tree.h"
#include "common/text.h"
#include "model/port_template.h"
#include "model/router_table.h"
#include "rtl/extract_rtl.h"

namespace noc::app {
namespace {

using model::Member;
using model::Node;

bool listed(const Node& node, std::string_view name) {
  for (const std::string& n : node.neighbors)
    if (n == name) return true;
  return false;
}

bool readable(const Node& node) {
  return node.record_is_object && node.is_router_member != Member::kAbsent;
}

class Checker {
 public:
  Checker(const model::Description& description, rtl::RtlCatalog& catalog)
      : description_(description), catalog_(catalog) {}

  std::vector<Diagnostic> run() {
    for (const Node& node : description_.nodes()) check_record(node);
    for (const Node& node : description_.nodes())
      if (readable(node) && node.is_router && node.neighbors_member == Member::kPresent)
        check_router(node);
    check_numbers();
    check_tile_listings();
    check_tile_sources();
    check_sources();
    return std::move(found_);
  }

 private:
  void report(Severity severity, const Node& node, std::string message, std::string other = {}) {
    auto [line, column] = description_.line_column(node);
    found_.push_back(Diagnostic{severity, description_.path(), line, column, node.name,
                                std::move(other), std::move(message)});
  }

  void check_member(const Node& node, const char* name, Member member, const char* wanted) {
    if (member == Member::kAbsent)
      report(Severity::kError, node, "member " + in_quotes(name) + " is missing");
    if (member == Member::kWrongType)
      report(Severity::kError, node, "member " + in_quotes(name) + " must be " + wanted);
  }

  void check_record(const Node& node) {
    if (!node.record_is_object)
      return report(Severity::kError, node, "the node record is not a JSON object");
    if (node.is_router_member == Member::kAbsent)
      return report(Severity::kError, node, "member \"is_Router\" is missing");
    if (node.is_router)
      check_member(node, "neighbors", node.neighbors_member, "an array of node names");
    check_member(node, "top_module_fname", node.top_module_fname_member,
                 "a text (a source file name)");
    if (!node.is_router && node.top_module_fname_member == Member::kPresent) last_endpoint_ = &node;
  }

  void check_router(const Node& node) {
    bool has_router = false, has_tile = false;
    for (const std::string& name : node.neighbors) {
      const Node* other = description_.find(name);
      if (!other) {
        report(Severity::kError, node,
               "neighbour " + in_quotes(name) + " is not a node of the description", name);
      } else if (!readable(*other)) {
        continue;  // reported at its own record
      } else if (other->is_router) {
        has_router = true;
        check_link(node, *other);
      } else {
        has_tile = true;
        tile_listings_[other].push_back(node.name);
      }
    }
    if (!has_router)
      report(Severity::kError, node, "has no router neighbour; every router needs at least one");
    if (!has_tile)
      report(Severity::kError, node,
             "has no compute tile among its neighbours; every router needs at least one");
  }

  void check_link(const Node& node, const Node& other) {
    numbered_.insert(&node);
    numbered_.insert(&other);
    if (&node == &other)
      return report(Severity::kWarning, node,
                    "lists itself as a neighbour; the router's output is wired to its own input",
                    node.name);
    if (!listed(other, node.name))
      report(Severity::kWarning, node,
             "neighbour " + in_quotes(other.name) + " does not list " + in_quotes(node.name) +
                 " back; the link is connected at one end only",
             other.name);
    bool report_here = !listed(other, node.name) || &node < &other;
    if (report_here && field_at(node.name, 0) != field_at(other.name, 0))
      report(Severity::kWarning, node,
             "linked routers " + in_quotes(node.name) + " and " + in_quotes(other.name) +
                 " have different prefixes; the wires of their link are declared by neither "
                 "router",
             other.name);
  }

  // Every router that takes part in a link needs a decimal number, and a unique one written
  // without leading zeros: the link wires are named after the numbers.
  void check_numbers() {
    std::map<std::int64_t, const Node*> by_number;
    for (const Node& node : description_.nodes()) {
      if (!numbered_.count(&node)) continue;
      if (std::optional<std::string> problem = model::router_number_problem(node.name)) {
        report(Severity::kError, node, *problem);
        continue;
      }
      std::string_view field = *field_at(node.name, 1);
      std::int64_t number = *parse_decimal(field);
      if (field != std::to_string(number))
        report(Severity::kWarning, node,
               "router number " + in_quotes(field) +
                   " is not written as a plain decimal (leading zero or sign); the wires of its "
                   "links are declared by neither router");
      auto [first, inserted] = by_number.emplace(number, &node);
      if (!inserted)
        report(Severity::kWarning, node,
               "has the same number " + std::to_string(number) + " as router " +
                   in_quotes(first->second->name) + "; their link wires collide",
               first->second->name);
    }
  }

  void check_tile_listings() {
    for (const Node& node : description_.nodes()) {
      auto at = tile_listings_.find(&node);
      if (at == tile_listings_.end() || at->second.size() < 2) continue;
      std::string by;
      for (const std::string& router : at->second)
        by += (by.empty() ? "" : ", ") + in_quotes(router);
      report(Severity::kWarning, node,
             "is listed " + std::to_string(at->second.size()) + " times as a neighbour (by " + by +
                 "); a tile instance is written for every listing");
    }
  }

  void check_tile_sources() {
    if (!last_endpoint_) {
      found_.push_back(Diagnostic{Severity::kError,
                                  description_.path(),
                                  1,
                                  1,
                                  {},
                                  {},
                                  "no compute tile source: the description has no endpoint node"});
      return;
    }
    const std::string& ip = last_endpoint_->top_module_fname;
    for (const Node& node : description_.nodes()) {
      if (!readable(node) || node.is_router || node.top_module_fname_member != Member::kPresent ||
          node.top_module_fname == ip)
        continue;
      report(Severity::kWarning, node,
             "names tile source " + in_quotes(node.top_module_fname) +
                 ", but every tile is wired with the interface of " + in_quotes(ip) +
                 ", named by the last endpoint " + in_quotes(last_endpoint_->name));
    }
  }

  // Every source the generator reads must be found exactly once and parse.
  void check_sources() {
    std::set<std::string> done;
    const Node* first_router = nullptr;
    for (const Node& node : description_.nodes()) {
      if (!readable(node) || node.top_module_fname_member != Member::kPresent) continue;
      if (node.is_router && !first_router) first_router = &node;
      if (done.insert(node.top_module_fname).second) check_source(node, node.top_module_fname);
    }
    if (first_router && done.insert(model::kRouterSourceName).second)
      check_source(*first_router, model::kRouterSourceName);
  }

  void check_source(const Node& node, const std::string& name) {
    try {
      catalog_.parse(name);
    } catch (const Error& error) {
      if (error.line() == 0) return report(Severity::kError, node, error.message());
      found_.push_back(Diagnostic{Severity::kError,
                                  error.file(),
                                  error.line(),
                                  error.column(),
                                  node.name,
                                  {},
                                  error.message()});
    }
  }

  const model::Description& description_;
  rtl::RtlCatalog& catalog_;
  std::vector<Diagnostic> found_;
  const Node* last_endpoint_ = nullptr;
  std::set<const Node*> numbered_;
  std::unordered_map<const Node*, std::vector<std::string>> tile_listings_;
};

}  // namespace

CheckReport check_description(const std::string& base_dir, const std::string& description_name,
                              const rtl::RtlOptions& rtl_options) {
  CheckReport report;
  auto tree = std::make_shared<SourceTree>(base_dir);
  const std::vector<std::string>& found = tree->find(description_name);
  if (found.empty()) {
    report.diagnostics.push_back(Diagnostic{
        Severity::kError,
        absolute_path(base_dir),
        0,
        0,
        {},
        {},
        "no description named " + in_quotes(description_name) + " below the base directory"});
    return report;
  }
  report.description_path = found.back();
  try {
    report.description =
        model::load_description(report.description_path, [](const std::string&) {});
  } catch (const Error& error) {
    report.diagnostics.push_back(Diagnostic{
        Severity::kError, error.file(), error.line(), error.column(), {}, {}, error.message()});
    return report;
  }
  rtl::RtlCatalog catalog(base_dir, tree, rtl_options);
  report.diagnostics = Checker(*report.description, catalog).run();
  return report;
}

}  // namespace noc::app
