#pragma once

// The command line of each subcommand: its flags, and what runs once they are read.
#include <CLI/CLI.hpp>
#include <functional>

#include "nocgen/commands.h"

namespace noc::nocgen {

/// What a subcommand leaves for main to run once the whole command line is read.
using Command = std::function<int()>;

/// Adds every subcommand to `cli`, in the order of the help. The one chosen sets `command`.
void add_subcommands(CLI::App& cli, Session& session, Command& command);

}  // namespace noc::nocgen
