#include "emit/output_file.h"

#include <fcntl.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <vector>

#include "common/error.h"

namespace noc::emit {
namespace {

// The temporary files being written, kept where a signal handler can read them without taking
// a lock or allocating: a fixed number of fixed-size slots, each claimed by one OutputFile.
constexpr std::size_t kSlots = 8;
constexpr std::size_t kPathSize = 4096;
char temp_paths[kSlots][kPathSize];
std::atomic<bool> slot_used[kSlots];

int claim_slot(const std::string& path) {
  if (path.size() >= kPathSize) return -1;
  for (std::size_t i = 0; i < kSlots; ++i) {
    bool expected = false;
    if (!slot_used[i].compare_exchange_strong(expected, true)) continue;
    std::memcpy(temp_paths[i], path.c_str(), path.size() + 1);
    return static_cast<int>(i);
  }
  return -1;
}

void release_slot(int slot) {
  if (slot >= 0) slot_used[slot].store(false);
}

void on_termination(int signal_number) {
  remove_temporary_files_on_signal();
  std::signal(signal_number, SIG_DFL);
  std::raise(signal_number);
}

// mkstemp creates files readable by the owner only; a generated source should get the mode any
// other new file gets.
void apply_default_mode(int fd) {
  mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
}

}  // namespace

OutputFile::OutputFile(std::string final_path) : final_path_(std::move(final_path)) {
  if (final_path_ == "-") {
    fd_ = STDOUT_FILENO;
    direct_ = true;
    return;
  }
  struct stat existing;
  bool exists = ::stat(final_path_.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    if (S_ISDIR(existing.st_mode)) throw Error("the output path is a directory", final_path_);
    fd_ = ::open(final_path_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) throw file_error("cannot open the output", final_path_, errno);
    direct_ = true;
    return;
  }
  std::string pattern = final_path_ + ".tmp.XXXXXX";
  std::vector<char> name(pattern.begin(), pattern.end());
  name.push_back('\0');
  // An interrupt between creating the temporary file and registering it would leave the file
  // behind, so the termination signals wait until it is registered.
  temp_path_.reserve(name.size());  // no allocation while the signals wait
  sigset_t termination, before;
  sigemptyset(&termination);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&termination, signal_number);
  ::pthread_sigmask(SIG_BLOCK, &termination, &before);
  fd_ = ::mkstemp(name.data());
  int err = errno;
  if (fd_ >= 0) {
    temp_path_ = name.data();
    slot_ = claim_slot(temp_path_);
  }
  ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
  if (fd_ < 0) throw file_error("cannot create the output file", final_path_, err);
  if (exists) {
    ::fchmod(fd_, existing.st_mode & 07777);  // a replaced file keeps its permission bits
  } else {
    apply_default_mode(fd_);
  }
}

OutputFile::~OutputFile() {
  discard();
}

void OutputFile::compare_with_existing() {
  if (direct_ || existing_fd_ >= 0) return;
  existing_fd_ = ::open(final_path_.c_str(), O_RDONLY | O_CLOEXEC);
}

bool OutputFile::block_matches_existing(std::string_view block) {
  std::vector<char>& old = scratch_;
  old.resize(block.size());
  std::size_t got = 0;
  while (got < block.size()) {
    ssize_t n = ::pread(existing_fd_, old.data() + got, block.size() - got,
                        static_cast<off_t>(matched_ + got));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    got += static_cast<std::size_t>(n);
  }
  return std::memcmp(block.data(), old.data(), block.size()) == 0;
}

// The texts differ from here on: the agreeing part is copied from the old file first.
void OutputFile::stop_comparing() {
  std::vector<char> buffer(1 << 20);
  std::uint64_t copied = 0;
  while (copied < matched_) {
    std::size_t want =
        static_cast<std::size_t>(std::min<std::uint64_t>(buffer.size(), matched_ - copied));
    ssize_t n = ::pread(existing_fd_, buffer.data(), want, static_cast<off_t>(copied));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0)
      throw file_error("cannot read the existing output file", final_path_, n < 0 ? errno : EIO);
    write_all(buffer.data(), static_cast<std::size_t>(n));
    copied += static_cast<std::uint64_t>(n);
  }
  ::close(existing_fd_);
  existing_fd_ = -1;
  matched_ = 0;
}

void OutputFile::drain(std::string_view block) {
  if (existing_fd_ >= 0) {
    if (block_matches_existing(block)) {
      matched_ += block.size();
      return;
    }
    stop_comparing();
  }
  write_all(block.data(), block.size());
}

void OutputFile::write_all(const char* data, std::size_t left) {
  while (left > 0) {
    ssize_t n = ::write(fd_, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      throw file_error("cannot write the output file", direct_ ? final_path_ : temp_path_, errno);
    data += n;
    left -= static_cast<std::size_t>(n);
  }
}

bool OutputFile::commit(bool keep_identical) {
  flush();
  if (existing_fd_ >= 0) {
    struct stat old_info;
    bool same = ::fstat(existing_fd_, &old_info) == 0 &&
                static_cast<std::uint64_t>(old_info.st_size) == matched_;
    if (same && keep_identical) {
      discard();
      return false;
    }
    stop_comparing();
  }
  if (direct_) {
    if (fd_ != STDOUT_FILENO && ::close(fd_) != 0)
      throw file_error("cannot write the output", final_path_, errno);
    fd_ = -1;
    return true;
  }
  int fd = fd_;
  fd_ = -1;
  if (::close(fd) != 0) {
    int err = errno;
    discard();
    throw file_error("cannot write the output file", temp_path_, err);
  }
  if (keep_identical && final_file_equals_temp()) {
    discard();
    return false;
  }
  if (::rename(temp_path_.c_str(), final_path_.c_str()) != 0) {
    int err = errno;
    discard();
    throw file_error("cannot replace the output file", final_path_, err);
  }
  release_slot(slot_);
  slot_ = -1;
  temp_path_.clear();
  return true;
}

bool OutputFile::final_file_equals_temp() const {
  struct stat final_info, temp_info;
  if (::stat(final_path_.c_str(), &final_info) != 0 || ::stat(temp_path_.c_str(), &temp_info) != 0)
    return false;
  if (!S_ISREG(final_info.st_mode) || final_info.st_size != temp_info.st_size) return false;
  std::FILE* a = std::fopen(final_path_.c_str(), "rb");
  std::FILE* b = std::fopen(temp_path_.c_str(), "rb");
  bool same = a && b;
  std::vector<char> block_a(1 << 16), block_b(1 << 16);
  while (same) {
    std::size_t n = std::fread(block_a.data(), 1, block_a.size(), a);
    std::size_t m = std::fread(block_b.data(), 1, block_b.size(), b);
    same = n == m &&
           std::equal(block_a.begin(), block_a.begin() + static_cast<long>(n), block_b.begin());
    if (n == 0) break;
  }
  if (a) std::fclose(a);
  if (b) std::fclose(b);
  return same;
}

void OutputFile::discard() noexcept {
  if (existing_fd_ >= 0) ::close(existing_fd_);
  existing_fd_ = -1;
  if (fd_ >= 0 && fd_ != STDOUT_FILENO) ::close(fd_);
  fd_ = -1;
  if (!temp_path_.empty()) ::unlink(temp_path_.c_str());
  release_slot(slot_);
  slot_ = -1;
  temp_path_.clear();
}

void remove_temporary_files_on_signal() noexcept {
  for (std::size_t i = 0; i < kSlots; ++i)
    if (slot_used[i].load()) ::unlink(temp_paths[i]);
}

void clean_up_on_termination_signals() {
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) std::signal(signal_number, on_termination);
}

}  // namespace noc::emit
