#!/usr/bin/env bash
# Starts Tolvane from a build folder, on the reference database in ./tolvane-data (made on first
# use).
set -euo pipefail
build=${1:-build}
cli="$build/cli/tolvane-cli"
data=${TOLVANE_DATA:-$PWD/tolvane-data}
mkdir -p "$data"

# The desktop program when there is a screen to show it on; its indexes live in the folder it
# starts in.
gui="$(cd "$build" && pwd)/gui/tolvane"
if [[ -x "$gui" && ( -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ) ]]; then
  cd "$data"
  ledger=()
  for name in demo.tv3 peals.tv3; do
    if [[ -f "$name" ]]; then ledger=("$name"); break; fi
  done
  exec "$gui" "${ledger[@]}"
fi
echo "No display (DISPLAY or WAYLAND_DISPLAY) for the desktop program: showing tolvane-cli instead."

"$cli" --help
echo
echo "Reference database in $data:"
for index in assocs counts towers persons methods; do
  entries=$("$cli" --db "$data" index "$index" list | wc -l)
  echo "  $index: $entries entries"
done
