#pragma once

// The subcommands of nocgen, each a function from its flags to an exit status; nocgen_main.cc
// only reads the command line.
#include <CLI/CLI.hpp>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "app/diagnostic_printer.h"
#include "app/topology.h"
#include "emit/text_sink.h"
#include "model/diagnostics.h"
#include "rtl/rtl_options.h"
#include "verify/verify.h"

namespace noc::nocgen {

inline constexpr int kInputError = 1;
inline constexpr int kUsageError = 2;
inline constexpr int kPipeClosed = 128 + SIGPIPE;  ///< what a shell reports for a reader that quit

/// How problems are shown on the two streams, set from --color and --format.
struct Display {
  std::string color = "auto";
  app::DisplayStyle output;  ///< standard output (check's list)
  app::DisplayStyle errors;  ///< standard error
};

/// What every subcommand shares: the display, and -Wno-NOCxxx / -Werror=NOCxxx.
struct Session {
  Display display;
  model::WarningPolicy warnings;
};

struct GenerateFlags {
  bool werror = false;
  bool quiet = false;
  std::string output;   ///< empty: BASE_DIR/noc_soc.sv
  std::string depfile;  ///< empty: none
};

int generate(const Session& session, const std::string& base_dir, const std::string& description,
             const rtl::RtlOptions& rtl_options, const GenerateFlags& flags);

int check(const Session& session, const std::string& base_dir, const std::string& description,
          const std::string& format, bool werror, const rtl::RtlOptions& rtl_options);

/// Prints the design's warnings on standard error as check does, then the root causes, then the wiring problems (the first kProblemsShown unless `all`),
/// then the summary with the values the simulation ran with.
int verify_command(const Session& session, const verify::VerifyOptions& options, bool all);

inline constexpr std::size_t kProblemsShown = 20;

int topology(const std::string& kind, const std::string& size, app::TopologyRequest request,
             const std::string& output, bool force);

int dot(const Session& session, const std::string& base_dir, const std::string& description,
        const std::string& output, const rtl::RtlOptions& rtl_options);

/// `nocgen explain [CODE]`.
int explain(std::string code);

/// Writes a file the way every subcommand does: "-" is standard output, and a written file is
/// announced on stdout unless stdout is the file.
int write_output(const std::string& output, const std::function<void(emit::TextSink&)>& write);

/// After CLI11's own message: the option an unknown one most likely misspells.
void suggest_options(const CLI::App& cli, const std::vector<char*>& args);

}  // namespace noc::nocgen
