#include "app/description_check.h"

#include <algorithm>
#include <memory>
#include <tuple>

#include "common/error.h"
#include "common/source_tree.h"
#include "common/text.h"
#include "model/description_lookup.h"
#include "model/description_reader.h"
#include "model/resolve.h"
#include "rtl/file_list.h"

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
                              const model::WarningPolicy& warnings) {
  CheckReport report;
  auto tree = std::make_shared<SourceTree>(base_dir);
  model::DescriptionLookup lookup =
      model::find_description(*tree, description_name, name_may_be_path);
  if (lookup.path.empty()) {
    report.diagnostics.push_back(
        model::Diagnostic{model::Rule::kNoDescription,
                          absolute_path(base_dir),
                          0,
                          0,
                          {},
                          {},
                          model::no_description(description_name, base_dir)});
    return report;
  }
  report.description_path = lookup.path;
  try {
    report.description =
        model::load_description(report.description_path, [](const std::string&) {});
  } catch (const Error& error) {
    report.diagnostics.push_back(model::from_error(model::Rule::kInvalidDescription, error));
    return report;
  }
  if (check_interrupt) check_interrupt();
  rtl::RtlOptions options = rtl_options;
  rtl::drop_unit_file(options, base_dir + "/noc_soc.sv");
  rtl::RtlCatalog catalog(base_dir, tree, options);
  model::DiagnosticSink sink(warnings);
  model::resolve(*report.description, catalog, sink);
  if (check_interrupt) check_interrupt();
  report.diagnostics = sink.take();
  report.inputs.push_back(report.description_path);
  for (std::string& file : catalog.files_read()) report.inputs.push_back(std::move(file));
  if (std::optional<model::Diagnostic> twice = model::duplicate_description(lookup, base_dir))
    if (warnings.apply(*twice)) report.diagnostics.push_back(std::move(*twice));
  sort_by_place(report.diagnostics);
  return report;
}

}  // namespace noc::app
