#!/usr/bin/env bash
# Renders each window of Vendaro (settings window with a filled list, the
# additional-settings dialog and its alignment list, the full-screen preview,
# the question box with Qt's own buttons in Polish, the change notification,
# the tray menu, the About window and the first start) to PNG files on Qt's
# offscreen platform, into docs/screenshots/.  Needs no display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${VENDARO_RENDER_BUILD:-build/render}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target render_windows
mkdir -p docs/screenshots
# At scale 1 and at scale 2 (the @2x files), as a high-density screen shows
# them, on a Full HD screen: the windows fit there without scroll bars.
screen=$(mktemp "${TMPDIR:-/tmp}/vendaro-screen.XXXXXX.json")
trap 'rm -f "$screen"' EXIT
echo '{"screens": [{"name": "s", "x": 0, "y": 0, "width": 1920, "height": 1080,
  "logicalDpi": 96, "logicalBaseDpi": 96, "dpr": 1}]}' >"$screen"
export QT_QPA_PLATFORM=offscreen:configfile=$screen
"$build/bin/render_windows" "$root/docs/screenshots"
QT_SCALE_FACTOR=2 "$build/bin/render_windows" "$root/docs/screenshots" @2x
