#!/usr/bin/env bash
# Installs the build into a temporary prefix, builds the consumer project against it and runs
# it, then imports the installed Python module.
# Usage: install_check.sh BUILD_DIR SOURCE_DIR WORK_DIR PYTHON
set -euo pipefail
build=$1 source=$2 work=$3 python=$4
rm -rf "$work"
mkdir -p "$work"
cmake --install "$build" --prefix "$work/prefix" >/dev/null
cmake -S "$source/tests/consumer" -B "$work/consumer" -G Ninja \
  -DCMAKE_PREFIX_PATH="$work/prefix" >/dev/null
cmake --build "$work/consumer" >/dev/null
cp -r "$source/examples/mesh_2x2" "$work/design"
rm -f "$work/design/noc_soc.sv"
"$work/consumer/consumer" "$work/design" | grep -qx "4 routers"
test -s "$work/design/noc_soc.sv"
test -x "$work/prefix/bin/nocgen"
test -f "$work/prefix/share/noc_soc/noc_soc.schema.json"
module=$(find "$work/prefix" -name 'noc_soc.cpython-*.so' | head -n 1)
test -n "$module"
PYTHONPATH=$(dirname "$module") "$python" -c "import noc_soc; noc_soc.ExtractRtl" 
echo "install check passed"
