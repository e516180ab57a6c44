#!/usr/bin/env bash
# Writes the help2man include file with one section per nocgen subcommand: its own --help.
# Usage: man_sections.sh NOCGEN OUTPUT
set -euo pipefail
nocgen=$1 output=$2
{
  for sub in generate check verify ports topology dot schema explain; do
    echo "[${sub^^}]"
    echo ".nf"
    # roff reads a backslash as an escape and a leading dot or quote as a request.
    "$nocgen" "$sub" --help | sed -e 's/\\/\\e/g' -e "s/^\([.']\)/\\\\\&\1/"
    echo ".fi"
    echo
  done
} >"$output"
{
  echo "[RULES]"
  echo "Every diagnostic ends with its rule's code; nocgen explain CODE says more."
  echo ".nf"
  "$nocgen" explain
  echo ".fi"
} >>"$output"
