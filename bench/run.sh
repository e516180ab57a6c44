#!/usr/bin/env bash
# Builds the release configuration and prints, per mesh size, the generation time, output size,
# throughput, ratio to the I/O floor and peak resident memory. Each size runs in its own process
# so that the peak memory is that size's own.
set -euo pipefail
cd "$(dirname "$0")/.."
cmake --preset release -DNOC_BUILD_BENCHMARKS=ON >/dev/null
cmake --build --preset release >/dev/null
bench=build/release/bench/noc_soc_bench
printf '%-9s %9s %9s %8s %9s %10s %12s\n' mesh routers ms MB MB/s floor_x peak_RSS_MB
for side in 16 64 128 256; do
  gen=$($bench --benchmark_filter="BM_Generate/$side\$" --benchmark_format=json)
  floor=$($bench --benchmark_filter="BM_IoFloor/$side\$" --benchmark_format=json)
  python3 - "$side" "$gen" "$floor" <<'PY'
import json, sys
side, gen, floor = sys.argv[1], json.loads(sys.argv[2])["benchmarks"][0], json.loads(sys.argv[3])["benchmarks"][0]
ms, floor_ms, mb = gen["real_time"], floor["real_time"], gen["out_MB"]
print(f"{side + 'x' + side:<9} {int(gen['routers']):>9} {ms:>9.1f} {mb:>8.1f} {mb / ms * 1000:>9.0f} "
      f"{ms / floor_ms:>10.1f} {gen['peak_RSS_MB']:>12.0f}")
PY
done

echo
printf '%-14s %9s %8s %9s %13s\n' source_lines ms MB/s ports us_per_kline
for lines in 5000 20000 80000; do
  run=$($bench --benchmark_filter="BM_ExtractSource/$lines\$" --benchmark_format=json)
  python3 - "$lines" "$run" <<'PY'
import json, sys
lines, b = sys.argv[1], json.loads(sys.argv[2])["benchmarks"][0]
print(f"{lines:<14} {b['real_time']:>9.1f} {b['bytes_per_second'] / 1e6:>8.0f} {int(b['ports']):>9} "
      f"{b['us_per_kline']:>13.0f}")
PY
done

echo
printf '%-9s %9s %7s %7s\n' verify seconds links tiles
run=$($bench --benchmark_filter='BM_Verify/8$' --benchmark_format=json)
python3 - "$run" <<'PY'
import json, sys
b = json.loads(sys.argv[1])["benchmarks"][0]
print(f"{'8x8':<9} {b['real_time']:>9.1f} {int(b['links']):>7} {int(b['tiles']):>7}")
PY
