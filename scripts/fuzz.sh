#!/usr/bin/env bash
# Builds the libFuzzer targets (clang, address and undefined sanitizers) and runs each one for
# SECONDS seconds (default 60) from the seed corpus in fuzz/corpus/. Any crash, leak, timeout or
# exception other than the generator's own error fails the run; the input is left in build/fuzz/.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$(nproc)"
for target in description extractor pipeline; do
  work=build/fuzz/corpus_$target
  mkdir -p "$work"
  echo "fuzz: $target for ${seconds}s"
  (cd build/fuzz && ./fuzz/${target}_fuzz -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
     -max_len=65536 -print_final_stats=1 "corpus_$target" "../../fuzz/corpus/$target" 2>"fuzz_$target.log") || {
    tail -n 40 "build/fuzz/fuzz_$target.log"
    echo "fuzz: $target found a problem" >&2
    exit 1
  }
  grep -E "stat::number_of_executed_units|stat::peak_rss_mb" "build/fuzz/fuzz_$target.log" | sed "s/^/  /"
done
