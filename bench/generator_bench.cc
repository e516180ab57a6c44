// Times the whole generation of square meshes, one tile per router, next to the time of
// streaming the same number of bytes to a file (the I/O floor the generator cannot beat).
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/soc_generator.h"
#include "app/topology.h"
#include "common/heap_pages.h"
#include "emit/output_file.h"

namespace {

namespace fs = std::filesystem;

// A design directory with the bundled sources and a side x side mesh description, made once.
std::string design_dir(int side) {
  fs::path dir = fs::temp_directory_path() / ("noc_soc_bench_" + std::to_string(side));
  if (!fs::exists(dir / "noc_soc.json")) {
    fs::create_directories(dir);
    for (const char* name : {"noc_router.sv", "compute_tile.sv"})
      fs::copy_file(fs::path(NOC_EXAMPLE_DIR) / name, dir / name,
                    fs::copy_options::overwrite_existing);
    noc::app::TopologyRequest request;
    request.width = request.height = side;
    noc::emit::OutputFile out((dir / "noc_soc.json").string());
    noc::app::write_topology(out, request);
    out.commit();
  }
  return dir.string();
}

double peak_rss_mb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

void BM_Generate(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const std::string dir = design_dir(side);
  noc::RunSummary summary;
  for (auto _ : state) summary = noc::soc_generator_noc(dir, "noc_soc.json");
  state.SetBytesProcessed(static_cast<std::int64_t>(summary.bytes) * state.iterations());
  state.counters["routers"] = static_cast<double>(summary.routers);
  state.counters["out_MB"] = static_cast<double>(summary.bytes) / 1e6;
  state.counters["us_per_router"] = benchmark::Counter(
      static_cast<double>(summary.routers) * static_cast<double>(state.iterations()),
      benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
  state.counters["peak_RSS_MB"] = peak_rss_mb();
}

// Writes as many bytes as the generator's output for that size, in the generator's block size,
// to a fresh file that is then renamed into place, as the generator does.
void BM_IoFloor(benchmark::State& state) {
  const int side = static_cast<int>(state.range(0));
  const std::string dir = design_dir(side);
  const std::uint64_t bytes = noc::soc_generator_noc(dir, "noc_soc.json").bytes;
  const std::string block(1 << 16, 'x');
  const std::string temp = dir + "/floor.tmp", final_path = dir + "/floor.sv";
  for (auto _ : state) {
    int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    for (std::uint64_t done = 0; done < bytes; done += block.size())
      if (write(fd, block.data(), std::min<std::uint64_t>(block.size(), bytes - done)) < 0) break;
    close(fd);
    std::rename(temp.c_str(), final_path.c_str());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes) * state.iterations());
}

}  // namespace

BENCHMARK(BM_Generate)
    ->Arg(16)
    ->Arg(64)
    ->Arg(128)
    ->Arg(256)
    ->Arg(512)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_IoFloor)
    ->Arg(16)
    ->Arg(64)
    ->Arg(128)
    ->Arg(256)
    ->Arg(512)
    ->Unit(benchmark::kMillisecond);

// The command-line entries ask for huge pages for the heap first; so does the benchmark, so that
// it measures what users get.
int main(int argc, char** argv) {
  noc::prefer_huge_pages_for_the_heap();
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
