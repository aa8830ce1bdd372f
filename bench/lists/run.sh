#!/usr/bin/env bash
# Large lists as a user with a big photo collection has them: the resident
# program (Release) on Xvfb with lists of 1,000 / 10,000 / 50,000 / 200,000
# real JPEGs under distinct names (hard links to sixteen generated photos), in
# a shuffled order.  For each size, medians of BENCH_RUNS runs of:
#   start -> first wallpaper (the root window's pixmap changes),
#   `vendaro next` returning,
#   in the settings window: deleting the lower half of the list, sorting by
#   "Nazwa", Apply, each timed until the program answers its own socket
#   again (`vendaro settings`, which does nothing while the window is open),
#   less that answer's own time when the program is idle,
#   resident memory with the list loaded and with the settings window open,
# and, in process, adding a folder of 10,000 pictures to the list.
# BENCH_SIZES picks the sizes.  Nothing outside build/bench-lists is touched.
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
source "$root/bench/common.sh"
runs=${BENCH_RUNS:-3}
sizes=(${BENCH_SIZES:-1000 10000 50000 200000})

need=()
command -v Xvfb >/dev/null || need+=(xvfb)
command -v xdotool >/dev/null || need+=(xdotool)
command -v xprop >/dev/null || need+=(x11-utils)
bench_install "${need[@]}"
bench_build bench-lists vendaro vendaro-bench-make-list vendaro-bench-list-model \
  -- -DVENDARO_BENCH=ON
program="$build/bin/vendaro"
work="$build/work"
bench_resident_home "$work"

bench_xvfb 1920x1080x24
resident=
trap '[[ -n $resident ]] && kill $resident 2>/dev/null; kill $xvfb' EXIT

now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.3f", b - a }'; }
median() { sort -g | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
root_pixmap() { xprop -root _XROOTPMAP_ID 2>/dev/null | awk '{ print $NF }'; }
rss_mb() { awk '/VmRSS/ { printf "%d", $2 / 1024 }' "/proc/$resident/status"; }
settings_window() { xdotool search --sync --onlyvisible --name 'Ustawienia programu' | head -1; }

# The time from `start` until the program answers its socket again.
answered_after() {  # start
  "$program" settings >/dev/null 2>&1
  since "$1"
}

# The resident program on a fresh copy of the list, its position at the
# middle; returns once the first wallpaper is up, with how long that took in
# `took`.  The sizes the program remembers of the list's pictures are kept
# from the last start with the same list (as a user's are), unless `cold`.
start_resident() {  # count [cold]
  local sizes="$XDG_CACHE_HOME/Vendaro/picture-sizes"
  [[ -f $sizes ]] && mv "$sizes" "lists/$last_count.sizes"
  rm -rf "$data" "$XDG_STATE_HOME" "$XDG_CACHE_HOME"
  mkdir -p "$data" "$XDG_STATE_HOME/Vendaro" "$XDG_CACHE_HOME/Vendaro"
  chmod 700 "$XDG_STATE_HOME/Vendaro"
  [[ -z ${2:-} && -f lists/$1.sizes ]] && cp "lists/$1.sizes" "$sizes"
  last_count=$1
  cp "lists/$1.vdl" "$data/default.vdl"
  printf '[Zmiany]\r\nRozciagniecie=0\r\nOkno informacji=0\r\nOstatnia pozycja=%d\r\n[Opcje]\r\nWersja=0\r\n' \
    $(($1 / 2)) >"$data/vendaro.ini"
  local before start
  before=$(root_pixmap)
  start=$(now)
  "$program" >/dev/null 2>&1 &
  resident=$!
  while [[ $(root_pixmap) == "$before" ]]; do
    kill -0 $resident 2>/dev/null || { echo "vendaro ended" >&2; exit 1; }
    sleep 0.01
  done
  took=$(since "$start")
  sleep 1  # the change ends after the wallpaper is up
}

stop_resident() {
  "$program" quit >/dev/null 2>&1 || true
  wait $resident 2>/dev/null || true
  resident=
}

click() {  # window x y
  xdotool mousemove --window "$1" "$2" "$3" click 1
}

mkdir -p lists pictures
rm -f lists/*.sizes
last_count=none
for count in "${sizes[@]}"; do
  [[ -f lists/$count.vdl ]] || "$build/bin/vendaro-bench-make-list" "$work/pictures" "$count" "lists/$count.vdl"
done

printf '%-40s' "action"
for count in "${sizes[@]}"; do printf '%10s' "$count"; done
printf '%12s\n' "target"
declare -A result
for count in "${sizes[@]}"; do
  first=() next=() deleted=() sorted=() applied=() loaded=() open=() idle=()
  # The first start of a list measures every picture.
  start_resident "$count" cold
  result[cold,$count]=$took
  stop_resident
  for _ in $(seq "$runs"); do
    start_resident "$count"
    first+=("$took")
    loaded+=("$(rss_mb)")
    for _ in 1 2 3; do
      start=$(now)
      "$program" next >/dev/null 2>&1
      next+=("$(since "$start")")
    done
    "$program" settings >/dev/null 2>&1
    window=$(settings_window)
    sleep 0.5
    open+=("$(rss_mb)")
    for _ in 1 2 3; do idle+=("$(answered_after "$(now)")"); done
    # The lower half: from the current row, the middle, to the end.
    xdotool windowfocus --sync "$window" 2>/dev/null || true
    xdotool key --clearmodifiers shift+End
    sleep 0.3
    start=$(now)
    xdotool key Delete
    deleted+=("$(answered_after "$start")")
    click "$window" 475 450  # Anuluj: nothing kept
    sleep 0.3
    "$program" settings >/dev/null 2>&1
    window=$(settings_window)
    sleep 0.5
    start=$(now)
    click "$window" 76 66  # the "Nazwa" header
    sorted+=("$(answered_after "$start")")
    start=$(now)
    click "$window" 387 450  # Zastosuj
    applied+=("$(answered_after "$start")")
    click "$window" 475 450
    stop_resident
  done
  base=$(printf '%s\n' "${idle[@]}" | median)
  less_idle() { awk -v b="$base" '{ v = $1 - b; printf "%.3f\n", v < 0 ? 0 : v }'; }
  result[first,$count]=$(printf '%s\n' "${first[@]}" | median)
  result[next,$count]=$(printf '%s\n' "${next[@]}" | median)
  result[delete,$count]=$(printf '%s\n' "${deleted[@]}" | less_idle | median)
  result[sort,$count]=$(printf '%s\n' "${sorted[@]}" | less_idle | median)
  result[apply,$count]=$(printf '%s\n' "${applied[@]}" | less_idle | median)
  result[loaded,$count]=$(printf '%s\n' "${loaded[@]}" | median)
  result[open,$count]=$(printf '%s\n' "${open[@]}" | median)
  result[idle,$count]=$base
done

row() {  # key label unit target
  printf '%-40s' "$2"
  for count in "${sizes[@]}"; do printf '%10s' "${result[$1,$count]}"; done
  printf '%12s\n' "$4"
}
row cold "first start, nothing remembered (s)" s ""
row first "start -> first wallpaper (s)" s "<= 2"
row next "vendaro next returns (s)" s "<= 0.3"
row delete "delete the lower half, frozen (s)" s "<= 0.2"
row sort "sort by Nazwa, frozen (s)" s "<= 0.5"
row apply "Zastosuj, frozen (s)" s "<= 0.5"
row loaded "RSS, list loaded (MB)" MB "<= 80"
row open "RSS, settings window open (MB)" MB "<= 100"
row idle "(the idle answer taken off, s)" s ""
largest=${sizes[-1]}
[[ -f lists/10000.vdl ]] || "$build/bin/vendaro-bench-make-list" "$work/pictures" 10000 lists/10000.vdl
"$build/bin/vendaro-bench-list-model" "lists/$largest.vdl" pictures/10000
echo "load: $(uptime)"
