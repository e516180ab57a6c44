// nocgen traffic: reads the flags into a run, shows its progress on a terminal, prints a line per
// load point and writes the CSV and the plot.
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "app/traffic_output.h"
#include "common/error.h"
#include "common/file_identity.h"
#include "common/termination.h"
#include "nocgen/commands.h"

namespace noc::nocgen {
namespace {

void parse_rates(const std::string& text, verify::TrafficOptions& options) {
  double from = 0, to = 0, step = 0;
  char end = 0;
  if (std::sscanf(text.c_str(), "%lf:%lf:%lf%c", &from, &to, &step, &end) != 3)
    throw Error("--rates " + text + " is not FROM:TO:STEP (0.05:0.5:0.05)");
  options.rate_from = from;
  options.rate_to = to;
  options.rate_step = step;
}

// On a terminal, the step under way on one line of standard error, replaced by the next.
std::function<void(const std::string&)> progress_line() {
  const char* term = std::getenv("TERM");
  if (!::isatty(STDERR_FILENO) || (term && std::string(term) == "dumb")) return {};
  return [](const std::string& step) { std::fprintf(stderr, "\r\033[K%s ...", step.c_str()); };
}

void clear_progress(const verify::TrafficOptions& options) {
  if (options.progress) std::fprintf(stderr, "\r\033[K");
}

template <typename Writer>
void write_file(const std::string& path, Writer writer) {
  write_output(path, [&](emit::TextSink& out) {
    std::ostringstream text;
    writer(text);
    out << text.str();
  });
}

}  // namespace

int traffic_command(const Session& session, const TrafficFlags& flags) {
  verify::TrafficOptions options = flags.options;
  options.base_dir = flags.design.base_dir;
  options.description = flags.design.description;
  options.rtl = flags.design.sources.options();
  options.use_cache = !flags.no_cache;
  options.warnings = session.warnings;
  options.patterns.clear();
  for (const std::string& name : flags.patterns)
    options.patterns.push_back(*verify::pattern_by_name(name));
  if (options.patterns.empty()) options.patterns.push_back(verify::Pattern::kAllPairs);
  parse_rates(flags.rates, options);
  if (!flags.csv.empty()) options.outputs.push_back({"--csv", flags.csv});
  if (!flags.plot.empty()) options.outputs.push_back({"--plot", flags.plot});
  options.progress = progress_line();
  noc::handle_termination_signals(true);
  verify::TrafficReport report;
  try {
    report = verify::run_traffic(options);
  } catch (...) {
    clear_progress(options);
    throw;
  }
  clear_progress(options);
  DiagnosticPrinter printer(session.display.errors);
  print_capped(stderr, report.warnings, printer);
  for (const std::string& note : report.notes) std::printf("note: %s\n", note.c_str());
  std::printf(
      "traffic on %s with %s routing: %d destinations, %d-flit packets of %d bits "
      "(NOC_FLIT_WIDTH from %s), the destination in bits %d:%d\n",
      report.network.c_str(), report.routing.c_str(), report.destinations, report.packet_flits,
      report.flit_width, report.flit_width_from.c_str(), report.dest.hi, report.dest.lo);
  std::size_t problems = 0;
  bool headed = false;
  for (const verify::PointReport& point : report.points) {
    if (point.pattern != verify::Pattern::kAllPairs && !headed) {
      std::printf("pattern   offered  (flits per cycle per source; latency in cycles)\n");
      headed = true;
    }
    std::printf("%s\n", app::traffic_point_line(report, point).c_str());
    for (const std::string& problem : point.problems) std::printf("%s\n", problem.c_str());
    problems += point.problems.size();
  }
  for (const verify::PatternSummary& summary : report.patterns)
    if (summary.pattern != verify::Pattern::kAllPairs)
      std::printf("%s\n", app::traffic_pattern_line(summary).c_str());
  if (!flags.csv.empty())
    write_file(flags.csv, [&](std::ostream& out) { app::write_traffic_csv(out, report); });
  if (!flags.plot.empty())
    write_file(flags.plot, [&](std::ostream& out) { app::write_traffic_svg(out, report); });
  if (report.passed()) {
    std::printf("every packet arrived once, where it was sent, unchanged (%.1f s)\n",
                report.seconds);
    return 0;
  }
  std::printf("%zu problem%s (%.1f s)\n", problems, problems == 1 ? "" : "s", report.seconds);
  return kInputError;
}

}  // namespace noc::nocgen
