#!/usr/bin/env bash
# Peak resident memory and time of vendaro-compose (Release) on hostile
# pictures of each kind the decoding limits cover, at 1920x1080 and
# 3840x2160, and of reading 10 MB list and settings files as start-up does.
# Inputs are generated (about 30 s the first time); nothing is committed.
# Each row says whether the picture was drawn or refused, and why.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/common.sh"
[[ -x /usr/bin/time ]] || bench_install time
bench_build bench-limits vendaro-compose vendaro-bench-hostile-inputs vendaro-bench-read-files \
  vendaro vendaro-bench-helper -- -DVENDARO_BENCH=ON
tool=${VENDARO_COMPOSE:-$build/bin/vendaro-compose}
work="$build/work"
[[ -f $work/jpeg-16384-ycck.jpg ]] || "$build/bin/vendaro-bench-hostile-inputs" "$work"
cd "$work"

measure() {  # label, then the command; prints time, peak memory, outcome
  local label=$1 out status done=${DONE:-drawn}
  shift
  set +e
  out=$(/usr/bin/time -f "@@ %e %M" "$@" 2>&1 >/dev/null)
  status=$?
  set -e
  local figures=$(grep '^@@' <<<"$out" | tail -1)
  local seconds=$(awk '{print $2}' <<<"$figures") kb=$(awk '{print $3}' <<<"$figures")
  local reason=$(grep -v '^@@' <<<"$out" | grep -v 'Command exited' | head -1 | cut -c1-70)
  local outcome=$done
  ((status != 0)) && outcome="refused: ${reason:-exit $status}"
  printf '%-44s %7.2f s %6d MB  %s\n' "$label" "$seconds" $((kb / 1024)) "$outcome"
}

compose() {  # screen, label, picture, then options
  local screen=$1 label=$2 picture=$3
  shift 3
  measure "$label" "$tool" --screen "$screen" "$@" "$picture" out.bmp
}

for screen in 1920x1080 3840x2160; do
  echo "== $screen"
  compose $screen "PNG, 2 GB text chunk: original size" png-text-chunk-2gb.png --mode 3
  compose $screen "PNG, 2 GB text chunk: tiles" png-text-chunk-2gb.png --mode 4
  compose $screen "PNG, 2 GB text chunk: nearest" png-text-chunk-2gb.png --mode 0 --interp 0
  compose $screen "PNG, 2 GB text chunk: screen-sized" "png-text-chunk-2gb-$screen.png" --mode 0
  for way in "bicubic:--mode 0 --interp 2" "nearest:--mode 0 --interp 0" "original size:--mode 3" \
    "tiles:--mode 4"; do
    compose $screen "BMP, empty RLE 16384^2: ${way%%:*}" bmp-rle-16384-empty.bmp ${way#*:}
    compose $screen "JPEG, progressive 16384^2 claim: ${way%%:*}" \
      jpeg-progressive-claims-16384.jpg ${way#*:}
  done
  compose $screen "JPEG, scan repeated 1000 times" jpeg-scan-repeated-1000.jpg --mode 1
  compose $screen "JPEG, 4096^2 with 300 valid scans" jpeg-4096-300-valid-scans.jpg --mode 1
  compose $screen "JPEG, cut off and closed" jpeg-cut-and-closed.jpg --mode 1
  compose $screen "PNG 16384^2: nearest" png-16384.png --mode 0 --interp 0
  compose $screen "JPEG 16384^2 turned: nearest" jpeg-16384-turned.jpg --mode 0 --interp 0
  compose $screen "PNG, text unpacking to 3.6 GB: bicubic" png-text-unpacking-to-3600mb.png \
    --mode 0 --interp 2
  compose $screen "PNG, text unpacking to 3.6 GB: nearest" png-text-unpacking-to-3600mb.png \
    --mode 0 --interp 0
  compose $screen "GIF, 16384^2 claim: bicubic" gif-claims-16384.gif --mode 0 --interp 2
  compose $screen "WebP, 8000^2 claim (38 bytes): bicubic" webp-claims-8000.webp --mode 0 --interp 2
  compose $screen "TIFF 65536x4096 in 4096^2 tiles: bicubic" tiff-65536x4096-tiled.tif --mode 0
  compose $screen "TIFF 16384^2 float: bicubic" tiff-16384-float.tif --mode 0 --interp 2
  compose $screen "BMP, RLE 8000^2 filled: nearest" bmp-rle-8000-filled.bmp --mode 0 --interp 0
  for colours in ycbcr cmyk ycck; do
    compose $screen "JPEG 16384^2 $colours: nearest" jpeg-16384-$colours.jpg --mode 0 --interp 0
  done
  compose $screen "JPEG header, then 10 GB of junk" jpeg-header-then-10gb.jpg --mode 1
  for other in other-*; do
    compose $screen "another kind: ${other#other-}" "$other" --mode 0
  done
  compose $screen "a.tif[page=0] beside a.tif (white)" "a.tif[page=0]" --mode 0
done
# The same pictures as the resident program draws them: in its helper, under
# the process limits (time, peak of the caller and the helper, outcome).
helper() {  # screen, label, picture, mode, interpolation
  measure "$2" "$build/bin/vendaro-bench-helper" draw "$build/bin/vendaro" "$1" "$4" "$5" "$3"
}
mkfifo fifo.png 2>/dev/null || true
for screen in 1920x1080 3840x2160; do
  echo "== $screen, in the resident program's helper"
  helper $screen "PNG 16384^2: bicubic" png-16384.png 0 2
  helper $screen "PNG, text unpacking to 3.6 GB: bicubic" png-text-unpacking-to-3600mb.png 0 2
  helper $screen "GIF, 16384^2 claim: bicubic" gif-claims-16384.gif 0 2
  helper $screen "TIFF 16384^2 float: bicubic" tiff-16384-float.tif 0 2
  helper $screen "BMP, RLE 8000^2 filled: nearest" bmp-rle-8000-filled.bmp 0 0
  for colours in ycbcr cmyk ycck; do
    helper $screen "JPEG 16384^2 $colours: nearest" jpeg-16384-$colours.jpg 0 0
  done
  helper $screen "a FIFO named .png" fifo.png 0 2
done
echo "== a change: composition and BMP write, before and with the helper"
command -v vips >/dev/null || bench_install libvips-tools
bench_photo
for screen in 1920x1080 3840x2160; do
  "$build/bin/vendaro-bench-helper" change "$build/bin/vendaro" $screen 7 photo.jpg
done
echo "== measuring a list"
"$build/bin/vendaro-bench-helper" probe "$build/bin/vendaro" 200000 png-16384.png
echo "== files"
DONE=read
measure "list: 10 MB of bare CR" "$build/bin/vendaro-bench-read-files" list list-bare-cr.vdl
measure "list: 327,680 copies of one path" "$build/bin/vendaro-bench-read-files" list list-copies.vdl
measure "settings: 10 MB of bare CR" "$build/bin/vendaro-bench-read-files" settings settings-bare-cr.ini
measure "settings: 2.6 M short lines" "$build/bin/vendaro-bench-read-files" settings \
  settings-short-lines.ini
