#pragma once

// The subcommands of nocgen, each a function from its flags to an exit status; subcommands.cc
// only reads the command line.
#include <CLI/CLI.hpp>
#include <csignal>
#include <functional>
#include <string>
#include <vector>

#include "app/topology.h"
#include "emit/text_sink.h"
#include "model/diagnostics.h"
#include "nocgen/diagnostic_printer.h"
#include "nocgen/source_flags.h"
#include "rtl/rtl_options.h"
#include "verify/traffic.h"
#include "verify/verify.h"

namespace noc::nocgen {

inline constexpr int kInputError = 1;
inline constexpr int kUsageError = 2;
inline constexpr int kPipeClosed = 128 + SIGPIPE;  ///< what a shell reports for a reader that quit

/// How problems are shown on the two streams, set from --color and --format.
struct Display {
  std::string color = "auto";
  bool short_form = false;  ///< --format short: one line per problem, no source line or caret
  DisplayStyle output;      ///< standard output (check's list)
  DisplayStyle errors;      ///< standard error
};

/// What every subcommand shares: the display, and -Wno-NOCxxx / -Werror=NOCxxx.
struct Session {
  Display display;
  model::WarningPolicy warnings;
};

/// What every command that reads a design is told: where it is and how to read its sources.
struct DesignFlags {
  std::string base_dir;
  std::string description = "noc_soc.json";
  SourceFlags sources;
};

struct GenerateFlags {
  DesignFlags design;
  std::string routing;  ///< empty: none
  bool werror = false;
  bool quiet = false;
  std::string format = "text";
  std::string output;   ///< empty: BASE_DIR/noc_soc.sv
  std::string depfile;  ///< empty: none
};

struct CheckFlags {
  DesignFlags design;
  std::string routing;  ///< empty: the routes are not checked
  bool werror = false;
  std::string format = "text";
};

struct VerifyFlags {
  DesignFlags design;
  verify::VerifyOptions options;  ///< all but what `design` and the session say
  bool all_problems = false;
  bool no_cache = false;
};

struct TopologyFlags {
  std::string kind, size;
  app::TopologyRequest request;
  std::string output = "noc_soc.json";
  bool force = false;
};

struct RoutesFlags {
  DesignFlags design;
  std::string routing = "auto";
  std::string format = "table";
  std::string output = "-";
};

struct TrafficFlags {
  DesignFlags design;
  verify::TrafficOptions options;  ///< all but what `design`, the session and the rest say
  std::vector<std::string> patterns;
  std::string rates = "0.05:0.5:0.05";
  std::string csv, plot;  ///< empty: none
  bool no_cache = false;
};

struct DotFlags {
  DesignFlags design;
  std::string output;  ///< empty or "-": standard output
};

/// Warnings printed at most: a description that repeats one mistake a million times would
/// otherwise print hundreds of megabytes. --format json keeps them all.
inline constexpr std::size_t kWarningsShown = 100;

/// Prints every error and the first warnings, then how many warnings were left out.
template <typename List>
void print_capped(std::FILE* stream, const List& diagnostics, DiagnosticPrinter& printer) {
  std::size_t warnings = 0;
  for (const auto& d : diagnostics) {
    if (d.severity() != model::Severity::kError && ++warnings > kWarningsShown) continue;
    std::fprintf(stream, "%s\n", printer.show(d).c_str());
  }
  if (warnings > kWarningsShown)
    std::fprintf(stream, "nocgen: and %zu more warnings (--format json lists them all)\n",
                 warnings - kWarningsShown);
}

int generate(const Session& session, const GenerateFlags& flags);
int check(const Session& session, const CheckFlags& flags);

/// Prints the design's warnings on standard error as check does, then the root causes, then the
/// wiring problems (the first kProblemsShown unless --all), then the summary with the values the
/// simulation ran with.
int verify_command(const Session& session, const VerifyFlags& flags);

inline constexpr std::size_t kProblemsShown = 20;

/// Runs the user's routers under traffic; 0 when every packet arrived right.
int traffic_command(const Session& session, const TrafficFlags& flags);

int topology(const TopologyFlags& flags);
int dot(const Session& session, const DotFlags& flags);

/// Prints the design's warnings, then the port map, destinations, tables and the deadlock
/// verdict; exit status 1 when a packet would not arrive or the routes can deadlock.
int routes(const Session& session, const RoutesFlags& flags);

/// `nocgen explain [CODE]`; with `markdown`, every rule as the manual's table.
int explain(std::string code, bool markdown = false);

/// Writes a file the way every subcommand does: "-" is standard output, and a written file is
/// announced on stdout unless stdout is the file.
int write_output(const std::string& output, const std::function<void(emit::TextSink&)>& write);

/// After CLI11's own message: the option an unknown one most likely misspells.
void suggest_options(const CLI::App& cli, const std::vector<char*>& args);

}  // namespace noc::nocgen
