#pragma once

#include <cstdint>
#include <string>

struct stat;

namespace noc {

/// A file's modification time from its status, in nanoseconds: with its size, what says that
/// a file read earlier is still the one read.
std::int64_t modified_ns(const struct ::stat& info);

/// What tells one version of a file from another without reading it: where it is and its size,
/// modification and change times. The change time cannot be set back by anyone, but two
/// writes within one tick of the file system's clock leave all of it the same.
struct FileVersion {
  std::uint64_t device = 0, inode = 0, size = 0;
  std::int64_t modified_ns = 0, changed_ns = 0;
  bool operator==(const FileVersion&) const = default;
};

/// The version of the file at `path` now; nothing when it cannot be read.
bool read_file_version(const std::string& path, FileVersion& version);

/// Whether the file changed so recently (its change time within two seconds of now, the
/// coarsest tick of a file system in use) that a rewrite of the same length now would leave its
/// version as it is: what was read of it is then checked against its text.
bool changed_moments_ago(const FileVersion& version);

/// The largest input file read: 1 GiB, or NOC_SOC_MAX_INPUT_BYTES when that is set (tests use a
/// small one). A description or source is held whole in memory while it is read.
std::uint64_t max_input_bytes();

/// An input file opened for reading, closed with the object.
struct InputFile {
  InputFile() = default;
  InputFile(InputFile&& other) noexcept;
  InputFile& operator=(InputFile&&) = delete;
  ~InputFile();

  /// Hands the descriptor over; the object then closes nothing.
  int release() {
    int taken = fd;
    fd = -1;
    return taken;
  }

  int fd = -1;
  std::uint64_t size = 0;        ///< when it was opened
  std::int64_t modified_ns = 0;  ///< its modification time then
};

/// Opens an input file with the checks of read_input_file() (a regular file, within
/// max_input_bytes()), for a reader that reads it piece by piece.
InputFile open_input_file(const std::string& path, const char* what);

/// Reads a whole input file (`what` names it in messages: "description", "source file"). Only a
/// regular file is read, after following links: a FIFO, device, socket or directory is refused
/// without blocking on it, and so is a file above max_input_bytes(). Running out of memory is
/// "out of memory while reading FILE". Every error names the file.
std::string read_input_file(const std::string& path, const char* what);

/// Whether `path`, made absolute and normalised, lies below `base_dir` once the links among the
/// directories it names are resolved (the file itself may be a link). No file outside is opened
/// or even looked at, so the answer tells nothing about what exists outside.
bool stays_below(const std::string& base_dir, const std::string& path);

}  // namespace noc
