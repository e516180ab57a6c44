#include "model/design.h"

#include <algorithm>
#include <cstring>

#include "common/error.h"
#include "common/text.h"
#include "model/description_reader.h"
#include "model/design_config.h"
#include "model/top_contract.h"
#include "rtl/file_list.h"

namespace noc::model {
namespace {

// The description first, then every other file the run read: the file lists, the files they
// name (those that exist), the sources and the headers, each once, sorted.
std::vector<std::string> inputs_of(const std::string& description, const rtl::RtlOptions& rtl,
                                   const rtl::RtlCatalog& catalog) {
  std::vector<std::string> read = catalog.files_read();
  read.insert(read.end(), rtl.list_files.begin(), rtl.list_files.end());
  for (const std::string& file : rtl.unit_files) {
    bool absent = std::any_of(rtl.absent_unit_files.begin(), rtl.absent_unit_files.end(),
                              [&](const rtl::ListedFile& listed) { return listed.path == file; });
    if (!absent) read.push_back(file);
  }
  std::sort(read.begin(), read.end());
  read.erase(std::unique(read.begin(), read.end()), read.end());
  std::erase(read, description);
  read.insert(read.begin(), description);
  return read;
}

// A ROUTES default of nothing at all: none, or a literal of zeros ('0, 0, 64'h0).
bool routes_nothing(std::string_view text) {
  std::string digits;
  for (char c : text)
    if (c != ' ' && c != '_') digits += c;
  std::size_t tick = digits.find('\'');
  if (tick != std::string::npos) {
    digits.erase(0, tick + 1);
    if (!digits.empty() && std::strchr("bBoOdDhHsS", digits.front())) digits.erase(0, 1);
    if (!digits.empty() && std::strchr("bBoOdDhH", digits.front())) digits.erase(0, 1);
  }
  return digits.find_first_not_of('0') == std::string::npos;
}

// A router that looks its output up in ROUTES, left with a default that routes nothing, holds
// the first packet forever: say so when no routing fills the tables in.
void warn_unrouted(Design& design, const DesignRequest& request) {
  if (request.routing || !design.resolution || !design.resolution->plan) return;
  std::vector<std::string_view> seen;
  for (const RouterBlock& block : design.resolution->plan->blocks) {
    std::string_view source_name = block.router->top_module_fname();
    if (std::find(seen.begin(), seen.end(), source_name) != seen.end()) continue;
    seen.push_back(source_name);
    const rtl::ParsedSource& source = design.catalog->parse(source_name);
    for (const rtl::ModuleParameter& parameter : source.first.params) {
      if (parameter.local || parameter.name != "ROUTES" || !routes_nothing(parameter.default_text))
        continue;
      Diagnostic unrouted =
          at_source(source.module_place, Rule::kRoutesUnset, *block.router->node,
                    "every router keeps the default ROUTES: no packet is routed; generate with "
                    "--routing auto (or xy, updown) to pass each router its table");
      if (request.warnings.apply(unrouted)) design.diagnostics.push_back(std::move(unrouted));
    }
  }
}

// The top gives every tile kSlotsPerTile slots of its router, sized by NOC_CHANNELS in the
// tile's port dimensions: any other value makes the two sides of the wiring differ in width.
void warn_channels(Design& design, const DesignRequest& request) {
  if (!request.read_config || !design.resolution || !design.resolution->plan) return;
  DesignConfig config = read_design_config(*design.tree, nullptr);
  if (!config.channels || config.channels->value == kSlotsPerTile) return;
  Diagnostic channels{
      Rule::kChannelsNotTwo,
      config.channels->path,
      config.channels->line,
      0,
      {},
      {},
      "NOC_CHANNELS is " + std::to_string(config.channels->value) +
          " here, while noc_top gives "
          "every tile " +
          std::to_string(kSlotsPerTile) +
          " slots of its router (one destination "
          "each): a tile's channel ports and its router's endpoint wires differ in width"};
  if (request.warnings.apply(channels)) design.diagnostics.push_back(std::move(channels));
}

void interrupt_point(const DesignRequest& request) {
  if (request.check_interrupt) request.check_interrupt();
}

}  // namespace

const Diagnostic* Design::first_error() const {
  for (const Diagnostic& d : diagnostics)
    if (d.severity() == Severity::kError) return &d;
  return nullptr;
}

std::vector<Diagnostic> Design::warnings() const {
  std::vector<Diagnostic> out;
  for (const Diagnostic& d : diagnostics)
    if (d.severity() != Severity::kError) out.push_back(d);
  return out;
}

std::string default_top_path(const std::string& base_dir) {
  if (!base_dir.empty() && base_dir.back() == '/') return base_dir + "noc_soc.sv";
  return base_dir + "/noc_soc.sv";
}

Design load_design(const DesignRequest& request) {
  Design design;
  design.tree = std::make_shared<SourceTree>(request.base_dir);
  // What the walk could not see may hold the description or a source; a copy elsewhere is
  // then read in its place without a word.
  for (const SourceTree::Unlisted& folder : design.tree->unlisted()) {
    Diagnostic unlisted{Rule::kFolderUnlisted,
                        folder.path,
                        0,
                        0,
                        {},
                        {},
                        std::string("this folder below the base directory cannot be listed (") +
                            std::strerror(folder.error) +
                            "): a description or source in it is not found, and one of the "
                            "same name elsewhere is read instead"};
    unlisted.errno_value = folder.error;
    if (request.warnings.apply(unlisted)) design.diagnostics.push_back(std::move(unlisted));
  }
  design.lookup =
      find_description(*design.tree, request.description, request.description_may_be_path);
  if (design.lookup.path.empty()) {
    design.diagnostics.push_back(Diagnostic{Rule::kNoDescription,
                                            absolute_path(request.base_dir),
                                            0,
                                            0,
                                            {},
                                            {},
                                            no_description(request.description, request.base_dir)});
    return design;
  }
  // Found more than once: which one is read depends on the file system's walk order.
  if (std::optional<Diagnostic> twice = duplicate_description(design.lookup, request.base_dir))
    if (request.warnings.apply(*twice)) design.diagnostics.push_back(std::move(*twice));
  try {
    auto print = request.print_parse_error ? request.print_parse_error : [](const std::string&) {};
    design.description = std::make_unique<Description>(load_description(design.lookup.path, print));
  } catch (const Error& error) {
    design.diagnostics.push_back(from_error(Rule::kInvalidDescription, error));
    return design;
  }
  interrupt_point(request);

  rtl::RtlOptions rtl = request.rtl;
  rtl::drop_unit_file(
      rtl, request.top_path.empty() ? default_top_path(request.base_dir) : request.top_path);
  design.catalog = std::make_unique<rtl::RtlCatalog>(request.base_dir, design.tree, rtl);
  DiagnosticSink sink(request.warnings);
  design.resolution = resolve(*design.description, *design.catalog, sink);
  interrupt_point(request);
  for (Diagnostic& d : sink.take()) design.diagnostics.push_back(std::move(d));
  if (!design.first_error()) {
    warn_unrouted(design, request);
    warn_channels(design, request);
  }
  design.inputs = inputs_of(design.lookup.path, rtl, *design.catalog);
  return design;
}

}  // namespace noc::model
