#!/usr/bin/env bash
# The real-desktop suite: starts each desktop headless in a private session,
# runs vendaro and vendaro-compose against it and checks by screenshots what
# the screen shows.  Installs the desktops' Debian packages (hundreds of MB),
# so it is not part of scripts/test.sh.
#
#   scripts/test-desktops.sh [xfce|mate|gnome|kde|sway|cinnamon|budgie|all]...
#
# A desktop is a script of its own in tests/desktops (its "# packages:" line
# marks it as one).
#
# Each desktop runs twice: on one monitor (checks 1 to 8), then on two
# (checks 9a to 9e; Xorg's dummy driver for the X desktops, two dummy
# monitors for GNOME, two headless outputs for sway).  A desktop that cannot
# change its scale while it runs (its script's "# scaled starts:" line) then
# starts once more at each of those scales for checks 17 and 17b.
# TD_MONITOR_RUNS picks runs while working on one: "2", "scaled", "scale2".
#
# Binaries come from $VENDARO_BIN (default: a Release build in build/release).
# Prints a table of checks and the folder with every component's log and the
# screenshots; exits 1 when a check failed.
set -uo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
source "$repo/tests/desktops/common.sh"
mapfile -t all < <(td_desktops)

desktops=()
for arg in "${@:-all}"; do
  if [[ $arg == all ]]; then
    desktops+=("${all[@]}")
  elif [[ " ${all[*]} " == *" $arg "* ]]; then
    desktops+=("$arg")
  else
    echo "usage: $0 [$(IFS='|'; echo "${all[*]}")|all]..." >&2
    exit 2
  fi
done
[[ $(id -u) == 0 ]] || { echo "$0: needs root (installs packages, runs the desktops as $TD_USER)" >&2; exit 2; }

td_install common "${desktops[@]}" || { echo "$0: installing the desktops' packages failed" >&2; exit 1; }

if [[ -z ${VENDARO_BIN:-} ]]; then
  (cd "$repo" && scripts/deps.sh && { command -v ccache >/dev/null || apt-get install -y -qq ccache; } &&
    cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
      -DCMAKE_CXX_COMPILER_LAUNCHER=ccache >/dev/null && cmake --build build/release) ||
    { echo "$0: the build failed" >&2; exit 1; }
  VENDARO_BIN=$repo/build/release/bin
fi
for program in vendaro vendaro-compose; do
  [[ -x $VENDARO_BIN/$program ]] || { echo "$0: no $program in $VENDARO_BIN" >&2; exit 2; }
done

td_make_user
work=$(mktemp -d /tmp/vendaro-desktops.XXXXXX)
chmod 755 "$work"
results=$work/results.tsv
: >"$results"
# A copy the desktop user can run, with the libraries found beside it.
mkdir "$work/bin"
cp "$VENDARO_BIN"/vendaro "$VENDARO_BIN"/vendaro-compose "$VENDARO_BIN"/*.so "$work/bin/" 2>/dev/null
chmod -R a+rX "$work/bin"

current_mark=""
main=$BASHPID
trap '[[ $BASHPID == "$main" && -n $current_mark ]] && td_kill_marked "$current_mark"' EXIT
trap 'exit 130' INT TERM

for desktop in "${desktops[@]}"; do
  runs=()
  for kind in ${TD_MONITOR_RUNS:-1 2 scaled}; do
    if [[ $kind == scaled ]]; then
      for scale in $(td_scaled_starts "$desktop"); do runs+=("scale$scale"); done
    else
      runs+=("$kind")
    fi
  done
  for kind in "${runs[@]}"; do
    monitors=1 scale="" session=$work/$desktop run=run
    case $kind in
      2) monitors=2 session=$work/$desktop-two run=run-two ;;
      scale*) scale=${kind#scale} session=$work/$desktop-$kind run=run-$kind ;;
    esac
    current_mark=vendaro-desktops-$$-$desktop-$kind
    td_log "=== $desktop on $monitors monitor(s)${scale:+, started at scale $scale} (logs in $session/logs)"
    TD_MONITORS=$monitors TD_SCALE=$scale timeout -k 10 "${TD_DESKTOP_TIMEOUT:-900}" \
      bash "$repo/tests/desktops/run-desktop.sh" "$desktop" "$session" "$results" "$work/bin" "$current_mark"
    status=$?
    if ((status == 124 || status == 137)); then
      printf '%s\t%s\tFAIL\tthe desktop'"'"'s run did not finish in %ss\n' "$desktop" "$run" "${TD_DESKTOP_TIMEOUT:-900}" >>"$results"
    elif ((status != 0)); then
      printf '%s\t%s\tFAIL\trun-desktop.sh ended with %s\n' "$desktop" "$run" "$status" >>"$results"
    fi
    td_kill_marked "$current_mark"
    current_mark=""
  done
done

echo
td_print_table "$results"
echo
echo "logs and screenshots: $work"
! grep -q $'\tFAIL\t' "$results"
