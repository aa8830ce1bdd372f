#!/usr/bin/env bash
# Times setting a wallpaper on a plain X server (Xvfb, 3840x2160) against feh,
# in one run on this machine:
#  1. compose and set a 6000x4000 JPEG filled-and-cropped to the screen:
#     vendaro-compose --mode 2 --set  vs  feh --no-fehbg --bg-fill
#  2. the upload alone of a ready 3840x2160 BMP:
#     vendaro-bench-x11-upload  vs  feh --no-fehbg --bg-center
# Inputs are generated; HOME and the XDG folders point into the build folder,
# so nothing outside it is touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
runs=${BENCH_RUNS:-10}

need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
command -v feh >/dev/null || need+=(feh)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v vips >/dev/null || need+=(libvips-tools)
if ((${#need[@]})); then
  echo "Installing: ${need[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${need[@]}"
fi

build="$root/build/bench-x11"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF -DVENDARO_BENCH=ON >/dev/null
cmake --build "$build" --target vendaro-compose vendaro-bench-x11-upload -j2 >/dev/null
compose="$build/bin/vendaro-compose"
upload="$build/bin/vendaro-bench-x11-upload"

work="$build/work"
mkdir -p "$work/home" "$work/state"
cd "$work"
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_STATE_HOME="$work/home/.state"
export XDG_CACHE_HOME="$work/home/.cache" XDG_DATA_HOME="$work/home/.data"
unset XDG_CURRENT_DESKTOP DESKTOP_SESSION WAYLAND_DISPLAY SWAYSOCK KDE_FULL_SESSION DBUS_SESSION_BUS_ADDRESS

# A photo-like picture: large soft structures in each channel plus fine grain.
if [[ ! -f photo.jpg ]]; then
  for b in 1 2 3; do
    vips gaussnoise "soft$b.v" 375 250 --sigma 60 --mean 128
    vips resize "soft$b.v" "big$b.v" 16 --kernel cubic
    vips gaussnoise "grain$b.v" 6000 4000 --sigma 12 --mean 0
    vips add "big$b.v" "grain$b.v" "band$b.v"
  done
  vips bandjoin "band1.v band2.v band3.v" joined.v
  vips cast joined.v cast.v uchar
  vips jpegsave cast.v photo.jpg --Q 90
  rm -f soft*.v big*.v grain*.v band*.v joined.v cast.v
fi
[[ -f screen.bmp ]] || "$compose" --screen 3840x2160 --mode 2 photo.jpg screen.bmp

display=
for n in $(seq 150 250); do
  [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
  display=:$n
  break
done
Xvfb "$display" -noreset -nolisten tcp -screen 0 3840x2160x24 &
xvfb=$!
trap 'kill $xvfb' EXIT
for _ in $(seq 100); do xdpyinfo -display "$display" >/dev/null 2>&1 && break; sleep 0.1; done
export DISPLAY=$display

# The third command writes the same file without setting it: the difference
# is what setting costs.
hyperfine --warmup 2 --runs "$runs" --export-json compose.json \
  -n vendaro-compose "$compose --mode 2 --set photo.jpg" \
  -n feh-bg-fill "feh --no-fehbg --bg-fill photo.jpg" \
  -n vendaro-compose-file-only "$compose --screen 3840x2160 --mode 2 photo.jpg file-only.bmp"
hyperfine --warmup 2 --runs "$runs" --export-json upload.json \
  -n vendaro-upload "$upload screen.bmp $work/state" \
  -n feh-bg-center "feh --no-fehbg --bg-center screen.bmp"

/usr/bin/python3 - compose.json upload.json <<'PY'
import json, sys
for name in sys.argv[1:]:
    results = json.load(open(name))["results"]
    ours, theirs = results[0], results[1]
    print(f"{ours['command']}: median {ours['median']:.3f} s; {theirs['command']}: median {theirs['median']:.3f} s;"
          f" ratio {ours['median'] / theirs['median']:.2f}")
PY
