#!/usr/bin/env bash
# Installs what is missing, builds the debug configuration with warnings as errors and runs every
# test (unit, golden, Verilator lint and simulation).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset debug >/dev/null
cmake --build --preset debug -j2
ctest --preset debug
