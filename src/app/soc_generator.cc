#include "app/soc_generator.h"

#include <algorithm>
#include <iostream>
#include <mutex>
#include <optional>

#include "app/depfile.h"
#include "common/error.h"
#include "common/file_identity.h"
#include "common/text.h"
#include "emit/noc_top_writer.h"
#include "emit/output_file.h"
#include "model/design.h"
#include "model/top_contract.h"
#include "route/dependency_check.h"
#include "route/design_routes.h"
#include "route/routing.h"
#include "rtl/extract_rtl.h"

namespace noc {
namespace {

std::mutex run_mutex;
// The description found last, kept for callers that ask which one it was. A call reads only
// the description it finds itself: one whose tree holds none fails, whatever an earlier call
// found.
std::optional<std::string> filepath;

const char* role_of(const std::string& input, bool first, const rtl::RtlOptions& rtl) {
  if (first) return "the description";
  auto listed = [&input](const std::vector<std::string>& files) {
    return std::find(files.begin(), files.end(), input) != files.end();
  };
  if (listed(rtl.list_files)) return "the file list";
  if (listed(rtl.unit_files)) return "the listed source";
  return "the source";
}

// The run's own files keep their text: an output that names one of them is refused.
void refuse_outputs_that_are_inputs(const RunSummary& summary, const RunOptions& options) {
  std::vector<RunFile> inputs;
  for (std::size_t i = 0; i < summary.inputs.size(); ++i)
    inputs.push_back({role_of(summary.inputs[i], i == 0, options.rtl), summary.inputs[i]});
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
  std::string output_path =
      options.output_path.empty() ? model::default_top_path(base_dir) : options.output_path;
  model::DesignRequest request;
  request.base_dir = base_dir;
  request.description = in_json_file;
  request.description_may_be_path = options.description_may_be_path;
  request.rtl = options.rtl;
  request.top_path = output_path;
  request.warnings = options.warnings;
  request.print_parse_error =
      options.print_line ? options.print_line : [](const std::string& line) {
        std::cout << line << "\n" << std::flush;
      };
  request.check_interrupt = options.check_interrupt;
  request.routing = !options.routing.empty();
  request.read_config = request.routing;
  model::Design design = model::load_design(request);
  if (!design.lookup.path.empty()) filepath = design.lookup.path;
  if (const model::Diagnostic* error = design.first_error()) {
    std::vector<model::Diagnostic> before = design.warnings();
    if (options.warnings_before_error && !before.empty()) options.warnings_before_error(before);
    throw model::to_error(*error);
  }
  const model::Resolution& resolved = *design.resolution;
  const model::RouterTable& table = resolved.table;
  emit::Network network{*design.description, table,           *resolved.router_ports,
                        *resolved.tile,      *resolved.wires, *resolved.plan};
  std::optional<route::Identity> identity;
  if (!options.routing.empty()) {
    identity = route::sound_routes(design, options.routing).identity;
    network.identity = &*identity;
  }
  auto check_interrupt = [&options] {
    if (options.check_interrupt) options.check_interrupt();
  };

  RunSummary summary;
  summary.warnings = design.warnings();
  summary.output_path = output_path == "-" ? output_path : absolute_path(output_path);
  summary.inputs = std::move(design.inputs);
  summary.description_path = design.lookup.path;
  count_network(table, summary);
  if (options.warnings_before_commit && !summary.warnings.empty())
    options.warnings_before_commit(summary.warnings);
  if (options.refuse_warnings && !summary.warnings.empty()) {
    summary.refused = true;
    return summary;
  }
  refuse_outputs_that_are_inputs(summary, options);
  const std::string depfile_target =
      options.depfile_target.empty() ? summary.output_path : options.depfile_target;
  if (!options.depfile_path.empty()) {
    app::check_depfile_path(depfile_target, true);
    for (const std::string& input : summary.inputs) app::check_depfile_path(input, false);
  }
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
    std::string rule = app::depfile_text(depfile_target, summary.inputs);
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
