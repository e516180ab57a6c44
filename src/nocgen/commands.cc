#include "nocgen/commands.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "app/depfile.h"
#include "app/description_check.h"
#include "app/dot_graph.h"
#include "app/routes_report.h"
#include "app/rule_explanation.h"
#include "app/soc_generator.h"
#include "common/error.h"
#include "common/file_identity.h"
#include "common/termination.h"
#include "common/text.h"
#include "emit/output_file.h"
#include "nocgen/command_line.h"

namespace noc::nocgen {
namespace {

// A design as the command line names it: BASE_DIR, --description (a path below it when it has a
// folder part), the source flags and the warning flags.
model::DesignRequest design_request(const Session& session, const DesignFlags& design) {
  model::DesignRequest request;
  request.base_dir = design.base_dir;
  request.description = design.description;
  request.description_may_be_path = true;
  request.rtl = design.sources.options();
  request.warnings = session.warnings;
  return request;
}

}  // namespace

int generate(const Session& session, const GenerateFlags& flags) {
  auto start = std::chrono::steady_clock::now();
  RunOptions options;
  options.rtl = flags.design.sources.options();
  options.output_path = flags.output;
  options.print_line = [](const std::string&) {};  // the error line on stderr says it all
  options.keep_identical_output = true;
  options.refuse_warnings = flags.werror;
  options.warnings = session.warnings;
  options.description_may_be_path = true;
  options.depfile_path = flags.depfile;
  options.depfile_target = flags.output;
  options.routing = flags.routing;
  options.warnings_before_error = [&session](const std::vector<model::Diagnostic>& warnings) {
    DiagnosticPrinter printer(session.display.errors);
    print_capped(stderr, warnings, printer);
  };
  bool to_stdout = flags.output == "-";
  if (to_stdout && !flags.depfile.empty())
    throw Error("--depfile needs a file to name as its target; -o - writes standard output");
  RunSummary s = soc_generator_noc(flags.design.base_dir, flags.design.description, options);
  DiagnosticPrinter printer(session.display.errors);
  print_capped(stderr, s.warnings, printer);
  if (s.refused) {
    std::fprintf(stderr, "nocgen: %zu warning%s with --werror: %s left as it was\n",
                 s.warnings.size(), s.warnings.size() == 1 ? "" : "s", s.output_path.c_str());
    return kInputError;
  }
  double ms =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  // With the top on standard output, the summary goes to standard error.
  FILE* report = to_stdout ? stderr : stdout;
  if (!flags.quiet) {
    if (!to_stdout)
      std::fprintf(report, "%s %s\n", s.unchanged ? "unchanged" : "wrote", s.output_path.c_str());
    std::fprintf(report, "%zu routers, %zu tiles, %zu links, %llu bytes, %.1f ms\n", s.routers,
                 s.tiles, s.links, static_cast<unsigned long long>(s.bytes), ms);
  }
  return 0;
}

int verify_command(const Session& session, const VerifyFlags& flags) {
  verify::VerifyOptions options = flags.options;
  options.base_dir = flags.design.base_dir;
  options.description = flags.design.description;
  options.rtl = flags.design.sources.options();
  options.use_cache = !flags.no_cache;
  options.warnings = session.warnings;
  // A signal ends Verilator, make and the compilers at once, and the work directory is removed
  // on the way out.
  noc::handle_termination_signals(true);
  verify::VerifyReport report = verify::verify_top(options);
  DiagnosticPrinter printer(session.display.errors);
  print_capped(stderr, report.warnings, printer);
  for (const std::string& note : report.notes) std::printf("note: %s\n", note.c_str());
  for (const std::string& cause : report.root_causes) std::printf("%s\n", cause.c_str());
  const std::vector<std::string>& problems = report.wiring.problems;
  std::size_t shown =
      flags.all_problems ? problems.size() : std::min(problems.size(), kProblemsShown);
  for (std::size_t i = 0; i < shown; ++i) std::printf("%s\n", problems[i].c_str());
  if (shown < problems.size())
    std::printf("... and %zu more (--all shows them)\n", problems.size() - shown);
  const verify::WiringReport& w = report.wiring;
  std::string counts = std::to_string(w.links_proven) + " of " + std::to_string(w.links) +
                       " links and " + std::to_string(w.tiles_proven) + " of " +
                       std::to_string(w.tiles) + " tiles proven";
  std::string values = "NOC_FLIT_WIDTH " + std::to_string(report.flit_width.value) + " (" +
                       report.flit_width.from + ") and NOC_CHANNELS " +
                       std::to_string(report.channels.value) + " (" + report.channels.from + ")";
  if (!report.routing.empty())
    counts += ", and the " + report.routing + " routing " +
              (problems.empty() ? std::string("every module asks for") : "checked");
  if (report.proven()) {
    std::printf("verified %s: %s in %.1f s, with %s\n", report.top_path.c_str(), counts.c_str(),
                report.seconds, values.c_str());
    return 0;
  }
  std::size_t count = problems.size() + report.root_causes.size();
  std::printf("%zu problem%s in %s: %s in %.1f s, with %s\n", count, count == 1 ? "" : "s",
              report.top_path.c_str(), counts.c_str(), report.seconds, values.c_str());
  return kInputError;
}

int check(const Session& session, const CheckFlags& flags) {
  const std::string& base_dir = flags.design.base_dir;
  const std::string& format = flags.format;
  app::CheckReport report = app::check_description(
      base_dir, flags.design.description, flags.design.sources.options(),
      /*name_may_be_path=*/true, {}, session.warnings, route::algorithm_by_name(flags.routing));
  std::size_t errors = 0, warnings = 0;
  for (const app::Diagnostic& d : report.diagnostics)
    (d.severity() == app::Severity::kError ? errors : warnings) += 1;
  if (format == "json") {
    app::write_json(std::cout, report.diagnostics);
  } else {
    DiagnosticPrinter printer(session.display.output);
    std::fflush(stdout);
    print_capped(stdout, report.diagnostics, printer);
    std::cout << (report.description_path.empty() ? base_dir : report.description_path) << ": "
              << errors << (errors == 1 ? " error, " : " errors, ") << warnings
              << (warnings == 1 ? " warning\n" : " warnings\n");
  }
  return errors > 0 || (flags.werror && warnings > 0) ? kInputError : 0;
}

namespace {

bool is_regular_file(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

}  // namespace

int write_output(const std::string& output, const std::function<void(emit::TextSink&)>& write) {
  emit::OutputFile out(output);
  write(out);
  out.commit();
  if (output != "-") std::printf("wrote %s\n", output.c_str());
  return 0;
}

int topology(const TopologyFlags& flags) {
  app::TopologyRequest request = flags.request;
  const std::string& output = flags.output;
  request.kind = app::parse_topology_kind(flags.kind);
  try {
    app::parse_topology_size(flags.size, request);
  } catch (const Error& error) {  // a mistyped argument, as CLI11 reports its own
    std::fprintf(stderr, "nocgen: error: %s\n", error.message().c_str());
    return kUsageError;
  }
  if (!flags.force && output != "-" && is_regular_file(output))
    throw Error("the description exists already; give --force to replace it", output);
  return write_output(output, [&](emit::TextSink& out) { app::write_topology(out, request); });
}

int dot(const Session& session, const DotFlags& flags) {
  const std::string& output = flags.output;
  app::CheckReport report = app::check_description(flags.design.base_dir, flags.design.description,
                                                   flags.design.sources.options(),
                                                   /*name_may_be_path=*/true, {}, session.warnings);
  app::draw_network(report, output.empty() ? "-" : output);
  if (!output.empty() && output != "-") std::printf("wrote %s\n", output.c_str());
  return 0;
}

int routes(const Session& session, const RoutesFlags& flags) {
  std::optional<route::Algorithm> algorithm = route::algorithm_by_name(flags.routing);
  app::RoutesReport report = app::route_design(design_request(session, flags.design), *algorithm);
  std::vector<model::Diagnostic> unsound = app::routing_diagnostics(report);
  // The tables never replace a file the design is read from.
  std::vector<RunFile> inputs;
  for (const std::string& input : report.design->inputs) inputs.push_back({"the input", input});
  if (!inputs.empty()) inputs.front().role = "the description";
  refuse_outputs_that_are_inputs({{"-o", flags.output}}, inputs);
  DiagnosticPrinter printer(session.display.errors);
  print_capped(stderr, report.warnings, printer);
  write_output(flags.output, [&](emit::TextSink& out) {
    std::ostringstream text;
    if (flags.format == "json")
      app::write_routes_json(text, report);
    else if (flags.format == "sv")
      app::write_routes_package(text, report);
    else
      app::write_routes_table(text, report);
    out << text.str();
  });
  print_capped(stderr, unsound, printer);
  return unsound.empty() ? 0 : kInputError;
}

int explain(std::string code, bool markdown) {
  if (markdown) {
    app::write_rule_table_markdown(std::cout);
    return 0;
  }
  if (code.empty()) {
    app::write_rule_list(std::cout);
    return 0;
  }
  std::transform(code.begin(), code.end(), code.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  if (std::optional<model::Rule> rule = model::rule_by_code(code)) {
    app::write_rule_explanation(std::cout, model::rule_info(*rule));
    return 0;
  }
  std::vector<std::string> codes;
  for (const model::RuleInfo& info : model::all_rules()) codes.push_back(info.code);
  std::string close = closest_name(code, codes);
  std::fprintf(stderr, "nocgen: error: no rule has the code %s%s; nocgen explain lists them\n",
               code.c_str(), close.empty() ? "" : (" (did you mean " + close + "?)").c_str());
  return kUsageError;
}

void suggest_options(const CLI::App& cli, const std::vector<char*>& args) {
  const CLI::App* command = &cli;
  for (const CLI::App* sub : cli.get_subcommands({}))
    if (args.size() > 1 && sub->get_name() == args[1]) command = sub;
  std::vector<std::string> names;
  for (const CLI::App* app : {command, &cli})
    for (const CLI::Option* option : app->get_options()) {
      for (const std::string& name : option->get_lnames()) names.push_back("--" + name);
      for (const std::string& name : option->get_snames()) names.push_back("-" + name);
    }
  for (std::size_t i = 2; i < args.size(); ++i) {
    std::string arg = args[i];
    if (arg.size() < 2 || arg[0] != '-') continue;
    arg = arg.substr(0, arg.find('='));
    if (std::find(names.begin(), names.end(), arg) != names.end()) continue;
    std::string close = closest_name(arg, names);
    if (!close.empty())
      std::fprintf(stderr, "nocgen: %s: did you mean %s?\n", arg.c_str(), close.c_str());
  }
}

}  // namespace noc::nocgen
