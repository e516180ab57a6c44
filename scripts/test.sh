#!/usr/bin/env bash
# Installs what is missing, then runs every test: the debug build's suite (unit, golden, Python,
# command line, install, Verilator lint and simulation), the same suite under the address and
# undefined-behaviour sanitizers, and a short bounded fuzzing run of each libFuzzer target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset debug >/dev/null
cmake --build --preset debug
ctest --preset debug
cmake --preset asan-ubsan >/dev/null
cmake --build --preset asan-ubsan
ctest --preset asan-ubsan
scripts/fuzz.sh "${NOC_FUZZ_SECONDS:-60}"
