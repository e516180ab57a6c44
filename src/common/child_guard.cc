#include "common/child_guard.h"

#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <initializer_list>
#include <string>

namespace noc {
namespace {

// The signal the kernel sends the guard when nocgen ends; one nothing else sends it.
constexpr int kParentGone = SIGUSR2;

void end_the_group(int) {
  ::kill(0, SIGKILL);  // the guard's own group: the program and all it started, the guard too
  ::_exit(128 + SIGKILL);
}

}  // namespace

void exec_guarded(pid_t parent, const char* program, char* const argv[], bool search_path) {
  pid_t child = ::fork();
  if (child < 0) ::_exit(127);
  if (child == 0) {
    if (search_path)
      ::execvp(program, argv);
    else
      ::execv(program, argv);
    // Said where the child's errors go (the log the message quotes, or nocgen's own stderr):
    // "exit status 127" alone does not tell a missing program from too many open files.
    std::string why =
        std::string("nocgen: cannot start ") + program + ": " + std::strerror(errno) + "\n";
    if (::write(STDERR_FILENO, why.data(), why.size()) < 0) ::_exit(127);
    ::_exit(127);
  }
  // nocgen's handlers only set a flag: the guard takes the signals' own meaning back, so that
  // nocgen's SIGTERM to the group ends it.
  for (int signal_number : {SIGTERM, SIGINT, SIGHUP, SIGQUIT, SIGPIPE})
    ::signal(signal_number, SIG_DFL);
  // Files nocgen holds (a pipe's writing end, say) must close when nocgen and the program close
  // them, not stay open in the guard.
  ::close_range(3, ~0U, 0);
  struct sigaction gone = {};
  gone.sa_handler = end_the_group;
  ::sigaction(kParentGone, &gone, nullptr);
  ::prctl(PR_SET_PDEATHSIG, kParentGone);
  if (::getppid() != parent) end_the_group(0);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0)
    if (errno != EINTR) ::_exit(127);
  if (WIFEXITED(status)) ::_exit(WEXITSTATUS(status));
  ::signal(WTERMSIG(status), SIG_DFL);
  ::kill(::getpid(), WTERMSIG(status));
  ::_exit(128 + WTERMSIG(status));
}

}  // namespace noc
