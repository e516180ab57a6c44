#include "common/input_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <ctime>
#include <new>
#include <utility>

#include "common/error.h"
#include "common/source_tree.h"

namespace noc {
namespace {

std::string real_path(const std::string& path) {
  char resolved[PATH_MAX];
  return ::realpath(path.c_str(), resolved) ? std::string(resolved) : std::string();
}

bool is_inside(const std::string& dir, const std::string& path) {
  if (dir == "/") return true;
  return path == dir || (path.size() > dir.size() && path.compare(0, dir.size(), dir) == 0 &&
                         path[dir.size()] == '/');
}

}  // namespace

std::uint64_t max_input_bytes() {
  if (const char* limit = std::getenv("NOC_SOC_MAX_INPUT_BYTES")) {
    char* end = nullptr;
    errno = 0;
    unsigned long long value = std::strtoull(limit, &end, 10);
    bool digits_only = *limit >= '0' && *limit <= '9' && *end == '\0' && errno == 0;
    if (!digits_only || value == 0)
      throw Error("NOC_SOC_MAX_INPUT_BYTES is \"" + std::string(limit) +
                  "\"; give the largest input file to read as a positive number of bytes, or "
                  "unset it for 1 GiB");
    return value;
  }
  return std::uint64_t{1} << 30;
}

std::int64_t modified_ns(const struct ::stat& info) {
  return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec;
}

bool read_file_version(const std::string& path, FileVersion& version) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) return false;
  version.device = info.st_dev;
  version.inode = info.st_ino;
  version.size = static_cast<std::uint64_t>(info.st_size);
  version.modified_ns = modified_ns(info);
  version.changed_ns =
      static_cast<std::int64_t>(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec;
  return true;
}

bool changed_moments_ago(const FileVersion& version) {
  struct timespec now;
  ::clock_gettime(CLOCK_REALTIME, &now);
  std::int64_t now_ns = static_cast<std::int64_t>(now.tv_sec) * 1000000000 + now.tv_nsec;
  return now_ns - version.changed_ns < std::int64_t{2} * 1000000000;
}

InputFile::~InputFile() {
  if (fd >= 0) ::close(fd);
}

InputFile::InputFile(InputFile&& other) noexcept
    : fd(std::exchange(other.fd, -1)), size(other.size), modified_ns(other.modified_ns) {}

InputFile open_input_file(const std::string& path, const char* what) {
  // O_NONBLOCK: opening a FIFO for reading would otherwise wait for a writer forever.
  InputFile file;
  file.fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (file.fd < 0) throw file_error(std::string("cannot open the ") + what, path, errno);
  struct stat info;
  if (::fstat(file.fd, &info) != 0)
    throw file_error(std::string("cannot read the ") + what, path, errno);
  if (!S_ISREG(info.st_mode))
    throw Error(std::string("the ") + what +
                    " is not a regular file (a directory, FIFO, device or socket); only files are "
                    "read",
                path);
  file.size = static_cast<std::uint64_t>(info.st_size);
  file.modified_ns = modified_ns(info);
  if (file.size > max_input_bytes())
    throw Error(std::string("the ") + what + " is " + std::to_string(file.size) +
                    " bytes, more than the " + std::to_string(max_input_bytes()) +
                    " bytes read at most (NOC_SOC_MAX_INPUT_BYTES sets the limit)",
                path);
  return file;
}

std::string read_input_file(const std::string& path, const char* what) {
  InputFile file = open_input_file(path, what);
  std::string text;
  try {
    text.resize(static_cast<std::size_t>(file.size));
  } catch (const std::bad_alloc&) {
    throw Error("out of memory while reading " + path, path);
  }
  std::size_t done = 0;
  while (done < text.size()) {
    ssize_t n = ::pread(file.fd, text.data() + done, text.size() - done, static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) throw file_error(std::string("cannot read the ") + what, path, errno);
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  text.resize(done);
  return text;
}

bool stays_below(const std::string& base_dir, const std::string& path) {
  std::string base = real_path(base_dir);
  std::string normal = absolute_path(path);
  std::string base_lexical = absolute_path(base_dir);
  if (base.empty() || !is_inside(base_lexical, normal)) return false;
  std::size_t slash = normal.rfind('/');
  std::string dir = real_path(slash == 0 ? "/" : normal.substr(0, slash));
  return !dir.empty() && is_inside(base, dir);
}

}  // namespace noc
