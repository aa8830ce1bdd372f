#!/usr/bin/env bash
# Renders each window of Vendaro (settings window with a filled list, the
# additional-settings dialog and its alignment list, the full-screen preview,
# the question box with Qt's own buttons in Polish,
# the change notification and the About window) to PNG files on Qt's
# offscreen platform, into docs/screenshots/.  Needs no display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${VENDARO_RENDER_BUILD:-build/render}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=ON >/dev/null
cmake --build "$build" --target render_windows
mkdir -p docs/screenshots
QT_QPA_PLATFORM=offscreen "$build/bin/render_windows" "$root/docs/screenshots"
