#!/usr/bin/env bash
# Builds the release configuration and prints the speed tables:
#  1. nocgen generate as a process on square meshes next to cp of the same output (wall and CPU
#     ratios; a cold run after the machine was idle and a run replacing a different top, each
#     against cp doing the same; the write-only floor of bench/write_floor; time per router,
#     peak memory, check and an unchanged generate);
#  2. the whole operation in one process (Google Benchmark), per router, without process start;
#  3. the extractor on long sources;
#  4. nocgen verify of a 2x2, an 8x8 and a 16x16 mesh, cold and warm (and an earlier build's, given
#     NOC_BENCH_OLD_NOCGEN);
#  5. nocgen traffic on a 4x4 and an 8x8 mesh of the routing example: all-pairs, and a sweep.
# NOC_BENCH_SIZES overrides the mesh sizes of table 1 (default 16 64 128 256 512).
# NOC_BENCH_OLD_NOCGEN names an earlier build's nocgen: tables 1 and 4 time it beside this one.
# NOC_BENCH_OLD_BENCH names an earlier build's noc_soc_bench: table 2 times it beside this one.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release -DNOC_BUILD_BENCHMARKS=ON >/dev/null
cmake --build --preset release >/dev/null
bench=build/release/bench/noc_soc_bench

# shellcheck disable=SC2086
python3 bench/speed_table.py build/release/nocgen examples/mesh_2x2 ${NOC_BENCH_SIZES:-16 64 128 256 512}

# One row of the in-process table: the bench binary $1 on a side×side mesh, labelled $3.
in_process_row() {
  local gen
  gen=$("$1" --benchmark_filter="BM_Generate/$2\$" --benchmark_format=json)
  python3 - "$3" "$gen" <<'PY'
import json, sys
label, gen = sys.argv[1], json.loads(sys.argv[2])["benchmarks"][0]
print(f"{label:<9} {int(gen['routers']):>9} {gen['real_time']:>9.1f} "
      f"{gen['real_time'] * 1000 / gen['routers']:>10.2f} {gen['peak_RSS_MB']:>12.0f}")
PY
}

echo
printf '%-9s %9s %9s %10s %12s\n' in_process routers ms us_per_rtr peak_RSS_MB
for side in 16 64 128 256; do
  in_process_row "$bench" "$side" "${side}x${side}"
  if [ -n "${NOC_BENCH_OLD_BENCH:-}" ]; then in_process_row "$NOC_BENCH_OLD_BENCH" "$side" "  old"; fi
done

echo
printf '%-14s %9s %8s %9s %13s\n' source_lines ms MB/s ports us_per_kline
for lines in 5000 20000 80000; do
  run=$($bench --benchmark_filter="BM_ExtractSource/$lines\$" --benchmark_format=json)
  python3 - "$lines" "$run" <<'PY'
import json, sys
lines, b = sys.argv[1], json.loads(sys.argv[2])["benchmarks"][0]
# The counter is a rate inverted: seconds per thousand lines.
print(f"{lines:<14} {b['real_time']:>9.1f} {b['bytes_per_second'] / 1e6:>8.0f} {int(b['ports']):>9} "
      f"{b['us_per_kline'] * 1e6:>13.0f}")
PY
done

echo
python3 bench/verify_table.py build/release/nocgen examples/mesh_2x2 ${NOC_BENCH_OLD_NOCGEN:-}

echo
python3 bench/traffic_table.py build/release/nocgen examples/routing_3x3
