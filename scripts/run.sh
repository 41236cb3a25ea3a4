#!/usr/bin/env bash
# Starts Tolvane from a build folder, on the reference database in ./tolvane-data (made on first
# use).
set -euo pipefail
build=${1:-build}
cli="$build/cli/tolvane-cli"
data=${TOLVANE_DATA:-$PWD/tolvane-data}
mkdir -p "$data"

"$cli" --help
echo
echo "Reference database in $data:"
for index in assocs counts towers persons methods; do
  entries=$("$cli" --db "$data" index "$index" list | wc -l)
  echo "  $index: $entries entries"
done
