#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "emit/text_sink.h"

namespace noc::emit {

/// The output file, replaced only when it is complete: text goes to a temporary file beside the
/// final one, and commit() renames it over the final name, keeping the permission bits of the
/// file it replaces. A run that fails (or an object destroyed without commit) removes the
/// temporary file, so an earlier output stays byte for byte as it was. A final name that is a
/// symbolic link to a regular file is replaced by the new file; the link's target is not written.
/// "-" means standard output, and an existing path that is not a regular file (a device, a FIFO,
/// /dev/stdout) is written into as it is: neither can be replaced.
class OutputFile : public TextSink {
 public:
  explicit OutputFile(std::string final_path);
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& final_path() const { return final_path_; }
  const std::string& temp_path() const { return temp_path_; }

  /// Compares the text with the existing file while it is written, before anything else is
  /// written: as long as the two agree nothing goes to the temporary file, and an identical
  /// text costs one read of the old file instead of a write and two reads.
  void compare_with_existing();

  /// Puts the new file in place. With `keep_identical`, an existing file that already holds the
  /// same bytes is left alone, time stamp included, and the result is false.
  bool commit(bool keep_identical = false);

 protected:
  void drain(std::string_view block) override;

 private:
  void discard() noexcept;
  bool final_file_equals_temp() const;
  bool block_matches_existing(std::string_view block);
  void stop_comparing();
  void write_all(const char* data, std::size_t size);

  std::string final_path_;
  std::string temp_path_;
  int fd_ = -1;
  int slot_ = -1;              ///< where a signal handler finds temp_path_
  bool direct_ = false;        ///< written into as it is: standard output, a device or a FIFO
  int existing_fd_ = -1;       ///< the old file while the text still agrees with it
  std::uint64_t matched_ = 0;  ///< bytes that agree and are not yet in the temporary file
  std::vector<char> scratch_;  ///< the old file's block being compared
};

/// Removes the temporary files of the output files being written, from a signal handler: it
/// only calls unlink. The command-line entries call it on SIGINT, SIGTERM and SIGHUP before they
/// end with the signal, so that an interrupted run leaves nothing behind.
void remove_temporary_files_on_signal() noexcept;

/// Installs handlers for SIGINT, SIGTERM and SIGHUP that remove the temporary output files and
/// then end the process with the signal's usual status.
void clean_up_on_termination_signals();

}  // namespace noc::emit
