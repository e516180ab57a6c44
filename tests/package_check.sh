#!/usr/bin/env bash
# Builds the Debian package from a configured build directory and runs lintian on it: errors
# fail the check, warnings are printed.
# Usage: package_check.sh BUILD_DIR WORK_DIR
set -euo pipefail
build=$1 work=$2
rm -rf "$work"
mkdir -p "$work"
(cd "$work" && cpack --config "$build/CPackConfig.cmake" -B "$work" >/dev/null)
deb=$(ls "$work"/noc-soc_*.deb)
grep -q "python3 (>= 3.11)" <<<"$(dpkg-deb -f "$deb" Depends)"
if grep -q ";" <<<"$(dpkg-deb -f "$deb" Description)"; then
  echo "package check: the description holds a list separator" >&2
  exit 1
fi
contents=$(dpkg-deb -c "$deb")
grep -q "usr/share/man/man1/nocgen.1.gz" <<<"$contents"
grep -q "usr/share/bash-completion/completions/nocgen" <<<"$contents"
if grep -q "usr/bin/noc_soc$" <<<"$contents"; then
  echo "package check: the direct-start program must not be packaged" >&2
  exit 1
fi
lintian --fail-on error "$deb" 2>&1 | grep -v "root privileges" || true
lintian --fail-on error "$deb" >/dev/null 2>&1
echo "package check passed: $(basename "$deb")"
