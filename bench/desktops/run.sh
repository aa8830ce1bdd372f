#!/usr/bin/env bash
# Times a one-off change on the settings-driven desktops against composing
# alone, in one run on this machine: XFCE (xfconfd), MATE and GNOME (both
# GSettings in dconf, through dconf-service), at 1920x1080 and 3840x2160:
#   vendaro-compose --screen WxH --mode 2 photo.jpg out.bmp    (compose alone)
#   vendaro-compose --screen WxH --mode 2 --set photo.jpg      (compose and set)
# The difference is what setting costs: writing our file for the desktop,
# the journal, and the settings service's round trips.  Target: at most
# 60 ms at 1920x1080.  The desktops' own services run on a private session
# bus with HOME and the XDG folders in the build folder; the programs that
# draw the desktop (xfdesktop, caja, gnome-shell) are not started, so their
# reloading does not compete with the next run for the CPU.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/common.sh"
runs=${BENCH_RUNS:-15}

need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
command -v vips >/dev/null || need+=(libvips-tools)
command -v dbus-daemon >/dev/null || need+=(dbus-daemon)
[[ -x /usr/libexec/dconf-service ]] || need+=(dconf-service dconf-gsettings-backend)
[[ -x /usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd ]] || need+=(xfconf)
[[ -f /usr/share/glib-2.0/schemas/org.mate.background.gschema.xml ]] || need+=(mate-desktop-common)
[[ -f /usr/share/glib-2.0/schemas/org.gnome.desktop.background.gschema.xml ]] ||
  need+=(gsettings-desktop-schemas)
bench_install "${need[@]}"

bench_build bench-desktops vendaro-compose
compose="$build/bin/vendaro-compose"

work="$build/work"
rm -rf "$work/home" "$work/runtime"
mkdir -p "$work/runtime"
chmod 700 "$work/runtime"
cd "$work"
bench_private_home "$work"
export XDG_RUNTIME_DIR="$work/runtime"
unset DISPLAY GSETTINGS_BACKEND

bench_photo

# The session bus starts dconf-service and xfconfd on the first call, as a
# desktop session's bus does.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$XDG_RUNTIME_DIR/bus"
dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS" &
bus=$!
trap 'kill $bus' EXIT
for _ in $(seq 100); do [[ -S $XDG_RUNTIME_DIR/bus ]] && break; sleep 0.05; done

results=()
for desktop in XFCE MATE GNOME; do
  for size in 1920x1080 3840x2160; do
    json="set-$desktop-$size.json"
    XDG_CURRENT_DESKTOP=$desktop hyperfine --warmup 3 --runs "$runs" --export-json "$json" \
      -n compose-alone "$compose --screen $size --mode 2 photo.jpg alone.bmp" \
      -n compose-and-set "$compose --screen $size --mode 2 --set photo.jpg"
    results+=("$desktop $size $json")
  done
done

echo
printf '%-6s %-10s %14s %16s %10s\n' desktop screen "alone (ms)" "and set (ms)" "set (ms)"
for row in "${results[@]}"; do
  read -r desktop size json <<<"$row"
  /usr/bin/python3 - "$desktop" "$size" "$json" <<'PY'
import json, sys
desktop, size, name = sys.argv[1:]
alone, both = json.load(open(name))["results"]
a, b = alone["median"] * 1000, both["median"] * 1000
mark = "" if size != "1920x1080" else ("  within 60 ms" if b - a <= 60 else "  OVER 60 ms")
print(f"{desktop:6} {size:10} {a:14.1f} {b:16.1f} {b - a:10.1f}{mark}")
PY
done
