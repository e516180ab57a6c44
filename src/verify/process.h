#pragma once

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "common/termination.h"

namespace noc::verify {

/// The full path of `program` found on PATH, or nothing.
std::optional<std::string> find_on_path(const std::string& program);

/// How a child process ended.
struct ChildEnd {
  int exit_status = 0;  ///< when it exited
  int signal = 0;       ///< when a signal ended it
  bool timed_out = false;
  bool ok() const { return exit_status == 0 && signal == 0 && !timed_out; }
  /// "exit status 1", "signal 9 (Killed)", "no end within 600 s (--timeout)".
  std::string describe(double timeout_seconds) const;
};

/// Runs `argv` in `directory` with standard output and error going to `log_path`, in a
/// process group of its own that a termination signal ends with nocgen, and waits for it. A
/// child still running after `timeout_seconds` (0: no limit) is ended, its whole group with
/// it. Throws Interrupted when a termination signal arrived meanwhile. `check_interrupt`, asked
/// while the child runs, may throw to end it (a Python caller's Ctrl-C).
ChildEnd run_logged(const std::vector<std::string>& argv, const std::string& directory,
                    const std::string& log_path, double timeout_seconds = 0,
                    const std::function<void()>& check_interrupt = {});

}  // namespace noc::verify
