// Test driver: runs the generator on a given base directory.
#include <cstdio>

#include "app/soc_generator.h"
#include "common/error.h"

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: noc_soc_run BASE_DIR [DESCRIPTION]\n");
    return 2;
  }
  try {
    noc::soc_generator_noc(argv[1], argc == 3 ? argv[2] : "noc_soc.json");
    return 0;
  } catch (const noc::Error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
