#!/usr/bin/env bash
# Installs what is missing, builds the release configuration and runs the main job: generating
# the bundled example's examples/mesh_2x2/noc_soc.sv, and running the routing example's routers
# under traffic.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh
cmake --preset release >/dev/null
cmake --build --preset release -j "$(nproc)"
./build/release/noc_soc
./build/release/nocgen generate -q --routing auto examples/routing_3x3
./build/release/nocgen traffic examples/routing_3x3
