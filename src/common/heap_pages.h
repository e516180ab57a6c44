#pragma once

namespace noc {

/// Asks the kernel to back the heap with huge pages where it can (Linux with glibc; elsewhere
/// nothing). A large network is held as hundreds of thousands of small objects: with 4 KiB pages
/// the command spent a third of its time in page faults and TLB misses, with 2 MiB pages it
/// spends a fraction of that. Call it first thing in main(), before the heap is in use.
void prefer_huge_pages_for_the_heap();

}  // namespace noc
