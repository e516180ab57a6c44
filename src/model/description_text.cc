#include "model/description_text.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "common/input_file.h"

namespace noc::model {
DescriptionText::DescriptionText(std::unique_ptr<const std::string> text)
    : text_(std::move(text)), size_(text_ ? text_->size() : 0) {}

DescriptionText::DescriptionText(DescriptionText&& other) noexcept
    : text_(std::move(other.text_)),
      size_(other.size_),
      fd_(std::exchange(other.fd_, -1)),
      modified_ns_(other.modified_ns_) {}

DescriptionText& DescriptionText::operator=(DescriptionText&& other) noexcept {
  if (this != &other) {
    if (fd_ >= 0) ::close(fd_);
    text_ = std::move(other.text_);
    size_ = other.size_;
    fd_ = std::exchange(other.fd_, -1);
    modified_ns_ = other.modified_ns_;
  }
  return *this;
}

DescriptionText::~DescriptionText() {
  if (fd_ >= 0) ::close(fd_);
}

void DescriptionText::release(const std::string& path) {
  if (!text_ || fd_ >= 0) return;
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return;
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) ||
      static_cast<std::uint64_t>(info.st_size) != size_) {
    ::close(fd);
    return;
  }
  fd_ = fd;
  modified_ns_ = modified_ns(info);
  text_.reset();
}

bool DescriptionText::file_unchanged() const {
  struct stat info;
  return ::fstat(fd_, &info) == 0 && static_cast<std::uint64_t>(info.st_size) == size_ &&
         modified_ns(info) == modified_ns_;
}

bool DescriptionText::read(std::uint64_t begin, std::uint64_t end, std::string& buffer,
                           std::string_view& bytes) const {
  end = std::min(end, size_);
  begin = std::min(begin, end);
  if (text_) {
    bytes = std::string_view(*text_).substr(begin, end - begin);
    return true;
  }
  if (fd_ < 0 || !file_unchanged()) return false;
  buffer.resize(end - begin);
  std::size_t done = 0;
  while (done < buffer.size()) {
    ssize_t n =
        ::pread(fd_, buffer.data() + done, buffer.size() - done, static_cast<off_t>(begin + done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<std::size_t>(n);
  }
  bytes = buffer;
  return true;
}

}  // namespace noc::model
