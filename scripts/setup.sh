#!/usr/bin/env bash
# Installs the Debian packages that building and testing noc_soc needs. Safe to run again:
# it only calls apt-get when something is missing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build
  nlohmann-json3-dev libgtest-dev libgmock-dev libbenchmark-dev
  verilator graphviz python3 python3-dev python3-pytest pybind11-dev libcli11-dev
  clang-14 libclang-rt-14-dev
  lintian help2man bsdutils clang-format
  python3-pip python3-venv python3-setuptools python3-pybind11
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "setup: installing ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
