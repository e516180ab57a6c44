#pragma once

#include <sys/types.h>

namespace noc {

/// Called in a child just forked (in the process group it leads, its files set up): forks the
/// program, and stays between it and nocgen, so that the program's whole group (make and the
/// compilers under it, Graphviz) ends when nocgen does, even by SIGKILL, which nocgen cannot
/// catch: the kernel tells this guard (PR_SET_PDEATHSIG), and the guard ends the group. The
/// guard ends as the program did: its exit status, or its signal. `parent` is nocgen's pid,
/// read before the fork: a parent already gone is seen as soon as the guard asks to be told.
[[noreturn]] void exec_guarded(pid_t parent, const char* program, char* const argv[],
                               bool search_path);

}  // namespace noc
