#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "common/termination.h"
#include "emit/text_sink.h"

namespace noc::emit {

/// An output file, replaced only when it is complete. The text goes to an unnamed file in the
/// final file's folder (O_TMPFILE), which is given a short temporary name only at the end and
/// renamed over the final name, keeping the permission bits of the file it replaces: a run
/// ended at any point, even by SIGKILL, leaves the old file as it was and nothing beside it.
/// Where the file system has no unnamed files, the temporary file is named ".nocgen-PID-XXXXXX"
/// from the start, and the ones a killed run left behind are removed by the next run that
/// writes into that folder. A final name that is a symbolic link to a regular file is replaced
/// by the new file; the link's target is not written. "-" means standard output, and an
/// existing path that is not a regular file (a device, a FIFO, /dev/stdout) is written into as
/// it is: neither can be replaced.
class OutputFile : public TextSink {
 public:
  /// `what` names the file in messages: "output file", "depfile".
  explicit OutputFile(std::string final_path, std::string what = "output file");
  ~OutputFile() override;
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& final_path() const { return final_path_; }

  /// Compares the text with the existing file while it is written; when the two are the same,
  /// the existing file is left alone, time stamp included. Nothing is written while the texts
  /// agree: from the first block that differs on, the text goes to the new file, and the part
  /// skipped is written by write_skipped_start() from the new text made again, never copied
  /// from the old file, whatever happens to that one meanwhile.
  void compare_with_existing();

  /// Ends the comparison: whether the existing file holds the same text.
  bool same_as_existing();
  /// How many bytes from the start were skipped while the texts agreed and must be written
  /// again (after same_as_existing() said false).
  std::uint64_t skipped() const { return skipped_; }
  /// Writes `block`, the text at `offset`, into the part skipped.
  void write_skipped(std::string_view block, std::uint64_t offset);

  /// Called before each block is written: a caller that can be interrupted (Python's Ctrl-C)
  /// throws from it, and the old file stays as it was.
  void check_between_blocks(std::function<void()> check) { check_ = std::move(check); }

  /// The open file, for a child process that writes the content itself (Graphviz); the text
  /// written through the sink so far is flushed first, and no comparison is made.
  int descriptor();

  /// Makes the file complete under its temporary name, with every step that can fail done:
  /// false when the existing file already holds the same text and nothing is to be replaced.
  bool prepare();
  /// Renames the prepared file over the final name.
  void publish();
  /// prepare() and publish(): whether the final file was replaced.
  bool commit();

 protected:
  void drain(std::string_view block) override;

 private:
  void open_named_temporary(const std::string& folder, int mode);
  void link_unnamed_temporary(const std::string& folder);
  void discard() noexcept;
  bool block_matches_existing(std::string_view block);
  void write_all(const char* data, std::size_t size);
  void reserve_ahead(std::size_t size);
  [[noreturn]] void fail(const char* what_failed, int err) const;

  std::string final_path_;
  std::string what_;
  std::string temp_path_;    ///< the temporary name, once it has one
  TemporaryName temp_name_;  ///< where a signal handler finds temp_path_
  int fd_ = -1;
  int create_errno_ = 0;  ///< why no temporary file could be made (a read-only folder)
  bool direct_ = false;   ///< written into as it is: standard output, a device or a FIFO
  bool prepared_ = false;
  int existing_fd_ = -1;       ///< the old file while the new text still agrees with it
  std::uint64_t matched_ = 0;  ///< bytes compared and found equal
  std::vector<char> scratch_;  ///< the old file's block being compared
  std::function<void()> check_;
  std::uint64_t skipped_ = 0;  ///< bytes at the start not yet written
  std::uint64_t skipped_written_ = 0;
  std::uint64_t position_ = 0;       ///< the file offset the next write goes to
  std::uint64_t reserved_ = 0;       ///< bytes the file system holds for the file
  std::uint64_t existing_size_ = 0;  ///< the old file's, which the new text likely matches
  bool reserve_failed_ = false;
};

/// Writes the start that an OutputFile skipped while it agreed with the existing file, by
/// running `write` (the writer that made the text, given a sink) again up to that point: the
/// writer is a function of its plan, so the same bytes come out, and no more of the text is
/// made than was skipped. Call it after the first run of the writer, before prepare().
template <typename Write>
void write_skipped_start(OutputFile& out, Write write);

namespace detail {
/// The sink of that second run: it writes into the skipped part and stops the writer, by
/// throwing Complete, once the part is full.
class SkippedStartSink : public TextSink {
 public:
  struct Complete {};
  explicit SkippedStartSink(OutputFile& out) : out_(out) {}

 protected:
  void drain(std::string_view block) override;

 private:
  OutputFile& out_;
  std::uint64_t at_ = 0;
};
}  // namespace detail

template <typename Write>
void write_skipped_start(OutputFile& out, Write write) {
  out.flush();
  if (out.same_as_existing() || out.skipped() == 0) return;
  detail::SkippedStartSink sink(out);
  try {
    write(static_cast<TextSink&>(sink));
    sink.flush();
  } catch (const detail::SkippedStartSink::Complete&) {
  }
}

}  // namespace noc::emit
