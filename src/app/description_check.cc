#include "app/description_check.h"

#include <algorithm>
#include <tuple>

#include "app/routes_report.h"
#include "model/design.h"

namespace noc::app {
namespace {

// Compiler order: by file, then by place in the file; problems without a place first.
void sort_by_place(std::vector<model::Diagnostic>& list) {
  std::stable_sort(list.begin(), list.end(),
                   [](const model::Diagnostic& a, const model::Diagnostic& b) {
                     return std::tie(a.file, a.line, a.column) < std::tie(b.file, b.line, b.column);
                   });
}

}  // namespace

CheckReport check_description(const std::string& base_dir, const std::string& description_name,
                              const rtl::RtlOptions& rtl_options, bool name_may_be_path,
                              const std::function<void()>& check_interrupt,
                              const model::WarningPolicy& warnings,
                              std::optional<route::Algorithm> routing) {
  model::DesignRequest request;
  request.base_dir = base_dir;
  request.description = description_name;
  request.description_may_be_path = name_may_be_path;
  request.rtl = rtl_options;
  request.warnings = warnings;
  request.check_interrupt = check_interrupt;
  request.routing = routing.has_value();
  request.read_config = true;
  auto design = std::make_shared<model::Design>(model::load_design(request));
  CheckReport report;
  report.diagnostics = std::move(design->diagnostics);
  // The routes of a design that generates, checked with every other rule.
  if (routing && !has_errors(report.diagnostics))
    route_loaded(design, *routing, report.diagnostics);
  report.description_path = design->lookup.path;
  if (design->description) report.description = std::move(*design->description);
  report.inputs = std::move(design->inputs);
  sort_by_place(report.diagnostics);
  return report;
}

}  // namespace noc::app
