#include "verify/process.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "common/child_guard.h"
#include "common/error.h"
#include "common/termination.h"

extern char** environ;

namespace noc::verify {

std::optional<std::string> find_on_path(const std::string& program) {
  if (program.find('/') != std::string::npos)
    return ::access(program.c_str(), X_OK) == 0 ? std::optional(program) : std::nullopt;
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  std::size_t at = 0;
  while (at <= dirs.size()) {
    std::size_t end = dirs.find(':', at);
    if (end == std::string::npos) end = dirs.size();
    std::string dir = dirs.substr(at, end - at);
    std::string candidate = (dir.empty() ? "." : dir) + "/" + program;
    struct stat st {};
    if (::stat(candidate.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
        ::access(candidate.c_str(), X_OK) == 0)
      return candidate;
    at = end + 1;
  }
  return std::nullopt;
}

std::string ChildEnd::describe(double timeout_seconds) const {
  if (timed_out) {
    char seconds[32];
    char* end = std::to_chars(seconds, seconds + sizeof seconds, timeout_seconds).ptr;
    return "no end within " + std::string(seconds, end) + " s (--timeout)";
  }
  if (signal != 0) return "signal " + std::to_string(signal) + " (" + ::strsignal(signal) + ")";
  return "exit status " + std::to_string(exit_status);
}

namespace {

// Ends a child's whole group: SIGTERM, and SIGKILL for what is left after a grace period.
void end_group(pid_t pid, int* status) {
  ::kill(-pid, SIGTERM);
  auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(2);
  while (::waitpid(pid, status, WNOHANG) == 0) {
    if (std::chrono::steady_clock::now() > give_up) {
      ::kill(-pid, SIGKILL);
      while (::waitpid(pid, status, 0) < 0 && errno == EINTR) {
      }
      break;
    }
    ::usleep(5000);
  }
  ::kill(-pid, SIGKILL);  // what the leader left behind (a compiler under make)
  // kill() returns before the signal is taken; nocgen must not end while one still runs. On a
  // loaded machine a killed compiler can wait well over half a second for a core to die on.
  for (int i = 0; i < 1000 && ::kill(-pid, 0) == 0; ++i) ::usleep(5000);
}

}  // namespace

ChildEnd run_logged(const std::vector<std::string>& argv, const std::string& directory,
                    const std::string& log_path, double timeout_seconds,
                    const std::function<void()>& check_interrupt) {
  if (int signal_number = termination_requested()) throw Interrupted(signal_number);
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  // The child changes its directory itself: posix_spawn has no portable way to do it.
  pid_t parent = ::getpid();
  pid_t pid = ::fork();
  if (pid < 0) throw file_error("cannot start", argv.front(), errno);
  if (pid == 0) {
    ::setpgid(0, 0);
    int log = ::open(log_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (log < 0 || ::chdir(directory.c_str()) != 0) ::_exit(127);
    ::dup2(log, 1);
    ::dup2(log, 2);
    exec_guarded(parent, args.front(), args.data(), false);
  }
  ::setpgid(pid, pid);  // both sides, so that the group exists before either goes on
  ChildGroup group(pid);
  auto start = std::chrono::steady_clock::now();
  ChildEnd end;
  int status = 0;
  // Polled, so that a time limit and a signal are both seen; the pause grows to 20 ms, which
  // costs nothing against builds of seconds.
  for (useconds_t pause = 500;; pause = std::min<useconds_t>(pause * 2, 20000)) {
    pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done < 0 && errno != EINTR) throw file_error("cannot wait for", argv.front(), errno);
    if (done == pid) break;
    if (int signal_number = termination_requested()) {
      end_group(pid, &status);
      throw Interrupted(signal_number);
    }
    if (check_interrupt) {
      try {
        check_interrupt();
      } catch (...) {
        end_group(pid, &status);
        throw;
      }
    }
    std::chrono::duration<double> spent = std::chrono::steady_clock::now() - start;
    if (timeout_seconds > 0 && spent.count() > timeout_seconds) {
      end_group(pid, &status);
      end.timed_out = true;
      return end;
    }
    ::usleep(pause);
  }
  if (WIFSIGNALED(status)) end.signal = WTERMSIG(status);
  if (WIFEXITED(status)) end.exit_status = WEXITSTATUS(status);
  if (int signal_number = termination_requested()) throw Interrupted(signal_number);
  return end;
}

}  // namespace noc::verify
