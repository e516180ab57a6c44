#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace noc::model {

/// The text of a description, for placing messages: held in memory, or, once released, read
/// again from the file it came from. A large description's text is the largest block of a run
/// and is needed only for the few messages printed, so a loaded description lets it go as soon
/// as its names are copied out, and the writer's tables take its place in memory.
class DescriptionText {
 public:
  DescriptionText() = default;
  explicit DescriptionText(std::unique_ptr<const std::string> text);
  /// The text of the open file `fd` (owned from here on), as it was when it was read: `size`
  /// bytes, modified at `modified_ns`.
  DescriptionText(int fd, std::uint64_t size, std::int64_t modified_ns)
      : size_(size), fd_(fd), modified_ns_(modified_ns) {}
  DescriptionText(DescriptionText&&) noexcept;
  DescriptionText& operator=(DescriptionText&&) noexcept;
  ~DescriptionText();

  /// Lets go of the text when `path` can be read again: the file is kept open, so that an
  /// editor's save by rename leaves what it reads as it was. A file that cannot be opened, or
  /// whose length is no longer the text's, keeps the text in memory.
  void release(const std::string& path);
  bool held() const { return text_ != nullptr; }
  /// The held text; empty once released.
  std::string_view held_text() const {
    return text_ ? std::string_view(*text_) : std::string_view();
  }
  std::uint64_t size() const { return size_; }

  /// The bytes from `begin` to `end` (both clamped to the size): a view of the held text, or of
  /// `buffer` read from the file. False when the file has changed since it was read (its length
  /// or modification time) or cannot be read: a message is then better without a place than
  /// with a wrong one.
  bool read(std::uint64_t begin, std::uint64_t end, std::string& buffer,
            std::string_view& bytes) const;

 private:
  bool file_unchanged() const;

  std::unique_ptr<const std::string> text_;
  std::uint64_t size_ = 0;
  int fd_ = -1;
  std::int64_t modified_ns_ = 0;  ///< the file's modification time when it was read
};

}  // namespace noc::model
