#include "app/soc_generator.h"

#include <iostream>
#include <memory>
#include <mutex>
#include <unordered_set>

#include "common/error.h"
#include "common/source_tree.h"
#include "common/text.h"
#include "emit/noc_top_writer.h"
#include "emit/output_file.h"
#include "model/description.h"
#include "model/description_lookup.h"
#include "model/description_reader.h"
#include "model/resolve.h"
#include "rtl/extract_rtl.h"

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
    throw Error(model::no_description(in_json_file), absolute_path(base_dir));
  const std::string description_path = lookup.path;
  filepath = description_path;

  auto print = options.print_line ? options.print_line : [](const std::string& line) {
    std::cout << line << "\n" << std::flush;
  };
  model::Description description = model::load_description(description_path, print);
  rtl::RtlCatalog catalog(base_dir, tree, options.rtl);
  model::DiagnosticSink sink;
  std::unique_ptr<model::Resolution> resolved = model::resolve(description, catalog, sink);
  if (const model::Diagnostic* error = sink.first_error()) throw model::to_error(*error);
  const model::RouterTable& table = resolved->table;
  emit::Network network{description,      table,          *resolved->router_ports, *resolved->tile,
                        *resolved->wires, *resolved->plan};

  RunSummary summary;
  if (std::optional<model::Diagnostic> twice = model::duplicate_description(lookup, base_dir))
    summary.warnings.push_back(std::move(*twice));
  for (model::Diagnostic& warning : sink.take()) summary.warnings.push_back(std::move(warning));
  std::string output_path =
      options.output_path.empty() ? output_path_in(base_dir) : options.output_path;
  summary.output_path = output_path == "-" ? output_path : absolute_path(output_path);
  summary.inputs.push_back(description_path);
  for (std::string& file : catalog.files_read()) summary.inputs.push_back(std::move(file));
  summary.description_path = description_path;
  count_network(table, summary);
  if (options.refuse_warnings && !summary.warnings.empty()) {
    summary.refused = true;
    return summary;
  }
  emit::OutputFile out(output_path);
  bool keep_identical = options.keep_identical_output && output_path != "-";
  if (keep_identical) out.compare_with_existing();
  emit::write_noc_top(out, network);
  summary.bytes = out.bytes();
  summary.unchanged = !out.commit(keep_identical);
  return summary;
}

}  // namespace noc
