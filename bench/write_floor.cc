// The floor under generation's write: the same bytes, written in the writer's block size to a
// fresh file whose blocks are reserved ahead, as the generator writes its top. Prints the
// milliseconds from creating the file to closing it; the input is read first, untimed.
// Usage: write_floor INPUT OUTPUT
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: write_floor INPUT OUTPUT\n");
    return 2;
  }
  std::ifstream in(argv[1], std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  constexpr std::size_t kBlock = 1 << 20;
  auto start = std::chrono::steady_clock::now();
  int fd = ::open(argv[2], O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0 || ::fallocate(fd, 0, 0, static_cast<off_t>(text.size())) != 0) {
    std::perror(argv[2]);
    return 1;
  }
  for (std::size_t at = 0; at < text.size(); at += kBlock) {
    std::size_t size = std::min(kBlock, text.size() - at);
    if (::write(fd, text.data() + at, size) != static_cast<ssize_t>(size)) {
      std::perror(argv[2]);
      return 1;
    }
  }
  if (::close(fd) != 0) return 1;
  auto ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start);
  std::printf("%.1f\n", ms.count());
  return 0;
}
