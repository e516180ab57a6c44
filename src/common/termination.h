#pragma once

#include <sys/types.h>

#include <stdexcept>
#include <string>

namespace noc {

/// What a run must undo when it is ended by SIGINT, SIGTERM or SIGHUP: the named temporary
/// files it is writing (removed) and the child processes it started (ended with it). A signal
/// handler reads both without locks or allocation, from fixed slots.
class TemporaryName {
 public:
  TemporaryName() = default;
  explicit TemporaryName(const std::string& path);
  ~TemporaryName();
  TemporaryName(TemporaryName&& other) noexcept;
  TemporaryName& operator=(TemporaryName&& other) noexcept;
  /// Forgets the file without removing it: it was renamed to its final name.
  void release() noexcept;

 private:
  int slot_ = -1;
};

/// A child process, in a process group of its own (`pgid` = its pid), that the handler ends
/// with SIGTERM and then SIGKILL: Graphviz, or Verilator and the compilers make runs.
class ChildGroup {
 public:
  explicit ChildGroup(pid_t pgid);
  ~ChildGroup();
  ChildGroup(const ChildGroup&) = delete;
  ChildGroup& operator=(const ChildGroup&) = delete;

 private:
  int slot_ = -1;
};

/// A signal (Ctrl-C, SIGTERM, SIGHUP) asked the run to stop: the children have been ended, and
/// the run unwinds, removing what it made, before the program ends with the same signal.
struct Interrupted : std::runtime_error {
  explicit Interrupted(int signal) : std::runtime_error("interrupted"), signal_number(signal) {}
  int signal_number;
};

/// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the registered files, end the
/// registered children and then end the process with the signal's usual status; SIGPIPE and
/// SIGXFSZ are ignored, so that a closed reader or a file-size limit is a write error with a
/// message instead of a silent death. With `deferred`, the handler only ends the children and
/// records the signal, and the run ends itself at its next check (termination_requested()),
/// unwinding what it owns: a work directory is removed on the way out.
void handle_termination_signals(bool deferred = false);

/// The signal that asked a deferred run to stop, or 0.
int termination_requested() noexcept;

/// Ends the process with `signal_number`'s usual status (the handler's own last step).
[[noreturn]] void end_with_signal(int signal_number) noexcept;

}  // namespace noc
