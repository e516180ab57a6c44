#include "common/heap_pages.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__) && defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace noc {

void prefer_huge_pages_for_the_heap() {
#if defined(__GLIBC__) && defined(__linux__) && defined(MADV_HUGEPAGE)
  // The heap grows by a large pad at once and never shrinks back, so one advice covers every
  // later allocation; blocks up to 32 MiB come from the heap rather than from their own maps.
  // The pad is address space only: pages are used when they are touched.
  constexpr int kPad = 1 << 30;
  constexpr std::uintptr_t kHugePage = std::uintptr_t{1} << 21;
  // glibc's own settings.
  constexpr int kDefaultPad = 128 << 10, kDefaultTrim = 128 << 10, kDefaultMmap = 128 << 10;
  // Under an address-space limit (ulimit -v) the pad may not fit: the heap then stays as it is,
  // for a pad left set would make every later growth of the heap fail.
  auto plain_heap = [] {
    mallopt(M_TOP_PAD, kDefaultPad);
    mallopt(M_TRIM_THRESHOLD, kDefaultTrim);
    mallopt(M_MMAP_THRESHOLD, kDefaultMmap);
  };
  if (mallopt(M_TOP_PAD, kPad) == 0 || mallopt(M_TRIM_THRESHOLD, kPad) == 0 ||
      mallopt(M_MMAP_THRESHOLD, 32 << 20) == 0)
    return plain_heap();
  void* probe = std::malloc(1 << 20);  // more than the heap has left: it grows by the pad
  void* end_before = ::sbrk(0);
  if (!probe ||
      reinterpret_cast<std::uintptr_t>(end_before) - reinterpret_cast<std::uintptr_t>(probe) <
          kPad / 2) {
    std::free(probe);
    return plain_heap();
  }
  auto begin = (reinterpret_cast<std::uintptr_t>(probe) + kHugePage - 1) & ~(kHugePage - 1);
  auto end = reinterpret_cast<std::uintptr_t>(end_before) & ~(kHugePage - 1);
  if (end > begin) ::madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
  std::free(probe);
  // Growth past the pad, for designs larger than it, asks only for what it needs.
  mallopt(M_TOP_PAD, kDefaultPad);
#endif
}

}  // namespace noc
