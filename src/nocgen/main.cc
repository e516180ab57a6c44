// nocgen: the command-line face of the generator, for people and for build scripts.
#include <CLI/CLI.hpp>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "common/error.h"
#include "common/heap_pages.h"
#include "common/termination.h"
#include "nocgen/command_line.h"
#include "nocgen/commands.h"
#include "nocgen/subcommands.h"

using namespace noc;
using namespace noc::nocgen;

namespace {

// Both of the process's ways to standard output, flushed: the reports use stdio, CLI11 and the
// JSON writers use iostreams.
bool standard_output_written() {
  std::cout.flush();
  bool streams = static_cast<bool>(std::cout);
  bool stdio = std::fflush(stdout) == 0 && !std::ferror(stdout);
  return streams && stdio;
}

}  // namespace

int main(int argc, char** argv) {
  noc::prefer_huge_pages_for_the_heap();
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
  Command command;
  // --color may follow the subcommand as well: `nocgen check . --color=never`.
  cli.fallthrough();
  add_subcommands(cli, session, command);

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
    args = take_warning_flags(argc, argv, session.warnings);
  } catch (const Error& error) {
    std::fprintf(stderr, "nocgen: error: %s\n", error.message().c_str());
    return kUsageError;
  }
  try {
    cli.parse(static_cast<int>(args.size()), args.data());
  } catch (const CLI::ParseError& e) {
    int code = cli.exit(e);
    if (code != 0) suggest_options(cli, args);
    // --help and --version are the command's whole output: one that could not be written is
    // a failure, not an answer.
    if (code == 0 && !standard_output_written()) {
      std::fprintf(stderr, "nocgen: error: cannot write to standard output (%s)\n",
                   std::strerror(errno));
      return kInputError;
    }
    return code == 0 ? 0 : kUsageError;
  }
  display.output = style_for(stdout, display.color, display.short_form);
  display.errors = style_for(stderr, display.color, display.short_form);
  try {
    int code = command();
    if (int signal_number = noc::termination_requested()) noc::end_with_signal(signal_number);
    if (!standard_output_written()) {
      if (errno == EPIPE) return kPipeClosed;
      // The files the command wrote are in place by now; only its report is lost.
      throw Error(std::string("cannot write to standard output (") + std::strerror(errno) +
                  "); what the command wrote to files is complete, its report is not");
    }
    return code;
  } catch (const noc::Interrupted& interrupted) {
    noc::end_with_signal(interrupted.signal_number);
  } catch (const Error& error) {
    // A reader that quit early (nocgen dot | head) is no error of the command's.
    if (error.errno_value() == EPIPE) return kPipeClosed;
    DiagnosticPrinter printer(display.errors);
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
