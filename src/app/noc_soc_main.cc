// Direct start: generates the bundled example's top module, the tool's "main job".
#include <cstdio>

#include "app/soc_generator.h"
#include "common/error.h"
#include "common/heap_pages.h"
#include "common/termination.h"

#ifndef NOC_SOC_BASE_DIR
#error "NOC_SOC_BASE_DIR must name the example directory"
#endif

int main() {
  noc::prefer_huge_pages_for_the_heap();
  noc::handle_termination_signals();
  try {
    noc::RunSummary summary = noc::soc_generator_noc(NOC_SOC_BASE_DIR, "noc_soc.json");
    std::printf("wrote %s\n", summary.output_path.c_str());
    return 0;
  } catch (const noc::Error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    return 1;
  }
}
