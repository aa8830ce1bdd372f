# Checks 10 to 15 of a one-monitor run, sourced by run-desktop.sh after
# check 8: the user's own change while the resident program runs, a one-off
# change during it, a long run of quick changes, a slow settings service,
# sway's reload and the session's end (last: it takes the session bus).  A desktop script sets
# TD_READS_WALLPAPER=1 where its current wallpaper can be read back.

SHARED_CHECKS=(10-users-change 11-oneoff-during 12-quick-changes 13-slow-service 14-reload
  16-qt-scale 16b-qt-scale-2 17-desktop-scale 17b-desktop-scale-2 15-session-end)

# 10. The user picks a picture with the desktop's own settings while the
# resident program runs; the program changes once more and quits: the
# user's newer picture is the one given back.
check_users_change() {
  if [[ ${TD_READS_WALLPAPER:-0} != 1 ]]; then
    td_result 10-users-change skip "the desktop's wallpaper cannot be read back"
    return
  fi
  start_resident vendaro-10
  td_wait_for 'list[123]' 30 10-start || td_log "the resident program shows nothing: $TD_SEEN"
  d_user_picture "$PICS/mine.png" >>"$TD_LOGS/user-picture.log" 2>&1
  td_wait_for mine 20 10-mine || td_log "the user's new picture is not shown: $TD_SEEN"
  td_timed 30 next-10 "$TD_BIN/vendaro" next
  td_wait_for 'list[123]' 10 10-next || td_log "after next the screen shows $TD_SEEN"
  td_timed 30 quit-10 "$TD_BIN/vendaro" quit
  end_resident 10
  if td_wait_for mine 10 10-users-change; then
    td_result 10-users-change pass "the user's new picture back after ${TD_TOOK}s"
  else
    td_result 10-users-change FAIL "screen shows $TD_SEEN"
  fi
  # The next checks start from the first picture of the user.
  d_user_picture "$PICS/user.png" >>"$TD_LOGS/user-picture.log" 2>&1
  td_wait_for user 20 10-user-again >/dev/null
}

# 11. A one-off change while the resident program runs, then `next` and
# `quit`: the user's picture is back and nothing of ours is left.
check_oneoff_during() {
  start_resident vendaro-11
  td_wait_for 'list[123]' 30 11-start || td_log "the resident program shows nothing: $TD_SEEN"
  compose 30 oneoff-11 oneoff
  local problems=()
  ((TD_RC == 0)) || problems+=("vendaro-compose --set exit $TD_RC: $TD_ERR")
  td_wait_for oneoff 10 11-oneoff || problems+=("the one-off change is not shown: $TD_SEEN")
  td_timed 30 next-11 "$TD_BIN/vendaro" next
  td_wait_for 'list[123]' 10 11-next || problems+=("after next: $TD_SEEN")
  td_timed 30 quit-11 "$TD_BIN/vendaro" quit
  end_resident 10
  [[ $ENDED == ended ]] || problems+=("vendaro $ENDED")
  td_wait_for user 10 11-quit || problems+=("after quit: $TD_SEEN")
  leftovers
  [[ -n $LEFT ]] && problems+=("left: $LEFT")
  if ((${#problems[@]})); then
    td_result 11-oneoff-during FAIL "$(IFS=';'; echo "${problems[*]}")"
  else
    td_result 11-oneoff-during pass "user's picture back, nothing left"
  fi
}

# 12. Twelve rounds of a resident start and quit followed by a one-off
# change: each of the 24 changes is shown.  TD_QUICK_ROUNDS sets the
# number of rounds.
check_quick_changes() {
  local rounds=${TD_QUICK_ROUNDS:-12} stale=() i shown=0
  # GNOME Shell's background loader is the one known to choke; elsewhere
  # on request.
  if [[ $TD_DESKTOP != gnome && -z ${TD_QUICK_ROUNDS:-} ]]; then
    td_result 12-quick-changes skip "GNOME only unless TD_QUICK_ROUNDS is set"
    return
  fi
  for i in $(seq "$rounds"); do
    start_resident "vendaro-12-$i"
    if td_wait_for 'list[123]' 10 "12-resident$i"; then ((shown++)); else stale+=("resident #$i: ${TD_SEEN%% *}"); fi
    td_timed 30 "quit-12-$i" "$TD_BIN/vendaro" quit
    end_resident 10
    compose 30 "oneoff-12-$i" "eight$(((i - 1) % 8 + 1))"
    if ((TD_RC == 0)) && td_wait_for "eight$(((i - 1) % 8 + 1))" 8 "12-oneoff$i"; then
      ((shown++))
    else
      stale+=("one-off #$i: exit $TD_RC ${TD_SEEN%% *}")
    fi
  done
  if ((${#stale[@]})); then
    td_result 12-quick-changes FAIL "$shown of $((rounds * 2)) shown; ${stale[*]:0:4}"
  else
    td_result 12-quick-changes pass "all $((rounds * 2)) shown"
  fi
}

# 13. The settings service stops for 2.5 s at a time: a one-off change says
# what happened, exit 0 only for a picture that is shown.
check_slow_service() {
  local service
  service=$(d_service_pid)
  if [[ -z $service ]]; then
    td_result 13-slow-service FAIL "no service process found to stop"
    return
  fi
  (for _ in 1 2 3 4; do kill -STOP "$service"; sleep 2.5; kill -CONT "$service"; sleep 0.5; done) &
  local stopper=$!
  sleep 0.2
  compose 15 slow-compose oneoff
  local rc=$TD_RC took=$TD_TOOK err=$TD_ERR shown=no
  td_wait_for oneoff 4 13-slow-service && shown=yes
  wait "$stopper"
  kill -CONT "$service" 2>/dev/null
  if { ((rc == 0)) && [[ $shown == yes ]]; } || { ((rc != 0)) && [[ $shown == no ]]; }; then
    td_result 13-slow-service pass "exit $rc after ${took}s, shown: $shown${err:+ ($err)}"
  else
    td_result 13-slow-service FAIL "exit $rc after ${took}s, but shown: $shown${err:+ ($err)}"
  fi
  d_user_picture "$PICS/user.png" >>"$TD_LOGS/user-picture.log" 2>&1
}

# 14. sway reloads its config: our picture is back within 2 s.
check_reload() {
  if ! declare -F d_reload >/dev/null; then
    td_result 14-reload skip "no reload to follow"
    return
  fi
  start_resident vendaro-14
  td_wait_for 'list[123]' 30 14-start || td_log "the resident program shows nothing: $TD_SEEN"
  d_reload >>"$TD_LOGS/reload.log" 2>&1
  sleep 0.3
  if td_wait_for 'list[123]' 2 14-reload; then
    td_result 14-reload pass "ours again after ${TD_TOOK}s"
  else
    td_result 14-reload FAIL "2 s after the reload the screen shows $TD_SEEN"
  fi
  td_timed 30 quit-14 "$TD_BIN/vendaro" quit
  end_resident 10
}

# 15. The session bus goes away under the resident program: it ends within
# a few seconds instead of failing at every change.
check_session_end() {
  local bus
  bus=$(td_pid dbus)
  start_resident vendaro-15
  td_wait_for 'list[123]' 30 15-start || td_log "the resident program shows nothing: $TD_SEEN"
  if [[ -z $bus ]]; then
    td_result 15-session-end FAIL "no session bus process found"
    return
  fi
  local start
  start=$(td_now)
  kill -TERM "$bus"
  end_resident 5
  if [[ $ENDED == ended ]]; then
    td_result 15-session-end pass "ended $(td_since "$start")s after the bus went"
  else
    td_result 15-session-end FAIL "vendaro $ENDED"
  fi
}

# The size of the newest picture we handed the desktop.
newest_shown_size() {
  local newest
  newest=$(ls -t "$TD_VSTATE"/vendaro-shown-* 2>/dev/null | head -n1)
  [[ -n $newest ]] && identify -format '%wx%h' "$newest" 2>/dev/null
}

# The resident program composes at the monitor's own pixels, started with
# `environment` (NAME=value words), on a desktop that may be scaled.
scaled_resident() {
  local check=$1 name=$2
  shift 2
  td_spawn "$name" env "$@" "$TD_BIN/vendaro"
  RESIDENT=$(td_pid "$name")
  td_wait_for 'list[123]' 30 "$check-start" || td_log "the resident program shows nothing: $TD_SEEN"
  # A desktop slow to give the user's picture back after the last check
  # still shows ours: wait for this program's own file too.
  td_wait_until 10 newest_shown_size
  local size
  size=$(newest_shown_size)
  if [[ $size == "${TD_W}x$TD_H" ]]; then
    td_result "$check" pass "composed ${size}"
  else
    td_result "$check" FAIL "composed ${size:-nothing} for a ${TD_W}x$TD_H monitor"
  fi
  td_timed 30 "quit-$check" "$TD_BIN/vendaro" quit
  end_resident 10
}

# 16. Qt scaled by 1.5 and 2 (QT_SCALE_FACTOR); 17. the desktop's own scale
# (d_scale: sway 1.5 and 2, X11 Xft.dpi 144 and 192), where the desktop
# script has one.
check_scales() {
  scaled_resident 16-qt-scale vendaro-16 QT_SCALE_FACTOR=1.5
  scaled_resident 16b-qt-scale-2 vendaro-16b QT_SCALE_FACTOR=2
  # Those that start scaled have a run of their own for each scale.
  [[ -n $(td_scaled_starts "$TD_DESKTOP") ]] && return
  if ! declare -F d_scale >/dev/null; then
    td_result 17-desktop-scale skip "no scale to set on this headless desktop"
    td_result 17b-desktop-scale-2 skip "no scale to set on this headless desktop"
    return
  fi
  d_scale 1.5 >>"$TD_LOGS/scale.log" 2>&1
  scaled_resident 17-desktop-scale vendaro-17
  d_scale 2 >>"$TD_LOGS/scale.log" 2>&1
  scaled_resident 17b-desktop-scale-2 vendaro-17b
  d_scale 1 >>"$TD_LOGS/scale.log" 2>&1
}

# The check a desktop started at scale S answers: 17 at 1.5, 17b at 2; 17c
# and 17d the Wayland or X11 session where a desktop has both ("1.5w", "2x").
scaled_check() {
  case $1 in
    2) echo 17b-desktop-scale-2 ;;
    *w) echo 17c-desktop-scale-wayland ;;
    *x) echo 17d-desktop-scale-2-x11 ;;
    *) echo 17-desktop-scale ;;
  esac
}

run_shared_checks() {
  check_users_change
  check_oneoff_during
  check_quick_changes
  check_slow_service
  check_reload
  check_scales
  check_session_end
}
