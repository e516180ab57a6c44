#include "app/soc_generator.h"

#include <iostream>
#include <memory>
#include <mutex>
#include <optional>
#include <unordered_set>

#include "app/depfile.h"
#include "common/error.h"
#include "common/file_identity.h"
#include "common/source_tree.h"
#include "common/text.h"
#include "emit/noc_top_writer.h"
#include "emit/output_file.h"
#include "model/description.h"
#include "model/description_lookup.h"
#include "model/description_reader.h"
#include "model/resolve.h"
#include "rtl/extract_rtl.h"
#include "rtl/file_list.h"

namespace noc {
namespace {

std::mutex run_mutex;
// The description found last, kept for callers that ask which one it was. A call reads only
// the description it finds itself: one whose tree holds none fails, whatever an earlier call
// found.
std::optional<std::string> filepath;

std::string output_path_in(const std::string& base_dir) {
  if (!base_dir.empty() && base_dir.back() == '/') return base_dir + "noc_soc.sv";
  return base_dir + "/noc_soc.sv";
}

// The run's own files keep their text: an output that names one of them is refused.
void refuse_outputs_that_are_inputs(const RunSummary& summary, const RunOptions& options) {
  std::vector<RunFile> inputs;
  for (std::size_t i = 0; i < summary.inputs.size(); ++i)
    inputs.push_back({i == 0 ? "the description" : "the source", summary.inputs[i]});
  std::vector<RunFile> outputs{
      {options.output_path.empty() ? "the output" : "-o", summary.output_path},
      {"--depfile", options.depfile_path}};
  noc::refuse_outputs_that_are_inputs(outputs, inputs);
}

void count_network(const model::RouterTable& table, RunSummary& summary) {
  summary.routers = table.routers.size();
  summary.tiles = table.tiles.size();
  summary.links = table.link_names.size();
}

}  // namespace

std::optional<std::string> last_description_path() {
  std::lock_guard<std::mutex> lock(run_mutex);
  return filepath;
}

RunSummary soc_generator_noc(const std::string& base_dir, const std::string& in_json_file,
                             const RunOptions& options) {
  std::lock_guard<std::mutex> lock(run_mutex);
  auto tree = std::make_shared<SourceTree>(base_dir);
  model::DescriptionLookup lookup =
      model::find_description(*tree, in_json_file, options.description_may_be_path);
  if (lookup.path.empty())
    throw Error(model::no_description(in_json_file, base_dir), absolute_path(base_dir), 0, 0, 0,
                model::rule_info(model::Rule::kNoDescription).code);
  const std::string description_path = lookup.path;
  filepath = description_path;

  auto print = options.print_line ? options.print_line : [](const std::string& line) {
    std::cout << line << "\n" << std::flush;
  };
  auto check_interrupt = [&options] {
    if (options.check_interrupt) options.check_interrupt();
  };
  model::Description description = model::load_description(description_path, print);
  check_interrupt();
  std::string output_path =
      options.output_path.empty() ? output_path_in(base_dir) : options.output_path;
  rtl::RtlOptions rtl_options = options.rtl;
  rtl::drop_unit_file(rtl_options, output_path);
  rtl::RtlCatalog catalog(base_dir, tree, rtl_options);
  model::DiagnosticSink sink(options.warnings);
  std::unique_ptr<model::Resolution> resolved = model::resolve(description, catalog, sink);
  if (const model::Diagnostic* error = sink.first_error()) {
    if (options.warnings_before_error) {
      std::vector<model::Diagnostic> before;
      for (const model::Diagnostic& d : sink.list())
        if (d.severity() != model::Severity::kError) before.push_back(d);
      if (!before.empty()) options.warnings_before_error(before);
    }
    throw model::to_error(*error);
  }
  check_interrupt();
  const model::RouterTable& table = resolved->table;
  emit::Network network{description,      table,          *resolved->router_ports, *resolved->tile,
                        *resolved->wires, *resolved->plan};

  RunSummary summary;
  if (std::optional<model::Diagnostic> twice = model::duplicate_description(lookup, base_dir))
    if (options.warnings.apply(*twice)) {
      if (twice->made_error) throw model::to_error(*twice);
      summary.warnings.push_back(std::move(*twice));
    }
  for (model::Diagnostic& warning : sink.take()) summary.warnings.push_back(std::move(warning));
  summary.output_path = output_path == "-" ? output_path : absolute_path(output_path);
  summary.inputs.push_back(description_path);
  for (std::string& file : catalog.files_read()) summary.inputs.push_back(std::move(file));
  summary.description_path = description_path;
  count_network(table, summary);
  if (options.refuse_warnings && !summary.warnings.empty()) {
    summary.refused = true;
    return summary;
  }
  refuse_outputs_that_are_inputs(summary, options);
  emit::OutputFile out(output_path);
  out.check_between_blocks(options.check_interrupt);
  if (options.keep_identical_output && output_path != "-") out.compare_with_existing();
  emit::write_noc_top(out, network);
  summary.bytes = out.bytes();
  emit::write_skipped_start(out, [&](emit::TextSink& sink) { emit::write_noc_top(sink, network); });
  // An identical result is never touched, with or without a depfile: the existing file keeps
  // its time stamp, so that nothing that depends on it is rebuilt.
  std::optional<emit::OutputFile> depfile;
  if (!options.depfile_path.empty()) {
    depfile.emplace(options.depfile_path, "depfile");
    depfile->compare_with_existing();
    std::string rule = app::depfile_text(
        options.depfile_target.empty() ? summary.output_path : options.depfile_target,
        summary.inputs);
    *depfile << rule;
    emit::write_skipped_start(*depfile, [&](emit::TextSink& sink) { sink << rule; });
  }
  check_interrupt();
  bool replace_top = out.prepare();
  bool replace_depfile = depfile && depfile->prepare();
  if (replace_depfile) depfile->publish();
  if (replace_top) out.publish();
  summary.unchanged = !replace_top;
  return summary;
}

}  // namespace noc
