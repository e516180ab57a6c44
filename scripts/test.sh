#!/usr/bin/env bash
# Installs what is missing, then runs every test: the format check, the debug build's suite
# (unit, golden, Python, command line, install, Verilator lint and simulation), the C++ suite
# again under the address and undefined-behaviour sanitizers, and a short bounded fuzzing run of
# each libFuzzer target.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
jobs=$(nproc)
scripts/format.sh --check
cmake --preset debug >/dev/null
cmake --build --preset debug -j "$jobs"
ctest --preset debug -j "$jobs"
cmake --preset asan-ubsan >/dev/null
cmake --build --preset asan-ubsan -j "$jobs"
ctest --preset asan-ubsan -j "$jobs"
scripts/fuzz.sh "${NOC_FUZZ_SECONDS:-60}"
