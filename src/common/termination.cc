#include "common/termination.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cstring>

namespace noc {
namespace {

constexpr int kSlots = 16;
constexpr std::size_t kPathSize = 4096;
char temp_paths[kSlots][kPathSize];
// 0: free, 1: being filled, 2: a file the handler removes.
std::atomic<int> temp_state[kSlots];
std::atomic<pid_t> children[kSlots];
std::atomic<bool> deferred_mode{false};
std::atomic<int> requested{0};

template <typename Slot, typename Value>
int claim(Slot (&slots)[kSlots], Value empty, Value value) {
  for (int i = 0; i < kSlots; ++i) {
    Value expected = empty;
    if (slots[i].compare_exchange_strong(expected, value)) return i;
  }
  return -1;
}

void end_children() noexcept {
  for (int i = 0; i < kSlots; ++i)
    if (pid_t group = children[i].load(); group > 0) ::kill(-group, SIGTERM);
}

void on_termination(int signal_number) {
  end_children();
  if (deferred_mode.load()) {
    requested.store(signal_number);
    return;
  }
  for (int i = 0; i < kSlots; ++i)
    if (temp_state[i].load() == 2) ::unlink(temp_paths[i]);
  end_with_signal(signal_number);
}

}  // namespace

TemporaryName::TemporaryName(const std::string& path) {
  if (path.size() >= kPathSize) return;
  slot_ = claim(temp_state, 0, 1);
  if (slot_ < 0) return;
  std::memcpy(temp_paths[slot_], path.c_str(), path.size() + 1);
  temp_state[slot_].store(2);
}

TemporaryName::~TemporaryName() {
  release();
}

TemporaryName::TemporaryName(TemporaryName&& other) noexcept : slot_(other.slot_) {
  other.slot_ = -1;
}

TemporaryName& TemporaryName::operator=(TemporaryName&& other) noexcept {
  if (this != &other) {
    release();
    slot_ = other.slot_;
    other.slot_ = -1;
  }
  return *this;
}

void TemporaryName::release() noexcept {
  if (slot_ < 0) return;
  temp_state[slot_].store(0);
  slot_ = -1;
}

ChildGroup::ChildGroup(pid_t pgid) : slot_(claim(children, pid_t{0}, pgid)) {}

ChildGroup::~ChildGroup() {
  if (slot_ >= 0) children[slot_].store(0);
}

void handle_termination_signals(bool deferred) {
  deferred_mode.store(deferred);
  struct sigaction action {};
  action.sa_handler = on_termination;
  sigemptyset(&action.sa_mask);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) ::sigaction(signal_number, &action, nullptr);
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  for (int signal_number : {SIGPIPE, SIGXFSZ}) ::sigaction(signal_number, &ignore, nullptr);
}

int termination_requested() noexcept {
  return requested.load();
}

void end_with_signal(int signal_number) noexcept {
  ::signal(signal_number, SIG_DFL);
  sigset_t only;
  sigemptyset(&only);
  sigaddset(&only, signal_number);
  ::sigprocmask(SIG_UNBLOCK, &only, nullptr);
  ::raise(signal_number);
  ::_exit(128 + signal_number);
}

}  // namespace noc
