#!/usr/bin/env bash
# One desktop of the real-desktop suite: starts it headless in a private
# session, runs Vendaro against it and records, from screenshots and the
# desktop's own settings, what a user would see.
#
#   run-desktop.sh DESKTOP SESSION_FOLDER RESULTS_FILE BIN_FOLDER MARK
#
# DESKTOP.sh beside this file provides the desktop's part: d_start,
# d_user_picture, d_dump, d_service_pid, d_shot (and may override d_points
# and define d_before_shot and d_map_point).  With TD_MONITORS=2 the desktop
# runs on two monitors and the checks are those of two-monitors.sh; with
# TD_SCALE=S it starts already scaled by S, for check 17 or 17b alone.
set -uo pipefail
TD_MARK=$5
source "$(dirname "$0")/common.sh"
TD_DESKTOP=$1
td_session "$2"
TD_RESULTS=$3
TD_BIN=$4
source "$TD_HERE/$TD_DESKTOP.sh"
d_shot() { td_shot_x "$@"; }
declare -F "d_shot_$TD_DESKTOP" >/dev/null && eval "d_shot() { d_shot_$TD_DESKTOP \"\$@\"; }"
# Subshells of pipelines may run an inherited EXIT trap: only this process cleans up.
main=$BASHPID
trap '[[ $BASHPID == "$main" ]] && td_kill_marked' EXIT
trap 'exit 130' INT TERM
PICS=$TD_SESSION/pics
CHECKS=(1-user 2-oneoff 3-start 4-next 5-quit 6-eight-oneoffs 7a-hung-compose 7b-hung-next 7c-hung-quit
  7d-journal 8-leftovers)
source "$TD_HERE/shared-wallpaper.sh"
CHECKS+=("${SHARED_CHECKS[@]}")
((TD_MONITORS == 2)) && CHECKS=(9a-two-user 9b-two-oneoff 9c-two-start 9e-replug 9d-two-quit 9i-own-pictures
  9j-own-next 9k-own-quit 9f-two-scale 9g-two-scale-2 9h-display-gone)
[[ -n ${TD_SCALE:-} ]] && CHECKS=("$(scaled_check "$TD_SCALE")")
# A desktop's own checks: d_checks names them, d_run_checks runs them.
((TD_MONITORS == 2)) || ! declare -F d_checks >/dev/null || CHECKS+=($(d_checks))

compose() { td_timed "$1" "$2" "$TD_BIN/vendaro-compose" --set "$PICS/$3.png"; }

# The list and settings the resident program starts with: three pictures,
# changes only on request (an hour apart), no change window, no version check.
write_vendaro_config() {
  local folder=$XDG_CONFIG_HOME/Vendaro
  mkdir -p "$folder"
  printf '%s\r\n' "$PICS/list1.png" "$PICS/list2.png" "$PICS/list3.png" >"$folder/default.vdl"
  printf '%s\r\n' '[Zmiany]' 'Czas zmian=60' 'Zmiana losowa=0' 'Kiedy zmiana=0' 'Okno informacji=0' \
    'Ostatnia pozycja=0' '[Opcje]' 'Wersja=0' >"$folder/vendaro.ini"
  chown -R "$TD_USER:" "$folder"
}

start_resident() {
  td_spawn "$1" "$TD_BIN/vendaro"
  RESIDENT=$(td_pid "$1")
}

# Waits for the resident program to end; kills it (as a session end would)
# when it does not.  Says which in ENDED.
end_resident() {
  ENDED="ended"
  if ! td_wait_until "$1" bash -c "! kill -0 $RESIDENT"; then
    ENDED="still running ${1}s later, killed"
    kill -KILL "$RESIDENT" 2>/dev/null
  fi
  wait "$RESIDENT" 2>/dev/null
}

# The desktop's settings as text, kept in the log folder for comparison.
dump() {
  d_dump >"$TD_LOGS/settings-$1.txt" 2>&1 &
  local pid=$!
  td_wait_until 15 bash -c "! kill -0 $pid" || kill -KILL "$pid"
  wait "$pid"
}

# What Vendaro left: files in its private folder, processes showing them.
leftovers() {
  local files procs="" pid command
  files=$(find "$TD_VSTATE" -mindepth 1 -printf '%P ' 2>/dev/null)
  for pid in $(td_marked_pids); do
    command=$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)
    [[ $command == *"$TD_VSTATE"* || $command == "$TD_BIN/vendaro "* ]] && procs+="${command:0:70}; "
  done
  LEFT=""
  [[ -n $files ]] && LEFT+="files: $files"
  [[ -n $procs ]] && LEFT+="${LEFT:+, }processes: $procs"
}

settings_diff() {
  if cmp -s "$TD_LOGS/settings-before.txt" "$TD_LOGS/settings-$1.txt"; then
    DIFF=""
  else
    DIFF="settings differ: $(diff "$TD_LOGS/settings-before.txt" "$TD_LOGS/settings-$1.txt" | grep '^[<>]' |
      head -4 | tr '\n' ' ' | cut -c1-240)"
  fi
}

# A session starts in the home folder (sway even expands its `output *`
# against the folder it runs in).
cd "$HOME" || exit 1
td_make_pictures
if ! d_start >"$TD_LOGS/start.log" 2>&1; then
  reason=$(tail -n 2 "$TD_LOGS/start.log" | tr '\n' ' ')
  for check in "${CHECKS[@]}"; do td_result "$check" FAIL "desktop did not start: $reason"; done
  exit 0
fi
write_vendaro_config
if [[ -n ${TD_SCALE:-} ]]; then
  scaled_resident "${CHECKS[0]}" vendaro-scaled
  declare -F d_stop >/dev/null && d_stop
  exit 0
fi
if ((TD_MONITORS == 2)); then
  source "$TD_HERE/two-monitors.sh"
  declare -F d_stop >/dev/null && d_stop
  exit 0
fi

# 1. The user's own picture, set through the desktop's own settings.
d_user_picture "$PICS/user.png" >>"$TD_LOGS/user-picture.log" 2>&1
if td_wait_for user 40 1-user; then
  td_result 1-user pass "shown after ${TD_TOOK}s"
else
  td_result 1-user FAIL "screen shows $TD_SEEN"
fi
sleep 1
dump before

# 2. A one-off change from the command line.
compose 30 oneoff oneoff
if ((TD_RC != 0)); then
  td_result 2-oneoff FAIL "vendaro-compose --set exit $TD_RC after ${TD_TOOK}s: $TD_ERR"
else
  took=$TD_TOOK
  if td_wait_for oneoff 10 2-oneoff; then
    td_result 2-oneoff pass "set in ${took}s, shown after ${TD_TOOK}s"
  else
    td_result 2-oneoff FAIL "set in ${took}s (exit 0), screen shows $TD_SEEN"
  fi
fi

# 3. The resident program shows the first picture of its list.
start_resident vendaro
if td_wait_for list1 30 3-start; then
  td_result 3-start pass "first picture after ${TD_TOOK}s"
else
  td_result 3-start FAIL "screen shows $TD_SEEN$(td_alive "$RESIDENT" || echo ', vendaro ended')"
fi

# 4. `vendaro next`.
td_timed 30 next "$TD_BIN/vendaro" next
if ((TD_RC != 0)); then
  td_result 4-next FAIL "vendaro next exit $TD_RC after ${TD_TOOK}s: $TD_ERR"
else
  took=$TD_TOOK
  if td_wait_for list2 10 4-next; then
    td_result 4-next pass "answered in ${took}s, shown after ${TD_TOOK}s"
  else
    td_result 4-next FAIL "answered in ${took}s, screen shows $TD_SEEN"
  fi
fi

# 5. `vendaro quit` gives back the user's picture and leaves the settings as
# they were.
td_timed 30 quit "$TD_BIN/vendaro" quit
quit="exit $TD_RC after ${TD_TOOK}s"
end_resident 10
dump after-quit
settings_diff after-quit
problems=()
[[ $quit == "exit 0 "* ]] || problems+=("vendaro quit $quit: $TD_ERR")
[[ $ENDED == ended ]] || problems+=("vendaro $ENDED")
[[ -n $DIFF ]] && problems+=("$DIFF")
td_wait_for user 10 5-quit || problems+=("screen shows $TD_SEEN")
if ((${#problems[@]})); then
  td_result 5-quit FAIL "$(IFS=';'; echo "${problems[*]}")"
else
  td_result 5-quit pass "user's picture back after ${TD_TOOK}s, settings identical"
fi
leftovers
left_after_quit=$LEFT

# 6. Eight one-off changes in a row, each from a new process.
stale=() times=()
for i in $(seq 8); do
  compose 30 "eight$i" "eight$i"
  if ((TD_RC != 0)); then
    stale+=("#$i exit $TD_RC: $TD_ERR")
    continue
  fi
  times+=("$TD_TOOK")
  td_wait_for "eight$i" 8 "6-eight$i" || stale+=("#$i shows ${TD_SEEN%% *}")
done
if ((${#stale[@]})); then
  td_result 6-eight-oneoffs FAIL "$((${#stale[@]})) of 8 not shown: ${stale[*]} (set times ${times[*]}s)"
else
  td_result 6-eight-oneoffs pass "all shown (set times ${times[*]}s)"
fi

# 7. The desktop's settings service hangs (SIGSTOP): nothing of ours may hang
# with it, and the journal gives the user's picture back afterwards.  Every
# call into a desktop is bounded at about 2 s; a little more for the start of
# the process itself.
HUNG_LIMIT=3.5
within_limit() { awk -v t="$TD_TOOK" -v l="$HUNG_LIMIT" 'BEGIN { exit !(t <= l) }'; }
start_resident vendaro-2
td_wait_for 'list[123]' 30 7-before-stop || td_log "before the stop the screen shows $TD_SEEN"
service=$(d_service_pid)
if [[ -z $service ]]; then
  for check in 7a-hung-compose 7b-hung-next 7c-hung-quit; do td_result "$check" FAIL "no service process found to stop"; done
else
  td_log "SIGSTOP $service ($(tr '\0' ' ' </proc/"$service"/cmdline | cut -c1-60))"
  kill -STOP "$service"
  compose 15 hung-compose hung
  if ((TD_RC == 124 || TD_RC == 137)); then
    td_result 7a-hung-compose FAIL "no end in ${TD_TOOK}s, killed"
  elif ((TD_RC == 0)); then
    td_result 7a-hung-compose FAIL "exit 0 after ${TD_TOOK}s although the service is stopped"
  elif [[ -z $TD_ERR ]]; then
    td_result 7a-hung-compose FAIL "exit $TD_RC after ${TD_TOOK}s without a message"
  elif ! within_limit; then
    td_result 7a-hung-compose FAIL "exit $TD_RC only after ${TD_TOOK}s (limit ${HUNG_LIMIT}s): $TD_ERR"
  else
    td_result 7a-hung-compose pass "exit $TD_RC after ${TD_TOOK}s: $TD_ERR"
  fi
  for command in next quit; do
    check=7b-hung-next
    [[ $command == quit ]] && check=7c-hung-quit
    td_timed 15 "hung-$command" "$TD_BIN/vendaro" "$command"
    if ((TD_RC == 124 || TD_RC == 137)); then
      td_result "$check" FAIL "vendaro $command got no answer in ${TD_TOOK}s, killed"
    elif ! within_limit; then
      td_result "$check" FAIL "vendaro $command answered only after ${TD_TOOK}s (limit ${HUNG_LIMIT}s), exit $TD_RC"
    else
      td_result "$check" pass "vendaro $command exit $TD_RC after ${TD_TOOK}s${TD_ERR:+: $TD_ERR}"
    fi
  done
  # Still stuck: ended as the end of the session would end it, so that the
  # next start has to use the journal.
  stuck=""
  if ! td_wait_until 5 bash -c "! kill -0 $RESIDENT"; then
    stuck=", the stuck resident program was killed"
    kill -KILL "$RESIDENT"
  fi
  kill -CONT "$service"
fi
end_resident 15
journal="no journal"
[[ -e $TD_VSTATE/restore ]] && journal="from the journal"
td_log "before the restart: $journal${stuck:-}; state folder: $(ls "$TD_VSTATE" 2>/dev/null | tr '\n' ' ')"
start_resident vendaro-3
# The screen alone does not tell that vendaro-3 is up: a desktop that was
# stopped still carries out, once resumed, the changes that were queued for
# it, and one of them may show a picture of the list before vendaro-3 has
# set one.  It takes commands once its socket answers (a killed copy's may
# still be there, refusing).
td_wait_until 30 python3 -c 'import socket, sys; socket.socket(socket.AF_UNIX).connect(sys.argv[1])' \
  "$XDG_RUNTIME_DIR/vendaro.socket" || td_log "vendaro-3 takes no commands"
td_wait_for 'list[123]' 30 7d-restart || td_log "after the restart the screen shows $TD_SEEN"
td_timed 30 quit-2 "$TD_BIN/vendaro" quit
quit="exit $TD_RC after ${TD_TOOK}s"
end_resident 10
dump after-journal
settings_diff after-journal
problems=()
[[ $quit == "exit 0 "* ]] || problems+=("vendaro quit $quit: $TD_ERR")
[[ -n $DIFF ]] && problems+=("$DIFF")
td_wait_for user 10 7d-journal || problems+=("screen shows $TD_SEEN")
if ((${#problems[@]})); then
  td_result 7d-journal FAIL "$(IFS=';'; echo "${problems[*]}") ($journal${stuck:-})"
else
  td_result 7d-journal pass "user's picture back ($journal${stuck:-}), settings identical"
fi

((TD_MONITORS == 2)) || ! declare -F d_run_checks >/dev/null || d_run_checks

# 8. Nothing of ours is left after a quit.
leftovers
if [[ -n $left_after_quit || -n $LEFT ]]; then
  td_result 8-leftovers FAIL "after the first quit: ${left_after_quit:-none}; after the last: ${LEFT:-none}"
else
  td_result 8-leftovers pass "no files, no processes"
fi
run_shared_checks
declare -F d_stop >/dev/null && d_stop
exit 0
