#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

// The headers of the public interface name each other relative to themselves, so that they work
// installed under include/noc_soc/ with no generic directory on a consumer's include path.
#include "../model/diagnostics.h"
#include "../rtl/rtl_options.h"

namespace noc {

/// What a run produced, for tools that report it.
struct RunSummary {
  std::string output_path;
  std::string description_path;
  std::size_t routers = 0;
  std::size_t tiles = 0;  ///< tile instances written
  std::size_t links = 0;  ///< distinct router-to-router links
  std::uint64_t bytes = 0;
  bool unchanged = false;  ///< the file already held this text and was left alone
  /// Nothing was written: there were warnings and RunOptions::refuse_warnings was set.
  bool refused = false;
  /// What generates but gives hardware that is likely wrong; the entry points decide whether to
  /// print them (nocgen does, the Python and direct-start entries stay silent).
  std::vector<model::Diagnostic> warnings;
  /// Every file the run read: the description, then the sources and headers, sorted.
  std::vector<std::string> inputs;
};

struct RunOptions {
  /// Receives the JSON parser's message when the description is not valid JSON. By default it
  /// is printed as one line on standard output.
  std::function<void(const std::string&)> print_line;
  /// Leave an existing noc_soc.sv (and its time stamp) alone when the new text is identical,
  /// so that build tools do not rebuild what depends on it.
  bool keep_identical_output = false;
  /// -D, -U and -I for reading the router and tile sources; the two-argument operation uses none.
  rtl::RtlOptions rtl;
  /// Where the top goes instead of BASE_DIR/noc_soc.sv (a build directory, say); "-" is
  /// standard output.
  std::string output_path;
  /// Treat warnings as errors: a run with warnings writes nothing, and the existing output keeps
  /// its text and its time stamp, so that a build that failed fails again until they are gone.
  bool refuse_warnings = false;
  /// Warnings waived (-Wno-NOCxxx) or made errors (-Werror=NOCxxx).
  model::WarningPolicy warnings;
  /// A description name with a folder part ("sub/alt.json") is a path below BASE_DIR; without
  /// this, as in the two-argument operation, it is always a bare file name to search for.
  bool description_may_be_path = false;
  /// "xy", "updown", "shortest" or "auto": route the network, refuse routes that can deadlock or
  /// do not deliver, and pass ROUTES, ID/TILE_ID and DESTS to the modules that declare them.
  /// Empty: no routing, and the top is what it always was.
  std::string routing;
  /// Where to write a Makefile rule naming the output and every file the run read; empty for
  /// none. It is written before the top is put in place and both are replaced together, so a
  /// failure leaves both as they were.
  std::string depfile_path;
  /// The output's name in the depfile's rule (as the build tool spells it); the output path
  /// when empty.
  std::string depfile_target;
  /// Called between the phases and before each block of the top is written; it throws to end
  /// the run (Python's KeyboardInterrupt), and every output is then left as it was.
  std::function<void()> check_interrupt;
  /// Receives the design's warnings after every check and before anything is written; it
  /// throws to end the run (a host whose warning filter makes them errors), and every output is
  /// then left as it was. The summary still lists them.
  std::function<void(const std::vector<model::Diagnostic>&)> warnings_before_commit;
  /// Receives the warnings found before the error that ends a run, just before it is thrown:
  /// one of them often explains the error.
  std::function<void(const std::vector<model::Diagnostic>&)> warnings_before_error;
};

/// Generates base_dir/noc_soc.sv from the description named `in_json_file` (a bare file name,
/// searched in the tree below base_dir) and the router and tile sources below base_dir. Throws
/// noc::Error on every failure, among them a tree that holds no such description (whatever an
/// earlier call found); the output file is then left as it was. An output (or depfile) that is
/// the same file as one the run reads, or as the other output, is refused before anything is
/// written. Calls from several threads are serialised.
RunSummary soc_generator_noc(const std::string& base_dir, const std::string& in_json_file,
                             const RunOptions& options = {});

/// The description path found by the latest call that found one; nothing before that.
std::optional<std::string> last_description_path();

}  // namespace noc
