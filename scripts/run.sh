#!/usr/bin/env bash
# Starts Tolvane from a build folder on the demonstration database in ./tolvane-data, which is
# written on first use.
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
cli="$build/cli/tolvane-cli"
gui="$build/gui/tolvane"
data=${TOLVANE_DATA:-$PWD/tolvane-data}
mkdir -p "$data"

if [[ ! -f "$data/demo.tv3" ]]; then
  "$cli" demo "$data"
fi

# The desktop program when there is a screen to show it on; its indexes live in the folder it
# starts in.
if [[ -x "$gui" && ( -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ) ]]; then
  cd "$data"
  exec "$gui" demo.tv3
fi

echo "No display (DISPLAY or WAYLAND_DISPLAY is not set), so here is the demonstration through tolvane-cli."
cd "$data"
last=$("$cli" info demo.tv3 | sed -n 's/^Dates: .* to //p')
# Each output is read whole before a part of it is shown: a reader that stops early (head)
# would end the writer with a broken pipe, which pipefail reports as a failure.
latest=$("$cli" export demo.tv3 rw --select "date=$last..$last")
ringers=$("$cli" analyse demo.tv3 ringer | tr -d '\r')
echo
echo "== The latest peal, in the Ringing World style =="
tail -n 16 <<<"$latest"
echo "== Ringers by number of peals (first 25 lines) =="
sed -n '1,25p' <<<"$ringers"
echo
echo "To start the desktop program: cd $data && $gui demo.tv3"
echo "Without a screen: cd $data && xvfb-run -s '-screen 0 1400x900x24' $gui demo.tv3"
