#!/usr/bin/env bash
# Formats the C++ sources with the repository's .clang-format; with --check, changes nothing and
# fails, naming the files, when one is not formatted.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cc' '*.h' '*.cc.in' | grep -v '^tests/fixtures/')
if [ "${1:-}" = "--check" ]; then
  if ! clang-format --dry-run --Werror "${files[@]}" 2>/tmp/noc_format.$$; then
    grep -o '^[^:]*:[0-9]*:[0-9]*: error' /tmp/noc_format.$$ | cut -d: -f1 | sort -u | sed 's/^/format: not formatted: /' >&2
    rm -f /tmp/noc_format.$$
    echo "format: run scripts/format.sh to format them" >&2
    exit 1
  fi
  rm -f /tmp/noc_format.$$
else
  clang-format -i "${files[@]}"
fi
