#!/usr/bin/env bash
# Measures the resident program at rest on a private Xvfb of 3840x2160: the
# CPU it uses over 60 seconds and its resident memory after a change of a
# picture larger than the screen.  Usage: measure_idle.sh BIN_DIR [SECONDS]
# BIN_DIR holds vendaro and libverdpak.so (use a Release build: sanitizers
# multiply memory).
set -euo pipefail
bin=$(cd "$1" && pwd)
seconds=${2:-60}
work=$(mktemp -d)
trap 'kill "${app_pid:-}" "${xvfb_pid:-}" 2>/dev/null || true; wait 2>/dev/null || true; rm -rf "$work"' EXIT

mkdir -p "$work/config/Vendaro" "$work/state" "$work/runtime" "$work/pictures"
chmod 700 "$work/runtime"
convert -size 6000x4000 gradient:'#204080-#f0c040' -rotate 30 -resize 6000x4000! -quality 92 "$work/pictures/duzy.jpg"
convert -size 3840x2160 plasma:fractal "$work/pictures/plazma.png"
printf '%s\r\n' "$work/pictures/duzy.jpg" "$work/pictures/plazma.png" > "$work/config/Vendaro/default.vdl"
printf '[Zmiany]\r\nRozciagniecie=2\r\nOkno informacji=0\r\n[Opcje]\r\nWersja=1\r\n' > "$work/config/Vendaro/vendaro.ini"

display=:$((150 + $$ % 40))
Xvfb "$display" -screen 0 3840x2160x24 -noreset -nolisten tcp >"$work/xvfb.log" 2>&1 &
xvfb_pid=$!
export DISPLAY=$display XDG_CONFIG_HOME="$work/config" XDG_STATE_HOME="$work/state" XDG_RUNTIME_DIR="$work/runtime"
unset DBUS_SESSION_BUS_ADDRESS XDG_CURRENT_DESKTOP DESKTOP_SESSION WAYLAND_DISPLAY
for _ in $(seq 100); do xdpyinfo >/dev/null 2>&1 && break; sleep 0.1; done

"$bin/vendaro" &
app_pid=$!
for _ in $(seq 600); do xprop -root _XROOTPMAP_ID 2>/dev/null | grep -q 'pixmap id' && break; sleep 0.1; done
"$bin/vendaro" next
sleep 3

ticks() { awk '{print $14 + $15}' "/proc/$app_pid/stat"; }
hz=$(getconf CLK_TCK)
before=$(ticks)
sleep "$seconds"
after=$(ticks)
rss_kb=$(awk '/^VmRSS:/ {print $2}' "/proc/$app_pid/status")
hwm_kb=$(awk '/^VmHWM:/ {print $2}' "/proc/$app_pid/status")
cpu=$(awk -v t=$((after - before)) -v hz="$hz" -v s="$seconds" 'BEGIN {printf "%.3f", 100 * t / hz / s}')
echo "idle CPU over ${seconds} s: ${cpu} % of one core ($((after - before)) ticks at ${hz} Hz)"
echo "resident memory after a 3840x2160 change: $((rss_kb / 1024)) MB (peak during the changes $((hwm_kb / 1024)) MB)"
"$bin/vendaro" quit
wait "$app_pid"
