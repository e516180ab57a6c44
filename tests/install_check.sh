#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds the consumer project against it and runs
# it, then imports the installed Python module.
# Usage: install_check.sh BUILD_DIR SOURCE_DIR WORK_DIR PYTHON
set -euo pipefail
build=$1 source=$2 work=$3 python=$4
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
# build BUILD_DIR: builds, keeping the log in $log; fails the check when the build fails.
build() {
  log=$(cmake --build "$1" 2>&1) || { echo "install check: build failed:" >&2; echo "$log" >&2; exit 1; }
}
# expect STEP yes|no WHAT: whether the last build ran STEP ("Generating", "Using").
expect() {
  if grep -q "$1 noc_top.sv" <<<"$log"; then
    [ "$2" = yes ] || { echo "install check: $3 ran $1 again" >&2; exit 1; }
  else
    [ "$2" = no ] || { echo "install check: $3 did not run $1" >&2; exit 1; }
  fi
}
cp -r "$source/examples/mesh_2x2" "$work/design"
rm -f "$work/design/noc_soc.sv"
# The framework's header lives with the framework; the build finds it through INCLUDE_DIRS.
mkdir -p "$work/framework/include"
mv "$work/design/dbg_config.vh" "$work/framework/include/"
# The list's paths are relative to the folder of the CMakeLists that names it, as a user writes
# a list beside the design's CMakeLists.
echo "+incdir+$(realpath --relative-to="$source/tests/consumer" "$work/framework/include")" \
  >"$work/framework.f"
tile="$work/design/compute_tile.sv"
for generator in Ninja "Unix Makefiles"; do
  consumer="$work/consumer-${generator// /_}"
  cmake -S "$source/tests/consumer" -B "$consumer" -G "$generator" \
    -DCMAKE_PREFIX_PATH="$work/prefix" -DNOC_DESIGN_DIR="$work/design" \
    -DNOC_FRAMEWORK_INCLUDE="$work/framework/include" -DNOC_FILE_LIST="$work/framework.f" >/dev/null
  # The first build generates the top and uses it; a build with nothing changed runs nothing.
  build "$consumer"; expect Generating yes "first build"; expect Using yes "first build"
  test -s "$consumer/noc_top.sv"
  grep -q "framework/include/dbg_config.vh" "$consumer/noc_top.sv.d" ||
    { echo "install check: the header was not read through INCLUDE_DIRS" >&2; exit 1; }
  build "$consumer"; expect Generating no "build without a change"; expect Using no "build without a change"
  # Touching the tile without changing it may run the generator again (make does, while the tile
  # is newer than the top), but the top keeps its time stamp and nothing downstream runs.
  sleep 1
  touch "$tile"
  build "$consumer"; expect Using no "build after touching the tile source"
  build "$consumer"; expect Using no "second build after the touch"
  # A warning (an inout port the top leaves open) fails the build and leaves the top alone.
  stamp=$(stat -c %Y.%s "$consumer/noc_top.sv")
  cp "$tile" "$work/tile.orig"
  sed -i 's/(input clk,/(inout io, input clk,/' "$tile"
  if cmake --build "$consumer" >"$work/warned.log" 2>&1; then
    echo "install check: a warning did not fail the build" >&2; exit 1
  fi
  grep -q "NOC112" "$work/warned.log" || { echo "install check: the warning was not shown" >&2; exit 1; }
  [ "$(stat -c %Y.%s "$consumer/noc_top.sv")" = "$stamp" ] ||
    { echo "install check: a failed build touched the top" >&2; exit 1; }
  if cmake --build "$consumer" >/dev/null 2>&1; then
    echo "install check: the second build after a warning passed" >&2; exit 1
  fi
  # ALLOW_WARNINGS generates anyway; its header comes through the file list.
  cmake --build "$consumer" --target lenient >/dev/null 2>&1 ||
    { echo "install check: ALLOW_WARNINGS did not generate" >&2; exit 1; }
  grep -q "framework/include/dbg_config.vh" "$consumer/noc_top_lenient.sv.d" ||
    { echo "install check: the header was not read through FILE_LISTS" >&2; exit 1; }
  cp "$work/tile.orig" "$tile"
  build "$consumer"; expect Using no "build after the warning is gone"
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
