#include "nocgen/subcommands.h"

#include <charconv>
#include <cmath>
#include <iostream>
#include <memory>

#include "app/description_schema.h"
#include "app/port_report.h"

namespace noc::nocgen {
namespace {

constexpr const char* kBaseDirHelp = "Directory holding the description and the sources";
constexpr const char* kDescriptionHelp =
    "File name of the description, searched below BASE_DIR; with a folder part (sub/alt.json), "
    "its path below BASE_DIR";

// Seconds a child may run: NaN would never end, and inf is "no limit", which 0 says already.
constexpr double kLongestTimeout = 1e6;
const CLI::Validator kTimeoutSeconds(
    [](const std::string& text) -> std::string {
      double seconds = 0;
      auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), seconds);
      if (error != std::errc() || end != text.data() + text.size() || !std::isfinite(seconds) ||
          seconds < 0 || seconds > kLongestTimeout)
        return "seconds from 0 (no limit) to 1000000, not " + text;
      return {};
    },
    "SECONDS");

// BASE_DIR, --description and the source flags, as every command that reads a design takes them.
void add_design_flags(CLI::App* sub, DesignFlags& design, const char* base_dir_help) {
  sub->add_option("BASE_DIR", design.base_dir, base_dir_help)->required();
  sub->add_option("--description", design.description, kDescriptionHelp)->capture_default_str();
}

void add_generate(CLI::App& cli, Session& session, Command& command) {
  auto flags = std::make_shared<GenerateFlags>();
  CLI::App* sub = cli.add_subcommand("generate", "Write BASE_DIR/noc_soc.sv from the description");
  add_design_flags(sub, flags->design, kBaseDirHelp);
  sub->add_flag("--werror", flags->werror,
                "Fail when there are warnings, writing nothing (the existing file is left as it "
                "was)");
  sub->add_option("-o,--output", flags->output,
                  "Write the top here instead of BASE_DIR/noc_soc.sv; - for standard output");
  sub->add_option("--depfile", flags->depfile,
                  "Write a Makefile rule naming every file read, for make, ninja and CMake");
  sub->add_flag("-q,--quiet", flags->quiet, "Print nothing but warnings and errors");
  sub->add_option("--routing", flags->routing,
                  "Route the network (xy, updown, shortest or auto; nocgen routes shows the "
                  "tables) and pass ROUTES, ID or TILE_ID and DESTS to the modules that declare "
                  "them; without it the top has no routing")
      ->check(CLI::IsMember({"xy", "updown", "shortest", "auto"}));
  sub->add_option("--format", flags->format,
                  "text (the source line and a caret under each problem on a terminal) or short")
      ->check(CLI::IsMember({"text", "short"}))
      ->capture_default_str();
  flags->design.sources.add_to(sub);
  sub->callback([&session, &command, flags] {
    session.display.short_form = flags->format == "short";
    command = [&session, flags] { return generate(session, *flags); };
  });
}

void add_ports(CLI::App& cli, Command& command) {
  struct PortsFlags {
    std::string file, base_dir, format = "json";
    SourceFlags sources;
  };
  auto flags = std::make_shared<PortsFlags>();
  CLI::App* sub = cli.add_subcommand("ports", "Show what the generator reads from a source");
  sub->add_option("FILE", flags->file, "SystemVerilog source (a name below --base-dir when given)")
      ->required();
  sub->add_option("--base-dir", flags->base_dir,
                  "Locate FILE below this directory as the generator does");
  sub->add_option("--format", flags->format, "json or table")
      ->check(CLI::IsMember({"json", "table"}))
      ->capture_default_str();
  flags->sources.add_to(sub);
  sub->callback([&command, flags] {
    command = [flags] {
      if (flags->format == "table")
        app::write_port_table(std::cout, flags->file, flags->base_dir, flags->sources.options());
      else
        app::write_port_json(std::cout, flags->file, flags->base_dir, flags->sources.options());
      return 0;
    };
  });
}

void add_check(CLI::App& cli, Session& session, Command& command) {
  auto flags = std::make_shared<CheckFlags>();
  CLI::App* sub =
      cli.add_subcommand("check", "Report every problem of a description, writing nothing");
  add_design_flags(sub, flags->design, kBaseDirHelp);
  sub->add_option("--format", flags->format,
                  "text (compiler style: the source line and a caret on a terminal), short (one "
                  "line each) or json")
      ->check(CLI::IsMember({"text", "short", "json"}))
      ->capture_default_str();
  sub->add_flag("--werror", flags->werror, "Treat warnings as errors");
  sub->add_option("--routing", flags->routing,
                  "Check the routes too (xy, updown, shortest or auto): every packet arrives, "
                  "and no cycle of waiting channels can deadlock")
      ->check(CLI::IsMember({"xy", "updown", "shortest", "auto"}));
  flags->design.sources.add_to(sub);
  sub->callback([&session, &command, flags] {
    session.display.short_form = flags->format == "short";
    command = [&session, flags] { return check(session, *flags); };
  });
}

void add_verify(CLI::App& cli, Session& session, Command& command) {
  auto flags = std::make_shared<VerifyFlags>();
  verify::VerifyOptions& options = flags->options;
  CLI::App* sub = cli.add_subcommand(
      "verify", "Prove in simulation that BASE_DIR/noc_soc.sv wires what the description says");
  add_design_flags(sub, flags->design,
                   "Directory holding the description, the sources and the top");
  sub->add_option("--top", options.top, "The top to check instead of BASE_DIR/noc_soc.sv");
  sub->add_option("--flit-width", options.flit_width,
                  "NOC_FLIT_WIDTH of the simulation (default: what the design assigns it, else "
                  "the router's FLIT_WIDTH default, else 32)")
      ->check(CLI::Range(1, 4096));
  sub->add_option("--channels", options.channels,
                  "NOC_CHANNELS of the simulation (default: what the design assigns it, else 2; "
                  "every tile takes two router slots)")
      ->check(CLI::Range(1, 64));
  sub->add_option("--routing", options.routing,
                  "Also prove that the top passes each router the ROUTES and DESTS, and each "
                  "tile the ID or TILE_ID, that generate --routing with this algorithm writes")
      ->check(CLI::IsMember({"xy", "updown", "shortest", "auto"}));
  sub->add_option("--keep", options.keep_dir, "Build the simulation in this directory and keep it");
  sub->add_option("--timeout", options.timeout_seconds,
                  "End a build step or the simulation that takes longer than this, in seconds "
                  "(0: no limit)")
      ->capture_default_str()
      ->check(kTimeoutSeconds);
  sub->add_flag("--all", flags->all_problems,
                "Print every wiring problem, not only the first " + std::to_string(kProblemsShown));
  sub->add_flag("--no-cache", flags->no_cache,
                "Compile Verilator's runtime afresh instead of taking it from (and keeping it in) "
                "$XDG_CACHE_HOME/nocgen or ~/.cache/nocgen");
  flags->design.sources.add_to(sub);
  sub->callback([&session, &command, flags] {
    command = [&session, flags] { return verify_command(session, *flags); };
  });
}

void add_traffic(CLI::App& cli, Session& session, Command& command) {
  auto flags = std::make_shared<TrafficFlags>();
  verify::TrafficOptions& options = flags->options;
  CLI::App* sub = cli.add_subcommand(
      "traffic",
      "Run your routers under traffic: every packet delivered, latency and throughput measured, "
      "a stall named");
  add_design_flags(sub, flags->design, "Directory holding the description and the sources");
  sub->add_option("--routing", options.routing,
                  "The routes the top passes the routers (xy, updown, shortest or auto)")
      ->capture_default_str()
      ->check(CLI::IsMember({"xy", "updown", "shortest", "auto"}));
  sub->add_option("--pattern", flags->patterns,
                  "all-pairs (every source sends one packet to every other destination), or a "
                  "load swept over --rates: uniform, transpose, bitcomp, hotspot, neighbour; "
                  "give it again for more (default: all-pairs)")
      ->check(
          CLI::IsMember({"all-pairs", "uniform", "transpose", "bitcomp", "hotspot", "neighbour"}));
  sub->add_option("--rates", flags->rates,
                  "Offered loads FROM:TO:STEP in flits per cycle per source; a sweep stops past "
                  "saturation")
      ->capture_default_str();
  sub->add_option("--packet-flits", options.packet_flits,
                  "Flits per packet, the last with last set")
      ->capture_default_str()
      ->check(CLI::Range(1, 1024));
  sub->add_option("--dest-field", options.dest_field,
                  "HI:LO, the bits of the first flit that carry the destination (default: the top "
                  "clog2(DESTS) bits)");
  sub->add_option("--flit-width", options.flit_width,
                  "NOC_FLIT_WIDTH of the simulation (default: what the design assigns it, else the "
                  "router's FLIT_WIDTH default, else 32)")
      ->check(CLI::Range(8, 4096));
  sub->add_option("--warmup", options.warmup, "Cycles before the measurement of a load")
      ->capture_default_str()
      ->check(CLI::Range(0L, 10000000L));
  sub->add_option("--measure", options.measure, "Cycles of the measurement of a load")
      ->capture_default_str()
      ->check(CLI::Range(1L, 10000000L));
  sub->add_option("--seed", options.seed, "Seed of the random destinations and injections")
      ->capture_default_str();
  sub->add_option("--csv", flags->csv, "Write every number of every load point here");
  sub->add_option("--plot", flags->plot,
                  "Write latency against offered load here, as SVG, one line per pattern");
  sub->add_option("--keep", options.keep_dir, "Build the simulation in this directory and keep it");
  sub->add_option("--timeout", options.timeout_seconds,
                  "End a build step or a simulation that takes longer than this, in seconds "
                  "(0: no limit)")
      ->capture_default_str()
      ->check(kTimeoutSeconds);
  sub->add_flag("--no-cache", flags->no_cache,
                "Compile Verilator's runtime afresh instead of taking it from (and keeping it in) "
                "$XDG_CACHE_HOME/nocgen or ~/.cache/nocgen");
  // For watching a router deadlock under routes that can: not for a network in use.
  sub->add_flag("--allow-deadlock", options.allow_unsound_routes)->group("");
  flags->design.sources.add_to(sub);
  sub->callback([&session, &command, flags] {
    command = [&session, flags] { return traffic_command(session, *flags); };
  });
}

void add_topology(CLI::App& cli, Command& command) {
  auto flags = std::make_shared<TopologyFlags>();
  app::TopologyRequest& request = flags->request;
  CLI::App* sub = cli.add_subcommand("topology", "Write the description of a regular network");
  sub->add_option("KIND", flags->kind, "mesh, torus or ring")
      ->required()
      ->check(CLI::IsMember({"mesh", "torus", "ring"}));
  sub->add_option("SIZE", flags->size, "WxH routers (a ring has W*H routers)")->required();
  sub->add_option("--tiles-per-router", request.tiles_per_router, "Tiles attached to each router")
      ->capture_default_str()
      ->check(CLI::Range(1, 64));
  sub->add_option("--router", request.router_source, "Router source named by every router")
      ->capture_default_str();
  sub->add_option("--tile", request.tile_source, "Tile source named by every tile")
      ->capture_default_str();
  sub->add_option("-o,--output", flags->output, "Description file to write; - for standard output")
      ->capture_default_str();
  sub->add_flag("--force", flags->force, "Replace an existing description");
  sub->callback([&command, flags] { command = [flags] { return topology(*flags); }; });
}

void add_dot(CLI::App& cli, Session& session, Command& command) {
  auto flags = std::make_shared<DotFlags>();
  CLI::App* sub = cli.add_subcommand("dot", "Draw the network as a Graphviz graph");
  add_design_flags(sub, flags->design, "Directory holding the description");
  sub->add_option("-o,--output", flags->output,
                  "File to write; .svg or .png is rendered with Graphviz (default, or -: "
                  "standard output)");
  flags->design.sources.add_to(sub);
  sub->callback([&session, &command, flags] {
    command = [&session, flags] { return dot(session, *flags); };
  });
}

void add_routes(CLI::App& cli, Session& session, Command& command) {
  auto flags = std::make_shared<RoutesFlags>();
  CLI::App* sub = cli.add_subcommand(
      "routes", "Show the port map, the destination numbers and the routing tables of a network");
  add_design_flags(sub, flags->design, kBaseDirHelp);
  sub->add_option("--routing", flags->routing,
                  "xy (dimension order on a mesh), updown (up*/down*, any connected network), "
                  "shortest (minimal paths, refused where they can deadlock) or auto (xy on a "
                  "mesh, else updown)")
      ->check(CLI::IsMember({"xy", "updown", "shortest", "auto"}))
      ->capture_default_str();
  sub->add_option("--format", flags->format,
                  "table, json, or sv (a package noc_routes with each router's ROUTES)")
      ->check(CLI::IsMember({"table", "json", "sv"}))
      ->capture_default_str();
  sub->add_option("-o,--output", flags->output, "File to write; - for standard output")
      ->capture_default_str();
  flags->design.sources.add_to(sub);
  sub->callback([&session, &command, flags] {
    command = [&session, flags] { return routes(session, *flags); };
  });
}

void add_explain(CLI::App& cli, Command& command) {
  struct ExplainFlags {
    std::string code;
    bool markdown = false;
  };
  auto flags = std::make_shared<ExplainFlags>();
  CLI::App* sub = cli.add_subcommand(
      "explain", "Say what a rule means, with an example and the fix; without CODE, list them all");
  sub->add_option("CODE", flags->code, "A rule's code, as diagnostics end with it: NOC124");
  sub->add_flag("--markdown", flags->markdown,
                "Print every rule as a Markdown table, as the manual's rules page holds it");
  sub->callback(
      [&command, flags] { command = [flags] { return explain(flags->code, flags->markdown); }; });
}

void add_schema(CLI::App& cli, Command& command) {
  auto output = std::make_shared<std::string>("-");
  CLI::App* sub = cli.add_subcommand("schema", "Print the JSON Schema of a description");
  sub->add_option("-o,--output", *output, "File to write; - for standard output")
      ->capture_default_str();
  sub->callback([&command, output] {
    command = [output] {
      return write_output(*output, [](emit::TextSink& out) { out << app::description_schema(); });
    };
  });
}

}  // namespace

void add_subcommands(CLI::App& cli, Session& session, Command& command) {
  add_generate(cli, session, command);
  add_ports(cli, command);
  add_check(cli, session, command);
  add_verify(cli, session, command);
  add_traffic(cli, session, command);
  add_topology(cli, command);
  add_dot(cli, session, command);
  add_routes(cli, session, command);
  add_explain(cli, command);
  add_schema(cli, command);
}

}  // namespace noc::nocgen
