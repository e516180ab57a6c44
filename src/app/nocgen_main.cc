// nocgen: the command-line face of the generator, for people and for build scripts.
#include <sys/stat.h>
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <iostream>

#include "app/command_line.h"
#include "app/depfile.h"
#include "app/description_check.h"
#include "app/description_schema.h"
#include "app/diagnostic_printer.h"
#include "app/dot_graph.h"
#include "app/heap_pages.h"
#include "app/port_report.h"
#include "app/rule_explanation.h"
#include "app/soc_generator.h"
#include "app/source_flags.h"
#include "app/topology.h"
#include "common/error.h"
#include "common/file_identity.h"
#include "common/termination.h"
#include "emit/output_file.h"
#include "verify/verify.h"

namespace {

using namespace noc;

constexpr int kInputError = 1;
constexpr int kUsageError = 2;

// How problems are shown on the two streams, set from --color and --format.
struct Display {
  std::string color = "auto";
  app::DisplayStyle output;  ///< standard output (check's list)
  app::DisplayStyle errors;  ///< standard error
};
Display display;

// -Wno-NOCxxx and -Werror=NOCxxx, which every command takes.
model::WarningPolicy warning_policy;

// Warnings printed at most: a description that repeats one mistake a million times would
// otherwise print hundreds of megabytes. --format json keeps them all.
constexpr std::size_t kWarningsShown = 100;

// Prints every error and the first warnings, then how many warnings were left out.
template <typename List>
void print_capped(std::FILE* stream, const List& diagnostics, app::DiagnosticPrinter& printer) {
  std::size_t warnings = 0;
  for (const auto& d : diagnostics) {
    if (d.severity() != app::Severity::kError && ++warnings > kWarningsShown) continue;
    std::fprintf(stream, "%s\n", printer.show(d).c_str());
  }
  if (warnings > kWarningsShown)
    std::fprintf(stream, "nocgen: and %zu more warnings (--format json lists them all)\n",
                 warnings - kWarningsShown);
}

struct GenerateFlags {
  bool werror = false;
  bool quiet = false;
  std::string output;   ///< empty: BASE_DIR/noc_soc.sv
  std::string depfile;  ///< empty: none
};

int generate(const std::string& base_dir, const std::string& description,
             const rtl::RtlOptions& rtl_options, const GenerateFlags& flags) {
  auto start = std::chrono::steady_clock::now();
  RunOptions options;
  options.rtl = rtl_options;
  options.output_path = flags.output;
  options.print_line = [](const std::string&) {};  // the error line on stderr says it all
  options.keep_identical_output = true;
  options.refuse_warnings = flags.werror;
  options.warnings = warning_policy;
  options.description_may_be_path = true;
  options.depfile_path = flags.depfile;
  options.depfile_target = flags.output;
  options.warnings_before_error = [](const std::vector<model::Diagnostic>& warnings) {
    app::DiagnosticPrinter printer(display.errors);
    print_capped(stderr, warnings, printer);
  };
  bool to_stdout = flags.output == "-";
  if (to_stdout && !flags.depfile.empty())
    throw Error("--depfile needs a file to name as its target; -o - writes standard output");
  RunSummary s = soc_generator_noc(base_dir, description, options);
  app::DiagnosticPrinter printer(display.errors);
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

constexpr const char* kDescriptionHelp =
    "File name of the description, searched below BASE_DIR; with a folder part (sub/alt.json), "
    "its path below BASE_DIR";

int verify_command(const verify::VerifyOptions& options) {
  verify::VerifyReport report = verify::verify_top(options);
  for (const std::string& note : report.notes) std::printf("note: %s\n", note.c_str());
  for (const std::string& problem : report.wiring.problems) std::printf("%s\n", problem.c_str());
  const verify::WiringReport& w = report.wiring;
  std::string counts = std::to_string(w.links_proven) + " of " + std::to_string(w.links) +
                       " links and " + std::to_string(w.tiles_proven) + " of " +
                       std::to_string(w.tiles) + " tiles proven";
  if (report.proven()) {
    std::printf("verified %s: %s in %.1f s\n", report.top_path.c_str(), counts.c_str(),
                report.seconds);
    return 0;
  }
  std::printf("%zu problem%s in %s: %s in %.1f s\n", w.problems.size(),
              w.problems.size() == 1 ? "" : "s", report.top_path.c_str(), counts.c_str(),
              report.seconds);
  return kInputError;
}

int check(const std::string& base_dir, const std::string& description, const std::string& format,
          bool werror, const rtl::RtlOptions& rtl_options) {
  app::CheckReport report =
      app::check_description(base_dir, description, rtl_options, true, {}, warning_policy);
  std::size_t errors = 0, warnings = 0;
  for (const app::Diagnostic& d : report.diagnostics)
    (d.severity() == app::Severity::kError ? errors : warnings) += 1;
  if (format == "json") {
    app::write_json(std::cout, report.diagnostics);
  } else {
    app::DiagnosticPrinter printer(display.output);
    std::fflush(stdout);
    print_capped(stdout, report.diagnostics, printer);
    std::cout << (report.description_path.empty() ? base_dir : report.description_path) << ": "
              << errors << (errors == 1 ? " error, " : " errors, ") << warnings
              << (warnings == 1 ? " warning\n" : " warnings\n");
  }
  return errors > 0 || (werror && warnings > 0) ? kInputError : 0;
}

constexpr int kPipeClosed = 128 + SIGPIPE;  // what a shell reports for a reader that quit

bool is_regular_file(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Writes a file the way every subcommand does: "-" is standard output, and a written file is
// announced on stdout unless stdout is the file.
template <typename Write>
int write_output(const std::string& output, Write write) {
  emit::OutputFile out(output);
  write(out);
  out.commit();
  if (output != "-") std::printf("wrote %s\n", output.c_str());
  return 0;
}

int topology(const std::string& kind, const std::string& size, app::TopologyRequest request,
             const std::string& output, bool force) {
  request.kind = app::parse_topology_kind(kind);
  try {
    app::parse_topology_size(size, request);
  } catch (const Error& error) {  // a mistyped argument, as CLI11 reports its own
    std::fprintf(stderr, "nocgen: error: %s\n", error.message().c_str());
    return kUsageError;
  }
  if (!force && output != "-" && is_regular_file(output))
    throw Error("the description exists already; give --force to replace it", output);
  return write_output(output, [&](emit::TextSink& out) { app::write_topology(out, request); });
}

std::string extension_of(const std::string& path) {
  std::size_t dot = path.rfind('.');
  if (dot == std::string::npos || path.find('/', dot) != std::string::npos) return {};
  return path.substr(dot + 1);
}

int dot(const std::string& base_dir, const std::string& description, const std::string& output,
        const rtl::RtlOptions& rtl_options) {
  app::CheckReport report =
      app::check_description(base_dir, description, rtl_options, true, {}, warning_policy);
  if (!report.description)
    throw Error(report.diagnostics.front().message, report.diagnostics.front().file,
                report.diagnostics.front().line, report.diagnostics.front().column);
  std::vector<RunFile> inputs;
  for (const std::string& input : report.inputs) inputs.push_back({"the input", input});
  if (!report.description_path.empty() && inputs.empty())
    inputs.push_back({"the description", report.description_path});
  if (!inputs.empty()) inputs.front().role = "the description";
  refuse_outputs_that_are_inputs({{"-o", output}}, inputs);
  std::string format = extension_of(output);
  std::transform(format.begin(), format.end(), format.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  struct stat existing;
  bool stream = ::stat(output.c_str(), &existing) == 0 && !S_ISREG(existing.st_mode);
  // A FIFO or device takes DOT text whatever its name says.
  if (output.empty() || output == "-" || stream || format == "dot" || format == "gv") {
    return write_output(output.empty() ? "-" : output,
                        [&](emit::TextSink& out) { app::write_dot(out, report); });
  }
  // Any other extension names a format for Graphviz to render; one it does not know is refused
  // rather than written as DOT text under a misleading name.
  std::vector<std::string> known = app::graphviz_formats();
  if (known.empty())
    throw Error("Graphviz's dot is not installed; write a .dot file and render it elsewhere",
                output);
  if (std::find(known.begin(), known.end(), format) == known.end())
    throw Error("Graphviz renders no format \"" + format +
                    "\"; use .dot, or one of .svg, .png, "
                    "and the others dot -T? lists",
                output);
  emit::StringSink text;
  app::write_dot(text, report);
  emit::OutputFile picture(output);
  app::render_dot(text.text(), format, picture.descriptor(), output);
  picture.commit();
  std::printf("wrote %s\n", output.c_str());
  return 0;
}

int explain(std::string code) {
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
  std::string close = app::closest_name(code, codes);
  std::fprintf(stderr, "nocgen: error: no rule has the code %s%s; nocgen explain lists them\n",
               code.c_str(), close.empty() ? "" : (" (did you mean " + close + "?)").c_str());
  return kUsageError;
}

// After CLI11's own message: the option an unknown one most likely misspells.
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
    std::string close = app::closest_name(arg, names);
    if (!close.empty())
      std::fprintf(stderr, "nocgen: %s: did you mean %s?\n", arg.c_str(), close.c_str());
  }
}

}  // namespace

int main(int argc, char** argv) {
  noc::app::prefer_huge_pages_for_the_heap();
  // A consumer that quits early, or a file-size limit, is reported as a write error.
  noc::handle_termination_signals();
  CLI::App cli{"nocgen: writes and inspects the top-level SystemVerilog of a network-on-chip SoC",
               "nocgen"};
  cli.require_subcommand(1);
  cli.set_version_flag("--version", std::string("nocgen ") + NOC_SOC_VERSION);
  cli.add_option("--color", display.color,
                 "Colour diagnostics: auto (on a terminal, unless NO_COLOR is set), always, never")
      ->check(CLI::IsMember({"auto", "always", "never"}))
      ->capture_default_str();
  cli.footer(
      "Every command takes -Wno-NOCxxx, which drops the warnings of that rule, and "
      "-Werror=NOCxxx, which makes them errors; errors cannot be waived. nocgen explain NOCxxx "
      "says what a rule means.");
  std::function<int()> command;
  // --color may follow the subcommand as well: `nocgen check . --color=never`.
  cli.fallthrough();

  std::string base_dir, description = "noc_soc.json", format = "text", output, file, size, kind;
  bool werror = false;  // check's
  app::SourceFlags flags;

  CLI::App* gen = cli.add_subcommand("generate", "Write BASE_DIR/noc_soc.sv from the description");
  gen->add_option("BASE_DIR", base_dir, "Directory holding the description and the sources")
      ->required();
  gen->add_option("--description", description, kDescriptionHelp)->capture_default_str();
  GenerateFlags generate_flags;
  gen->add_flag(
      "--werror", generate_flags.werror,
      "Fail when there are warnings, writing nothing (the existing file is left as it was)");
  gen->add_option("-o,--output", generate_flags.output,
                  "Write the top here instead of BASE_DIR/noc_soc.sv; - for standard output");
  gen->add_option("--depfile", generate_flags.depfile,
                  "Write a Makefile rule naming every file read, for make, ninja and CMake");
  gen->add_flag("-q,--quiet", generate_flags.quiet, "Print nothing but warnings and errors");
  gen->add_option("--format", format,
                  "text (the source line and a caret under each problem on a terminal) or short")
      ->check(CLI::IsMember({"text", "short"}))
      ->capture_default_str();
  flags.add_to(gen);
  gen->callback([&] {
    command = [&] { return generate(base_dir, description, flags.options(), generate_flags); };
  });

  CLI::App* ports = cli.add_subcommand("ports", "Show what the generator reads from a source");
  ports->add_option("FILE", file, "SystemVerilog source (a name below --base-dir when given)")
      ->required();
  ports->add_option("--base-dir", base_dir,
                    "Locate FILE below this directory as the generator does");
  ports->add_option("--format", format, "json or table")
      ->check(CLI::IsMember({"json", "table"}))
      ->default_str("json");
  flags.add_to(ports);
  ports->callback([&] {
    if (format == "text") format = "json";
    command = [&] {
      if (format == "table") {
        app::write_port_table(std::cout, file, base_dir, flags.options());
      } else {
        app::write_port_json(std::cout, file, base_dir, flags.options());
      }
      return 0;
    };
  });

  CLI::App* chk =
      cli.add_subcommand("check", "Report every problem of a description, writing nothing");
  chk->add_option("BASE_DIR", base_dir, "Directory holding the description and the sources")
      ->required();
  chk->add_option("--description", description, kDescriptionHelp)->capture_default_str();
  chk->add_option("--format", format,
                  "text (compiler style: the source line and a caret on a terminal), short (one "
                  "line each) or json")
      ->check(CLI::IsMember({"text", "short", "json"}))
      ->capture_default_str();
  chk->add_flag("--werror", werror, "Treat warnings as errors");
  flags.add_to(chk);
  chk->callback([&] {
    command = [&] { return check(base_dir, description, format, werror, flags.options()); };
  });

  CLI::App* ver = cli.add_subcommand(
      "verify", "Prove in simulation that BASE_DIR/noc_soc.sv wires what the description says");
  verify::VerifyOptions verify_options;
  ver->add_option("BASE_DIR", verify_options.base_dir,
                  "Directory holding the description, the sources and the top")
      ->required();
  ver->add_option("--description", verify_options.description, kDescriptionHelp)
      ->capture_default_str();
  ver->add_option("--top", verify_options.top, "The top to check instead of BASE_DIR/noc_soc.sv");
  ver->add_option("--flit-width", verify_options.flit_width, "NOC_FLIT_WIDTH of the simulation")
      ->capture_default_str()
      ->check(CLI::Range(1, 4096));
  ver->add_option("--channels", verify_options.channels,
                  "NOC_CHANNELS of the simulation (every tile takes two router slots)")
      ->capture_default_str()
      ->check(CLI::Range(1, 64));
  ver->add_option("--keep", verify_options.keep_dir,
                  "Build the simulation in this directory and keep it");
  ver->add_option("--timeout", verify_options.timeout_seconds,
                  "End a build step or the simulation that takes longer than this, in seconds "
                  "(0: no limit)")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  bool no_cache = false;
  ver->add_flag("--no-cache", no_cache,
                "Compile Verilator's runtime afresh instead of taking it from (and keeping it in) "
                "$XDG_CACHE_HOME/nocgen or ~/.cache/nocgen");
  flags.add_to(ver);
  ver->callback([&] {
    command = [&] {
      verify_options.rtl = flags.options();
      verify_options.use_cache = !no_cache;
      verify_options.warnings = warning_policy;
      // A signal ends Verilator, make and the compilers at once, and the work directory is
      // removed on the way out.
      noc::handle_termination_signals(true);
      return verify_command(verify_options);
    };
  });

  app::TopologyRequest request;
  output = "noc_soc.json";
  CLI::App* topo = cli.add_subcommand("topology", "Write the description of a regular network");
  topo->add_option("KIND", kind, "mesh, torus or ring")
      ->required()
      ->check(CLI::IsMember({"mesh", "torus", "ring"}));
  topo->add_option("SIZE", size, "WxH routers (a ring has W*H routers)")->required();
  topo->add_option("--tiles-per-router", request.tiles_per_router, "Tiles attached to each router")
      ->capture_default_str()
      ->check(CLI::Range(1, 64));
  topo->add_option("--router", request.router_source, "Router source named by every router")
      ->capture_default_str();
  topo->add_option("--tile", request.tile_source, "Tile source named by every tile")
      ->capture_default_str();
  topo->add_option("-o,--output", output, "Description file to write; - for standard output")
      ->capture_default_str();
  bool force = false;
  topo->add_flag("--force", force, "Replace an existing description");
  topo->callback([&] { command = [&] { return topology(kind, size, request, output, force); }; });

  CLI::App* graph = cli.add_subcommand("dot", "Draw the network as a Graphviz graph");
  graph->add_option("BASE_DIR", base_dir, "Directory holding the description")->required();
  graph->add_option("--description", description, kDescriptionHelp)->capture_default_str();
  std::string graph_output;
  graph->add_option("-o,--output", graph_output,
                    "File to write; .svg or .png is rendered with Graphviz (default, or -: "
                    "standard output)");
  flags.add_to(graph);
  graph->callback(
      [&] { command = [&] { return dot(base_dir, description, graph_output, flags.options()); }; });

  CLI::App* expl = cli.add_subcommand(
      "explain", "Say what a rule means, with an example and the fix; without CODE, list them all");
  std::string rule_code;
  expl->add_option("CODE", rule_code, "A rule's code, as diagnostics end with it: NOC124");
  expl->callback([&] { command = [&] { return explain(rule_code); }; });

  CLI::App* schema = cli.add_subcommand("schema", "Print the JSON Schema of a description");
  std::string schema_output = "-";
  schema->add_option("-o,--output", schema_output, "File to write; - for standard output")
      ->capture_default_str();
  schema->callback([&] {
    command = [&] {
      return write_output(schema_output,
                          [](emit::TextSink& out) { out << app::description_schema(); });
    };
  });

  if (argc > 1 && argv[1][0] != '-') {
    std::vector<std::string> names;
    for (const CLI::App* sub : cli.get_subcommands({})) names.push_back(sub->get_name());
    if (std::find(names.begin(), names.end(), argv[1]) == names.end()) {
      std::string list;
      for (const std::string& name : names) list += (list.empty() ? "" : ", ") + name;
      std::fprintf(stderr, "nocgen: error: unknown subcommand '%s'; the subcommands are %s\n",
                   argv[1], list.c_str());
      return kUsageError;
    }
  }
  std::vector<char*> args;
  try {
    args = app::take_warning_flags(argc, argv, warning_policy);
  } catch (const Error& error) {
    std::fprintf(stderr, "nocgen: error: %s\n", error.message().c_str());
    return kUsageError;
  }
  try {
    cli.parse(static_cast<int>(args.size()), args.data());
  } catch (const CLI::ParseError& e) {
    int code = cli.exit(e);
    if (code != 0) suggest_options(cli, args);
    return code == 0 ? 0 : kUsageError;
  }
  bool short_form = format == "short";
  display.output = app::style_for(stdout, display.color, short_form);
  display.errors = app::style_for(stderr, display.color, short_form);
  try {
    int code = command();
    if (int signal_number = noc::termination_requested()) noc::end_with_signal(signal_number);
    std::cout.flush();
    if (!std::cout) {
      if (errno == EPIPE) return kPipeClosed;
      throw Error("cannot write to standard output");
    }
    return code;
  } catch (const noc::Interrupted& interrupted) {
    noc::end_with_signal(interrupted.signal_number);
  } catch (const Error& error) {
    // A reader that quit early (nocgen dot | head) is no error of the command's.
    if (error.errno_value() == EPIPE) return kPipeClosed;
    app::DiagnosticPrinter printer(display.errors);
    std::fprintf(stderr, "%s\n", printer.show(error).c_str());
  } catch (const std::bad_alloc&) {
    std::fprintf(stderr,
                 "nocgen: error: out of memory while running nocgen %s (a memory limit such as "
                 "ulimit -v, or a design too large for this machine); nothing was written\n",
                 argc > 1 ? argv[1] : "");
  } catch (const std::exception& error) {
    std::fprintf(stderr, "nocgen: error: %s\n", error.what());
  }
  return kInputError;
}
