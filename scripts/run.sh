#!/usr/bin/env bash
# Builds Vendaro (Release) and starts it.  Installs what it needs on Debian 12.
# Without a display (a server, CI) it says so, starts Vendaro on a virtual X
# display (Xvfb) with a demo list of generated pictures in a private folder,
# saves a screenshot of that screen once the first wallpaper is set and
# prints its path.  Vendaro then keeps running until Ctrl+C.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh
build=${VENDARO_BUILD:-build/release}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
cmake --build "$build"
bin="$root/$build/bin"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" ]]; then
  exec "$bin/vendaro" "$@"
fi

echo "No display found: starting Vendaro on a virtual X display (Xvfb, 1920x1080)."
demo="$root/$build/demo"
rm -rf "$demo"
mkdir -p "$demo/config/Vendaro" "$demo/state" "$demo/runtime" "$demo/pictures"
chmod 700 "$demo/runtime"
export XDG_CONFIG_HOME="$demo/config" XDG_STATE_HOME="$demo/state" XDG_RUNTIME_DIR="$demo/runtime"
unset DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP DESKTOP_SESSION

# A small demo list: pictures of different shapes, so the display options show.
convert -size 1600x1000 gradient:'#1d4e89-#f7b32b' -swirl 60 "$demo/pictures/zachod.jpg"
convert -size 900x1200 plasma:fractal -blur 0x2 "$demo/pictures/plazma.png"
convert -size 640x360 radial-gradient:'#e0f7fa-#006064' "$demo/pictures/morze.png"
printf '%s\r\n' "$demo/pictures/zachod.jpg" "$demo/pictures/plazma.png" "$demo/pictures/morze.png" \
  > "$demo/config/Vendaro/default.vdl"
printf '[Zmiany]\r\nRozciagniecie=1\r\nBraki=2\r\n[Opcje]\r\nWersja=0\r\n' > "$demo/config/Vendaro/vendaro.ini"

display_number=${VENDARO_XVFB_DISPLAY:-77}
Xvfb ":$display_number" -screen 0 1920x1080x24 -noreset -nolisten tcp >"$demo/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=":$display_number"
for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$bin/vendaro" "$@" &
app_pid=$!
cleanup() { kill "$app_pid" 2>/dev/null || true; wait "$app_pid" 2>/dev/null || true; kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT INT TERM

shot="$root/$build/screenshot.png"
for _ in $(seq 300); do
  if xprop -root _XROOTPMAP_ID 2>/dev/null | grep -q 'pixmap id'; then
    # The splash stays up for a second after the start; the picture is what
    # the screenshot is for.
    sleep 1.5
    xwd -root -silent | convert xwd:- "$shot"
    echo "The first wallpaper is set. Screenshot: $shot"
    break
  fi
  kill -0 "$app_pid" 2>/dev/null || { echo "Vendaro ended before setting a wallpaper." >&2; exit 1; }
  sleep 0.1
done
echo "Vendaro is running on DISPLAY=$DISPLAY; press Ctrl+C to end it."
wait "$app_pid"
