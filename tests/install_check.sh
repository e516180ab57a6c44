#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds the consumer project against it and runs
# it, then imports the installed Python module.
# Usage: install_check.sh BUILD_DIR SOURCE_DIR WORK_DIR PYTHON
set -euo pipefail
build=$1 source=$2 work=$3 python=$4
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
# expect_generation yes|no BUILD_DIR WHAT: builds and checks whether the top was generated.
expect_generation() {
  local log
  log=$(cmake --build "$2")
  if grep -q "Generating noc_top.sv" <<<"$log"; then
    [ "$1" = yes ] || { echo "install check: $3 generated the top again" >&2; exit 1; }
  else
    [ "$1" = no ] || { echo "install check: $3 did not generate the top" >&2; exit 1; }
  fi
}
cp -r "$source/examples/mesh_2x2" "$work/design"
rm -f "$work/design/noc_soc.sv"
for generator in Ninja "Unix Makefiles"; do
  consumer="$work/consumer-${generator// /_}"
  cmake -S "$source/tests/consumer" -B "$consumer" -G "$generator" \
    -DCMAKE_PREFIX_PATH="$work/prefix" -DNOC_DESIGN_DIR="$work/design" >/dev/null
  # The first build generates the top; a build with nothing changed runs nothing; touching the
  # tile source generates it again, and the build after that runs nothing again.
  expect_generation yes "$consumer" "first build"
  test -s "$consumer/noc_top.sv"
  expect_generation no "$consumer" "build without a change"
  sleep 1
  touch "$work/design/compute_tile.sv"
  expect_generation yes "$consumer" "build after touching the tile source"
  expect_generation no "$consumer" "second build after the touch"
done
consumer="$work/consumer-Ninja"
"$consumer/consumer" "$work/design" | grep -qx "4 routers"
test -s "$work/design/noc_soc.sv"
test -x "$work/prefix/bin/nocgen"
test -f "$work/prefix/share/noc_soc/noc_soc.schema.json"
module=$(find "$work/prefix" -name 'noc_soc.cpython-*.so' | head -n 1)
test -n "$module"
PYTHONPATH=$(dirname "$module") "$python" -c "import noc_soc; noc_soc.ExtractRtl" 
echo "install check passed"
