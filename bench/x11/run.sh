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
source "$root/bench/common.sh"
runs=${BENCH_RUNS:-10}

need=()
command -v hyperfine >/dev/null || need+=(hyperfine)
command -v feh >/dev/null || need+=(feh)
command -v Xvfb >/dev/null || need+=(xvfb)
command -v vips >/dev/null || need+=(libvips-tools)
bench_install "${need[@]}"

bench_build bench-x11 vendaro-compose vendaro-bench-x11-upload -- -DVENDARO_BENCH=ON
compose="$build/bin/vendaro-compose"
upload="$build/bin/vendaro-bench-x11-upload"

work="$build/work"
mkdir -p "$work/state"
cd "$work"
bench_private_home "$work"
unset XDG_CURRENT_DESKTOP DBUS_SESSION_BUS_ADDRESS

bench_photo
[[ -f screen.bmp ]] || "$compose" --screen 3840x2160 --mode 2 photo.jpg screen.bmp

bench_xvfb 3840x2160x24
trap 'kill $xvfb' EXIT

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
