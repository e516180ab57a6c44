#include "common/file_window.h"

#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace noc {

FileWindow::FileWindow(int fd, std::size_t block)
    : fd_(fd), buffer_(new char[block]), capacity_(block) {}

bool FileWindow::refill(std::size_t keep, std::string_view& text, std::size_t& shift) {
  shift = 0;
  if (at_end_ || failed_) return false;
  keep = keep < size_ ? keep : size_;
  shift = keep;
  std::memmove(buffer_.get(), buffer_.get() + keep, size_ - keep);
  size_ -= keep;
  base_ += keep;
  if (size_ == capacity_) {
    // One token fills the whole window: it grows, keeping the token whole.
    std::unique_ptr<char[]> larger(new char[capacity_ * 2]);
    std::memcpy(larger.get(), buffer_.get(), size_);
    buffer_ = std::move(larger);
    capacity_ *= 2;
  }
  std::size_t before = size_;
  while (size_ < capacity_) {
    ssize_t n =
        ::pread(fd_, buffer_.get() + size_, capacity_ - size_, static_cast<off_t>(base_ + size_));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      failed_ = true;
      break;
    }
    if (n == 0) {
      at_end_ = true;
      break;
    }
    digest_.add(std::string_view(buffer_.get() + size_, static_cast<std::size_t>(n)));
    size_ += static_cast<std::size_t>(n);
  }
  text = std::string_view(buffer_.get(), size_);
  return size_ > before;
}

}  // namespace noc
