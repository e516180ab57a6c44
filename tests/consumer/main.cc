// Generates the top module of the design directory given as the argument.
#include <cstdio>

#include <noc_soc/app/soc_generator.h>
#include <noc_soc/common/error.h>

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  try {
    noc::RunSummary summary = noc::soc_generator_noc(argv[1], "noc_soc.json");
    std::printf("%zu routers\n", summary.routers);
    return 0;
  } catch (const noc::Error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
