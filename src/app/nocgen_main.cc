// nocgen: the command-line face of the generator, for people and for build scripts.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <iostream>

#include "app/command_line.h"
#include "app/description_schema.h"
#include "app/heap_pages.h"
#include "app/nocgen_commands.h"
#include "app/port_report.h"
#include "app/source_flags.h"
#include "common/error.h"
#include "common/termination.h"

namespace {

using namespace noc;
using namespace noc::nocgen;

constexpr const char* kDescriptionHelp =
    "File name of the description, searched below BASE_DIR; with a folder part (sub/alt.json), "
    "its path below BASE_DIR";

}  // namespace

int main(int argc, char** argv) {
  noc::app::prefer_huge_pages_for_the_heap();
  // A consumer that quits early, or a file-size limit, is reported as a write error.
  noc::handle_termination_signals();
  CLI::App cli{"nocgen: writes and inspects the top-level SystemVerilog of a network-on-chip SoC",
               "nocgen"};
  cli.require_subcommand(1);
  cli.set_version_flag("--version", std::string("nocgen ") + NOC_SOC_VERSION);
  Session session;
  Display& display = session.display;
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
    command = [&] {
      return generate(session, base_dir, description, flags.options(), generate_flags);
    };
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
    command = [&] {
      return check(session, base_dir, description, format, werror, flags.options());
    };
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
  ver->add_option("--flit-width", verify_options.flit_width,
                  "NOC_FLIT_WIDTH of the simulation (default: what the design assigns it, else "
                  "the router's FLIT_WIDTH default, else 32)")
      ->check(CLI::Range(1, 4096));
  ver->add_option("--channels", verify_options.channels,
                  "NOC_CHANNELS of the simulation (default: what the design assigns it, else 2; "
                  "every tile takes two router slots)")
      ->check(CLI::Range(1, 64));
  ver->add_option("--keep", verify_options.keep_dir,
                  "Build the simulation in this directory and keep it");
  ver->add_option("--timeout", verify_options.timeout_seconds,
                  "End a build step or the simulation that takes longer than this, in seconds "
                  "(0: no limit)")
      ->capture_default_str()
      ->check(CLI::NonNegativeNumber);
  bool all_problems = false;
  ver->add_flag("--all", all_problems,
                "Print every wiring problem, not only the first " + std::to_string(kProblemsShown));
  bool no_cache = false;
  ver->add_flag("--no-cache", no_cache,
                "Compile Verilator's runtime afresh instead of taking it from (and keeping it in) "
                "$XDG_CACHE_HOME/nocgen or ~/.cache/nocgen");
  flags.add_to(ver);
  ver->callback([&] {
    command = [&] {
      verify_options.rtl = flags.options();
      verify_options.use_cache = !no_cache;
      verify_options.warnings = session.warnings;
      // A signal ends Verilator, make and the compilers at once, and the work directory is
      // removed on the way out.
      noc::handle_termination_signals(true);
      return verify_command(session, verify_options, all_problems);
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
  graph->callback([&] {
    command = [&] { return dot(session, base_dir, description, graph_output, flags.options()); };
  });

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
    args = app::take_warning_flags(argc, argv, session.warnings);
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
