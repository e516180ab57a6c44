#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "common/source_tree.h"
#include "model/description.h"
#include "model/description_lookup.h"
#include "model/diagnostics.h"
#include "model/resolve.h"
#include "rtl/extract_rtl.h"
#include "rtl/rtl_options.h"

namespace noc::model {

/// What every command asks of a design before it writes, checks, simulates or draws it.
struct DesignRequest {
  std::string base_dir;
  std::string description = "noc_soc.json";
  /// A description name with a folder part ("sub/alt.json") is a path below the base directory;
  /// without this it is always a bare file name to search for.
  bool description_may_be_path = false;
  rtl::RtlOptions rtl;
  /// The top this run writes or reads: a file list for the whole design names it too, and it is
  /// no source of its own interfaces. Empty: BASE_DIR/noc_soc.sv.
  std::string top_path;
  WarningPolicy warnings;
  /// Receives the JSON parser's message when the description is not valid JSON.
  std::function<void(const std::string&)> print_parse_error;
  /// Routing is asked (--routing): a router's ROUTES will be filled in.
  bool routing = false;
  /// Read the NOC_CHANNELS the design's CONFIG assigns and warn when it is not the two slots
  /// the top gives each tile (NOC129). It reads every source below the base directory, so the
  /// commands that lint or route ask it, and a plain generate does not.
  bool read_config = false;
  /// Asked between the phases; it throws to end the load.
  std::function<void()> check_interrupt;
};

/// A design loaded, checked and resolved: the state every command starts from. The steps that
/// could not be taken are absent, and the diagnostics say why.
struct Design {
  std::shared_ptr<SourceTree> tree;
  DescriptionLookup lookup;
  std::unique_ptr<Description> description;  ///< absent when it could not be found or read
  std::unique_ptr<rtl::RtlCatalog> catalog;  ///< absent with the description
  std::unique_ptr<Resolution> resolution;    ///< points into the description and the catalog
  /// Every problem, in the order in which the load met them; the warning policy applied.
  std::vector<Diagnostic> diagnostics;
  /// Every file read: the description, then the sources and headers, sorted.
  std::vector<std::string> inputs;

  const Diagnostic* first_error() const;
  /// The diagnostics that are not errors.
  std::vector<Diagnostic> warnings() const;
};

/// Finds the description below the base directory, reads it and every source it names, and
/// runs every rule of the generator on them. Nothing is written and nothing is thrown for a
/// problem of the design: it is in the diagnostics, and the caller decides.
Design load_design(const DesignRequest& request);

/// BASE_DIR/noc_soc.sv, spelt as the user gave BASE_DIR.
std::string default_top_path(const std::string& base_dir);

}  // namespace noc::model
