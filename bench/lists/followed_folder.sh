#!/usr/bin/env bash
# What a followed folder of 50,000 pictures costs the resident program at
# rest: the program (Release) on Xvfb, once with a list of one picture and
# once with the same picture and a folder row of BENCH_FOLDER pictures (hard
# links to generated photos, as bench/lists/run.sh makes them).  For each,
# medians of BENCH_RUNS runs of the CPU used over BENCH_IDLE seconds after
# the start has settled, and the resident memory then.  The folder's
# pictures are measured at start through the size cache, which each list
# keeps from its previous run as a user's is; the first start, which
# measures all of them, is shown on its own.  Nothing outside build/bench-lists is touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/common.sh"
runs=${BENCH_RUNS:-3}
count=${BENCH_FOLDER:-50000}
idle=${BENCH_IDLE:-30}

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xprop >/dev/null || need+=(x11-utils)
bench_install "${need[@]}"
bench_build bench-lists vendaro vendaro-bench-make-list -- -DVENDARO_BENCH=ON
program="$build/bin/vendaro"
work="$build/work-folder"
bench_resident_home "$work"

[[ -f followed.vdl ]] || "$build/bin/vendaro-bench-make-list" "$work/followed" "$count" followed.vdl
one=$(head -1 followed.vdl | tr -d '\r')
mkdir -p single
ln -f "$one" single/one.jpg
printf '%s\r\n' "$work/single/one.jpg" >plain.vdl
# The folder the pictures were made in, as one folder row.
printf '%s\r\n' "$work/single/one.jpg" "$(dirname "$one")/" >folder.vdl
[[ $(find "$(dirname "$one")" -maxdepth 1 -name '*.jpg' | wc -l) -ge $count ]] ||
  { echo "the folder does not hold $count pictures" >&2; exit 1; }

bench_xvfb 1920x1080x24
resident=
trap '[[ -n $resident ]] && kill $resident 2>/dev/null; kill $xvfb' EXIT

root_pixmap() { xprop -root _XROOTPMAP_ID 2>/dev/null | awk '{ print $NF }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
ticks() { awk '{ print $14 + $15 }' "/proc/$resident/stat"; }
hz=$(getconf CLK_TCK)

# One run: the program started on `list`, the first wallpaper up and the
# start settled; prints "CPU% RSS_KB" over the idle time.
measure() {  # list
  # Each list keeps the sizes its last start remembered, as a user's do.
  export XDG_CACHE_HOME="$work/cache-$(basename "$1" .vdl)"
  rm -rf "$data" "$XDG_STATE_HOME"
  mkdir -p "$data" "$XDG_STATE_HOME/Vendaro" "$XDG_CACHE_HOME/Vendaro"
  chmod 700 "$XDG_STATE_HOME/Vendaro"
  cp "$1" "$data/default.vdl"
  printf '[Zmiany]\r\nRozciagniecie=0\r\nOkno informacji=0\r\nOstatnia pozycja=0\r\n[Opcje]\r\nWersja=0\r\n' \
    >"$data/vendaro.ini"
  local before
  before=$(root_pixmap)
  "$program" >/dev/null 2>&1 &
  resident=$!
  while [[ $(root_pixmap) == "$before" ]]; do
    kill -0 $resident 2>/dev/null || { echo "vendaro ended" >&2; exit 1; }
    sleep 0.05
  done
  sleep 3  # the change and the helpers' going back to rest
  local start end rss
  start=$(ticks)
  sleep "$idle"
  end=$(ticks)
  rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$resident/status")
  "$program" quit >/dev/null 2>&1 || kill $resident
  wait $resident 2>/dev/null || true
  resident=
  awk -v t=$((end - start)) -v hz="$hz" -v s="$idle" -v r="$rss" \
    'BEGIN { printf "%.3f %d\n", 100 * t / hz / s, r }'
}

rm -rf "$work"/cache-*
# The first start measures every picture; the runs below find their sizes
# remembered.
read -r cpu rss < <(measure folder.vdl)
printf 'folder, first start: idle CPU %s %%, RSS %d MB\n' "$cpu" $((rss / 1024))
measure plain.vdl >/dev/null
for list in plain folder; do
  : >"$list.runs"
  for _ in $(seq "$runs"); do measure "$list.vdl" >>"$list.runs"; done
done
for list in plain folder; do
  cpu=$(awk '{ print $1 }' "$list.runs" | median)
  rss=$(awk '{ print $2 }' "$list.runs" | median)
  printf '%-7s idle CPU %s %% of one core over %s s, RSS %d MB\n' "$list" "$cpu" "$idle" $((rss / 1024))
done
extra=$(($(awk '{ print $2 }' folder.runs | median) - $(awk '{ print $2 }' plain.runs | median)))
echo "a followed folder of $count pictures: $((extra / 1024)) MB ($extra kB) more resident memory"
