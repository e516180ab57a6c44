// Times `nocgen verify` of a generated mesh: stand-ins, Verilator's build and the simulation.
// Verilator's build of the model dominates, so one iteration is enough.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "app/soc_generator.h"
#include "app/topology.h"
#include "emit/output_file.h"
#include "verify/verify.h"

namespace {

namespace fs = std::filesystem;

std::string verify_design(int side) {
  fs::path dir = fs::temp_directory_path() / ("noc_soc_verify_bench_" + std::to_string(side));
  fs::create_directories(dir);
  for (const auto& entry : fs::directory_iterator(NOC_EXAMPLE_DIR))
    if (entry.path().filename() != "noc_soc.sv" && entry.path().filename() != "noc_soc.json")
      fs::copy_file(entry.path(), dir / entry.path().filename(),
                    fs::copy_options::overwrite_existing);
  noc::app::TopologyRequest request;
  request.width = request.height = side;
  noc::emit::OutputFile out((dir / "noc_soc.json").string());
  noc::app::write_topology(out, request);
  out.commit();
  noc::soc_generator_noc(dir.string(), "noc_soc.json");
  return dir.string();
}

void BM_Verify(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  noc::verify::VerifyOptions options;
  options.base_dir = verify_design(side);
  noc::verify::VerifyReport report;
  for (auto _ : state) report = noc::verify::verify_top(options);
  if (!report.proven()) state.SkipWithError("the generated top did not verify");
  state.counters["links"] = report.wiring.links_proven;
  state.counters["tiles"] = report.wiring.tiles_proven;
}

}  // namespace

BENCHMARK(BM_Verify)->Arg(8)->Iterations(1)->Unit(benchmark::kSecond);
