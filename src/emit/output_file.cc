#include "emit/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <stdexcept>

#include "common/error.h"

namespace noc::emit {
namespace {

constexpr char kTempPrefix[] = ".nocgen-";
const std::time_t process_start = std::time(nullptr);

std::string folder_of(const std::string& path) {
  std::size_t slash = path.find_last_of('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

std::string temp_name_in(const std::string& folder, unsigned attempt) {
  auto clock =
      static_cast<unsigned long long>(std::chrono::steady_clock::now().time_since_epoch().count());
  char name[64];
  std::snprintf(name, sizeof name, "%s%ld-%06llx", kTempPrefix, static_cast<long>(::getpid()),
                (clock ^ (attempt * 0x9e3779b97f4a7c15ULL)) & 0xffffff);
  return (folder == "/" ? "" : folder) + "/" + name;
}

// ".nocgen-PID-..." of a process that no longer runs, made before this run began: a run that was
// killed before it could remove it.
void remove_stale_temporaries(const std::string& folder) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  while (struct dirent* entry = ::readdir(dir)) {
    if (std::strncmp(entry->d_name, kTempPrefix, sizeof kTempPrefix - 1) != 0) continue;
    char* end = nullptr;
    long pid = std::strtol(entry->d_name + sizeof kTempPrefix - 1, &end, 10);
    if (pid <= 0 || *end != '-' || pid == ::getpid()) continue;
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    struct stat info;
    if (::fstatat(::dirfd(dir), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0) continue;
    if (S_ISREG(info.st_mode) && info.st_mtime < process_start)
      ::unlinkat(::dirfd(dir), entry->d_name, 0);
  }
  ::closedir(dir);
}

int default_mode() {
  mode_t mask = ::umask(0);
  ::umask(mask);
  return 0666 & ~mask;
}

// File systems without unnamed files answer O_TMPFILE with one of these.
bool lacks_unnamed_files(int err) {
  return err == EOPNOTSUPP || err == EISDIR || err == EINVAL;
}

// A full disk or a file-size limit is the usual cause; say what the user can do about it.
std::string hint_for(int err) {
  if (err == ENOSPC || err == EDQUOT) return " (free some space; the old file is left as it was)";
  if (err == EFBIG) return " (a file-size limit, ulimit -f; the old file is left as it was)";
  return "";
}

}  // namespace

OutputFile::OutputFile(std::string final_path, std::string what)
    : final_path_(std::move(final_path)), what_(std::move(what)) {
  if (final_path_ == "-") {
    fd_ = STDOUT_FILENO;
    direct_ = true;
    return;
  }
  struct stat existing;
  bool exists = ::stat(final_path_.c_str(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode)) {
    if (S_ISDIR(existing.st_mode))
      throw Error("the " + what_ + " path is a directory", final_path_);
    fd_ = ::open(final_path_.c_str(), O_WRONLY | O_CLOEXEC);
    if (fd_ < 0) fail("cannot open", errno);
    direct_ = true;
    return;
  }
  int mode = exists ? static_cast<int>(existing.st_mode & 07777) : default_mode();
  std::string folder = folder_of(final_path_);
  remove_stale_temporaries(folder);
  // An unnamed file is given its name through /proc; without /proc (some containers) only a
  // privileged process could, so the file is named from the start.
  static const bool can_name_later = ::access("/proc/self/fd", X_OK) == 0;
  if (can_name_later) fd_ = ::open(folder.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
  if (fd_ < 0 && (!can_name_later || lacks_unnamed_files(errno))) {
    open_named_temporary(folder, mode);
  } else if (fd_ < 0) {
    create_errno_ = errno;
  }
  if (fd_ >= 0) ::fchmod(fd_, static_cast<mode_t>(mode));
  // Without a temporary file, an identical existing file still needs no writing: a read-only
  // folder whose top is up to date is no failure.
  if (fd_ < 0 && !exists) fail("cannot create", create_errno_);
}

void OutputFile::open_named_temporary(const std::string& folder, int mode) {
  // An interrupt between creating the file and registering it would leave the file behind, so
  // the termination signals wait until it is registered.
  sigset_t termination, before;
  sigemptyset(&termination);
  for (int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&termination, signal_number);
  for (unsigned attempt = 0; attempt < 100 && fd_ < 0; ++attempt) {
    std::string name = temp_name_in(folder, attempt);
    ::pthread_sigmask(SIG_BLOCK, &termination, &before);
    fd_ = ::open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, static_cast<mode_t>(mode));
    int err = errno;
    if (fd_ >= 0) {
      temp_path_ = name;
      temp_name_ = TemporaryName(temp_path_);
    }
    ::pthread_sigmask(SIG_SETMASK, &before, nullptr);
    if (fd_ < 0 && err != EEXIST) {
      create_errno_ = err;
      return;
    }
  }
}

OutputFile::~OutputFile() {
  discard();
}

void OutputFile::compare_with_existing() {
  if (direct_ || existing_fd_ >= 0 || bytes() > 0) return;
  existing_fd_ = ::open(final_path_.c_str(), O_RDONLY | O_CLOEXEC);
  struct stat old_info;
  // The new top is likely as long as the old: reserved at once.
  if (existing_fd_ >= 0 && ::fstat(existing_fd_, &old_info) == 0)
    existing_size_ = static_cast<std::uint64_t>(old_info.st_size);
}

bool OutputFile::same_as_existing() {
  flush();
  if (existing_fd_ < 0) return false;
  struct stat old_info;
  bool same = ::fstat(existing_fd_, &old_info) == 0 &&
              static_cast<std::uint64_t>(old_info.st_size) == matched_;
  if (same) return true;
  // A new text that is the old one's start: all of it was skipped.
  ::close(existing_fd_);
  existing_fd_ = -1;
  skipped_ = matched_;
  return false;
}

void OutputFile::write_skipped(std::string_view block, std::uint64_t offset) {
  if (fd_ < 0) fail("cannot create", create_errno_);
  std::size_t done = 0;
  while (done < block.size()) {
    ssize_t n =
        ::pwrite(fd_, block.data() + done, block.size() - done, static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail("cannot write", errno);
    done += static_cast<std::size_t>(n);
  }
  skipped_written_ = std::max(skipped_written_, offset + block.size());
}

namespace detail {

void SkippedStartSink::drain(std::string_view block) {
  std::uint64_t left = out_.skipped() - at_;
  std::string_view part =
      block.substr(0, static_cast<std::size_t>(std::min<std::uint64_t>(left, block.size())));
  out_.write_skipped(part, at_);
  at_ += part.size();
  if (at_ == out_.skipped()) throw Complete{};
}

}  // namespace detail

int OutputFile::descriptor() {
  if (existing_fd_ >= 0) ::close(existing_fd_);
  existing_fd_ = -1;
  flush();
  if (fd_ < 0) fail("cannot create", create_errno_);
  return fd_;
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

void OutputFile::drain(std::string_view block) {
  if (check_) check_();
  if (existing_fd_ >= 0) {
    if (block_matches_existing(block)) {
      matched_ += block.size();
      return;
    }
    ::close(existing_fd_);
    existing_fd_ = -1;
    skipped_ = matched_;
    if (fd_ >= 0 && ::lseek(fd_, static_cast<off_t>(skipped_), SEEK_SET) < 0)
      fail("cannot write", errno);
    position_ = skipped_;
  }
  if (fd_ < 0) fail("cannot create", create_errno_);
  write_all(block.data(), block.size());
}

// Blocks are reserved ahead of the writes, so that the file system places the file once
// instead of block by block; replacing an existing top then costs no more than writing a new
// one. What is reserved past the end is cut off in prepare(). A reservation that fails (a full
// disk, a file system without it) only ends reserving: the writes themselves say what is wrong.
void OutputFile::reserve_ahead(std::size_t size) {
  std::uint64_t end = position_ + size;
  if (reserve_failed_ || end <= reserved_) return;
  std::uint64_t want = std::max<std::uint64_t>({end, reserved_ * 2, existing_size_, 1 << 20});
  if (::fallocate(fd_, 0, static_cast<off_t>(reserved_), static_cast<off_t>(want - reserved_)) !=
      0) {
    reserve_failed_ = true;
    return;
  }
  reserved_ = want;
}

void OutputFile::write_all(const char* data, std::size_t left) {
  if (!direct_) reserve_ahead(left);
  position_ += left;
  while (left > 0) {
    ssize_t n = ::write(fd_, data, left);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) fail("cannot write", errno);
    data += n;
    left -= static_cast<std::size_t>(n);
  }
}

void OutputFile::fail(const char* what_failed, int err) const {
  throw Error(
      std::string(what_failed) + " the " + what_ + ": " + std::strerror(err) + hint_for(err),
      final_path_, 0, 0, err);
}

bool OutputFile::prepare() {
  flush();
  if (direct_) {
    if (fd_ != STDOUT_FILENO && ::close(fd_) != 0) fail("cannot write", errno);
    fd_ = -1;
    prepared_ = true;
    return true;
  }
  if (same_as_existing()) {
    discard();
    return false;
  }
  // A writer that cannot be run again (the text was streamed from elsewhere) leaves the start
  // to the one caller that can; a file with a hole is never put in place.
  if (skipped_written_ < skipped_)
    throw std::logic_error("the start of " + final_path_ +
                           " skipped while comparing was not written");
  if (fd_ < 0) fail("cannot create", create_errno_);
  if (reserved_ > 0) {
    // The text ends where the writes left the file's offset (a child writing through the
    // descriptor moves it too); what was reserved past it goes.
    off_t end = ::lseek(fd_, 0, SEEK_CUR);
    end = std::max<off_t>(end, static_cast<off_t>(skipped_written_));
    if (end < 0 || ::ftruncate(fd_, end) != 0) fail("cannot write", errno);
  }
  if (temp_path_.empty()) link_unnamed_temporary(folder_of(final_path_));
  int fd = fd_;
  fd_ = -1;
  // Some file systems (NFS) report a failed write only when the file is closed.
  if (::close(fd) != 0) fail("cannot write", errno);
  prepared_ = true;
  return true;
}

void OutputFile::link_unnamed_temporary(const std::string& folder) {
  std::string through_proc = "/proc/self/fd/" + std::to_string(fd_);
  for (unsigned attempt = 0; attempt < 100; ++attempt) {
    std::string name = temp_name_in(folder, attempt);
    // Registered before it exists: a signal between the two removes a name not yet there.
    TemporaryName registered(name);
    int done = ::linkat(AT_FDCWD, through_proc.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW);
    if (done != 0 && errno == ENOENT)  // no /proc: the descriptor itself, where allowed
      done = ::linkat(fd_, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH);
    if (done == 0) {
      temp_path_ = name;
      temp_name_ = std::move(registered);
      return;
    }
    if (errno != EEXIST) fail("cannot create", errno);
  }
  fail("cannot create", EEXIST);
}

void OutputFile::publish() {
  if (!prepared_ || direct_) return;
  if (::rename(temp_path_.c_str(), final_path_.c_str()) != 0) {
    int err = errno;
    discard();
    fail("cannot replace", err);
  }
  temp_name_.release();
  temp_path_.clear();
  prepared_ = false;
}

bool OutputFile::commit() {
  if (!prepare()) return false;
  publish();
  return true;
}

void OutputFile::discard() noexcept {
  if (existing_fd_ >= 0) ::close(existing_fd_);
  existing_fd_ = -1;
  if (fd_ >= 0 && fd_ != STDOUT_FILENO) ::close(fd_);
  fd_ = -1;
  if (!temp_path_.empty()) ::unlink(temp_path_.c_str());
  temp_name_.release();
  temp_path_.clear();
  prepared_ = false;
}

}  // namespace noc::emit
