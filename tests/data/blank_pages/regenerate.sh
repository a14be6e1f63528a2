#!/usr/bin/env bash
# Rebuilds the generated pages of manifest.txt with the page generator:
#   tests/data/blank_pages/regenerate.sh build/tools/ostrel-pagegen
set -euo pipefail
generator=$(realpath "${1:?usage: regenerate.sh path/to/ostrel-pagegen}")
cd "$(dirname "$0")"
grep -v '^#' manifest.txt | while read -r file answer backing setting options; do
  [ -n "$file" ] || continue
  [ "$options" = scan ] && continue
  # shellcheck disable=SC2086 # the options are words on purpose
  "$generator" $options "$file"
done
