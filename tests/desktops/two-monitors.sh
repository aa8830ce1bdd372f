# The two-monitor checks of the real-desktop suite, sourced by run-desktop.sh
# when the desktop runs on monitors A (the primary, TD_W×TD_H at the origin)
# and B (TD_BW×TD_BH right of it): each monitor shows the user's picture,
# then a picture composed for that monitor, then the resident program's,
# and the user's again once it quit.  A desktop that shows the monitors
# elsewhere in its screenshots (GNOME's overview) maps each point with
# d_map_point.

monitor_a=(0 0 "$TD_W" "$TD_H")
monitor_b=("$TD_W" 0 "$TD_BW" "$TD_BH")

point() { # NAME X Y
  local x=$2 y=$3
  declare -F d_map_point >/dev/null && read -r x y < <(d_map_point "$x" "$y")
  printf '%s@%d,%d\n' "$1" "$x" "$y"
}

# Nine points of a monitor, at a quarter, half and three quarters of its sides.
everywhere() { # NAME LEFT TOP WIDTH HEIGHT
  local fx fy
  for fy in 1 2 3; do
    for fx in 1 2 3; do point "$1" $(($2 + $4 * fx / 4)) $(($3 + $5 * fy / 4)); done
  done
}

# What `twin` composed for a monitor at its own size, centred, with margins
# in the `margin` colour, looks like: the picture inside two of its corners,
# the margin beyond two of its edges and near the monitor's left.  The same
# composition scaled from another monitor's size would have its corners
# elsewhere.
composed_for() { # LEFT TOP WIDTH HEIGHT
  local cx=$(($1 + $3 / 2)) cy=$(($2 + $4 / 2)) hw=$((TD_W / 8)) hh=$((TD_H / 8))
  point twin "$cx" "$cy"
  point twin $((cx - hw + 30)) $((cy - hh + 30))
  point twin $((cx + hw - 30)) $((cy + hh - 30))
  point margin $((cx + hw + 40)) "$cy"
  point margin "$cx" $((cy + hh + 40))
  point margin $(($1 + $3 / 8)) "$cy"
}

mapfile -t both_user < <(everywhere user "${monitor_a[@]}"; everywhere user "${monitor_b[@]}")
mapfile -t both_list1 < <(everywhere list1 "${monitor_a[@]}"; everywhere list1 "${monitor_b[@]}")
mapfile -t each_own < <(composed_for "${monitor_a[@]}"; composed_for "${monitor_b[@]}")

# 9a. The user's own picture on both monitors.
d_user_picture "$PICS/user.png" >>"$TD_LOGS/user-picture.log" 2>&1
if td_wait_for_each 40 9a-two-user "${both_user[@]}"; then
  td_result 9a-two-user pass "shown after ${TD_TOOK}s"
else
  td_result 9a-two-user FAIL "screen shows $TD_SEEN"
fi
sleep 1
dump before

# 9b. A one-off change composes for each monitor: `twin` at its own size in
# the middle of each, in the chosen margin colour.
td_timed 30 two-oneoff "$TD_BIN/vendaro-compose" --mode 3 --align 0 --fill 1 --color '$005A3C1E' \
  --set "$PICS/twin.png"
if ((TD_RC != 0)); then
  td_result 9b-two-oneoff FAIL "vendaro-compose --set exit $TD_RC after ${TD_TOOK}s: $TD_ERR"
else
  took=$TD_TOOK
  if td_wait_for_each 15 9b-two-oneoff "${each_own[@]}"; then
    td_result 9b-two-oneoff pass "set in ${took}s, each monitor its own after ${TD_TOOK}s"
  else
    td_result 9b-two-oneoff FAIL "set in ${took}s (exit 0), screen shows $TD_SEEN"
  fi
fi
dump two-oneoff

# 9c. The resident program gives the one-off change back and shows the first
# picture of its list on both monitors.
start_resident vendaro
if td_wait_for_each 30 9c-two-start "${both_list1[@]}"; then
  td_result 9c-two-start pass "first picture on both after ${TD_TOOK}s"
else
  td_result 9c-two-start FAIL "screen shows $TD_SEEN$(td_alive "$RESIDENT" || echo ', vendaro ended')"
fi

# 9e. Monitor B goes and comes back (a projector, a dock) while the resident
# program runs: once the layout settles, A keeps the picture, B shows it
# again (not the desktop's own background) and the list has not moved on.
# Desktops that cannot unplug a monitor here (GNOME's dummy monitors) say so.
if declare -F d_unplug >/dev/null; then
  mapfile -t only_a < <(everywhere list1 "${monitor_a[@]}")
  problems=()
  d_unplug >>"$TD_LOGS/replug.log" 2>&1 || problems+=("unplugging failed (replug.log)")
  td_wait_for_each 10 9e-unplugged "${only_a[@]}" || problems+=("with B gone, screen shows $TD_SEEN")
  d_plug >>"$TD_LOGS/replug.log" 2>&1 || problems+=("plugging in failed (replug.log)")
  td_wait_for_each 15 9e-replug "${both_list1[@]}" || problems+=("with B back, screen shows $TD_SEEN")
  td_alive "$RESIDENT" || problems+=("vendaro ended")
  if ((${#problems[@]})); then
    td_result 9e-replug FAIL "$(IFS=';'; echo "${problems[*]}")"
  else
    td_result 9e-replug pass "B shows the picture again after ${TD_TOOK}s, list position kept"
  fi
else
  td_result 9e-replug skip "this desktop's monitors cannot be unplugged here"
fi

# 9d. `vendaro quit` gives both monitors the user's picture back, leaves the
# settings as they were and nothing of ours behind.
td_timed 30 quit "$TD_BIN/vendaro" quit
quit="exit $TD_RC after ${TD_TOOK}s"
end_resident 10
dump after-quit
settings_diff after-quit
leftovers
problems=()
[[ $quit == "exit 0 "* ]] || problems+=("vendaro quit $quit: $TD_ERR")
[[ $ENDED == ended ]] || problems+=("vendaro $ENDED")
[[ -n $DIFF ]] && problems+=("$DIFF")
[[ -n $LEFT ]] && problems+=("left: $LEFT")
td_wait_for_each 10 9d-two-quit "${both_user[@]}" || problems+=("screen shows $TD_SEEN")
if ((${#problems[@]})); then
  td_result 9d-two-quit FAIL "$(IFS=';'; echo "${problems[*]}")"
else
  td_result 9d-two-quit pass "user's picture back on both after ${TD_TOOK}s, settings identical, nothing left"
fi

# 9i-9k. A picture per monitor: the resident program started with the option
# on shows the first picture of its list on A and the second on B, each
# filling its own monitor; `vendaro next` moves both on past what they
# showed (A the third, B the list again from its start); `vendaro quit`
# gives both the user's picture back and leaves nothing of ours.
own_pictures_rows() {
  local ini=$XDG_CONFIG_HOME/Vendaro/vendaro.ini first next problems=()
  sed -i -e 's/^Ostatnia pozycja=.*/Ostatnia pozycja=0/' -e 's/^\[Zmiany\]/&\r\nTapeta na monitor=1/' "$ini"
  mapfile -t first < <(everywhere list1 "${monitor_a[@]}"; everywhere list2 "${monitor_b[@]}")
  mapfile -t next < <(everywhere list3 "${monitor_a[@]}"; everywhere list1 "${monitor_b[@]}")
  start_resident vendaro-own
  if td_wait_for_each 30 9i-own-pictures "${first[@]}"; then
    td_result 9i-own-pictures pass "A the first picture, B the second after ${TD_TOOK}s"
  else
    td_result 9i-own-pictures FAIL "screen shows $TD_SEEN$(td_alive "$RESIDENT" || echo ', vendaro ended')"
  fi
  # Next comes, as a user's would, after the program has drawn it ahead
  # (both canvases, then what the desktop readies of its own).
  local ahead=0
  for _ in $(seq 100); do
    ahead=$(find "$TD_VSTATE" -maxdepth 1 -name 'ahead-*.bmp' | wc -l)
    ((ahead >= 2)) && break
    sleep 0.1
  done
  ((ahead >= 2)) && sleep 2
  td_timed 30 own-next "$TD_BIN/vendaro" next
  if ((TD_RC != 0)); then
    td_result 9j-own-next FAIL "vendaro next exit $TD_RC after ${TD_TOOK}s: $TD_ERR"
  elif td_wait_for_each 15 9j-own-next "${next[@]}"; then
    td_result 9j-own-next pass "A the third picture, B the first after ${TD_TOOK}s ($ahead drawn ahead)"
  else
    td_result 9j-own-next FAIL "screen shows $TD_SEEN"
  fi
  td_timed 30 own-quit "$TD_BIN/vendaro" quit
  [[ $TD_RC == 0 ]] || problems+=("vendaro quit exit $TD_RC: $TD_ERR")
  end_resident 10
  [[ $ENDED == ended ]] || problems+=("vendaro $ENDED")
  # The rows after these start from the list's first picture again.
  sed -i -e '/^Tapeta na monitor=/d' -e 's/^Ostatnia pozycja=.*/Ostatnia pozycja=0/' "$ini"
  leftovers
  [[ -n $LEFT ]] && problems+=("left: $LEFT")
  td_wait_for_each 10 9k-own-quit "${both_user[@]}" || problems+=("screen shows $TD_SEEN")
  if ((${#problems[@]})); then
    td_result 9k-own-quit FAIL "$(IFS=';'; echo "${problems[*]}")"
  else
    td_result 9k-own-quit pass "user's picture back on both after ${TD_TOOK}s, nothing left"
  fi
}
# The sizes of the pictures we handed the desktop, newest first.
shown_sizes() {
  local file
  for file in $(ls -t "$TD_VSTATE"/vendaro-shown-* 2>/dev/null); do
    identify -format '%wx%h ' "$file" 2>/dev/null
  done
}

# The desktop's own scale on two monitors: d_scale where the desktop script
# has one, else X11's Xft.dpi (96 a step) as Qt reads it.
two_scale() {
  if declare -F d_scale >/dev/null; then
    d_scale "$1"
  elif [[ ${XDG_SESSION_TYPE:-} == x11 ]]; then
    awk -v s="$1" 'BEGIN { printf "Xft.dpi: %d\n", 96 * s }' | td_as_user xrdb -merge
  else
    return 1
  fi
}

# 9f, 9g. Scaled by 1.5 and 2 (Xft.dpi 144 and 192 on X11): the resident
# program composes each monitor at its own pixels, A's and B's, or the
# whole layout where the desktop takes one picture for all; nothing a pixel
# off (a 640×400 monitor given 641×401), and on X11 both show the picture.
check_two_scale() { # CHECK SCALE
  local check=$1 scale=$2 sizes size problems=()
  if ! two_scale "$scale" >>"$TD_LOGS/scale.log" 2>&1; then
    td_result "$check" skip "no scale to set on this headless desktop"
    return
  fi
  start_resident "vendaro-$check"
  # A Wayland layout is in scaled pixels: its monitors move, and the points
  # of the unscaled layout miss them.
  if [[ ${XDG_SESSION_TYPE:-} == x11 ]]; then
    td_wait_for_each 30 "$check" "${both_list1[@]}" || problems+=("screen shows $TD_SEEN")
  fi
  td_wait_until 10 bash -c "compgen -G '$TD_VSTATE/vendaro-shown-*'"
  sizes=$(shown_sizes)
  for size in $sizes; do
    case $size in
      "${TD_W}x$TD_H" | "${TD_BW}x$TD_BH" | "$((TD_W + TD_BW))x$TD_H") ;;
      *) problems+=("composed $size") ;;
    esac
  done
  [[ -z $sizes ]] && problems+=("composed nothing")
  [[ " $sizes " == *" $((TD_W + TD_BW))x$TD_H "* || " $sizes " == *" ${TD_BW}x$TD_BH "* ]] ||
    problems+=("no picture at B's ${TD_BW}x$TD_BH (composed ${sizes:-nothing})")
  td_timed 30 "quit-$check" "$TD_BIN/vendaro" quit
  end_resident 10
  two_scale 1 >>"$TD_LOGS/scale.log" 2>&1
  if ((${#problems[@]})); then
    td_result "$check" FAIL "$(IFS=';'; echo "${problems[*]}")"
  else
    td_result "$check" pass "composed ${sizes% }"
  fi
}

# The process that is the display: the Wayland compositor, else the X server.
display_pid() {
  local name
  for name in gnome-shell sway xorg xvfb; do
    [[ -n $(td_pid "$name") ]] && { td_pid "$name"; return; }
  done
}

# 9h. The display goes away under the resident program (last: it ends the
# desktop): the program ends within 5 s, the desktop's settings hold the
# user's wallpaper again and nothing of ours is left in the state folder.
# Where the settings service went with the display (plasmashell, sway), the
# journal stays instead, for the next start to give the wallpaper back.
check_display_gone() {
  local display service problems=() start took note=""
  d_user_picture "$PICS/user.png" >>"$TD_LOGS/user-picture.log" 2>&1
  start_resident vendaro-9h
  td_wait_for_each 30 9h-start "${both_list1[@]}" || td_log "the resident program shows nothing: $TD_SEEN"
  display=$(display_pid)
  [[ -n $display ]] || { td_result 9h-display-gone FAIL "no display process found"; return; }
  service=$(d_service_pid)
  start=$(td_now)
  kill -KILL "$display"
  end_resident 5
  took=$(td_since "$start")
  [[ $ENDED == ended ]] || problems+=("vendaro $ENDED")
  # Its files go once the wallpaper is given back.
  td_wait_until 6 bash -c "[[ -z \$(ls -A '$TD_VSTATE' 2>/dev/null) ]]"
  leftovers
  if [[ -z $LEFT ]] || td_alive "$service"; then
    [[ -n $LEFT ]] && problems+=("left: $LEFT")
    dump display-gone
    settings_diff display-gone
    [[ -n $DIFF ]] && problems+=("$DIFF")
    note=", the user's wallpaper back, nothing left"
  else
    [[ -e $TD_VSTATE/restore ]] || problems+=("files left without a journal: $LEFT")
    [[ $LEFT == *processes:* ]] && problems+=("left: ${LEFT#*processes: }")
    note=", no process left; the settings service went with it: the journal waits for the next start"
  fi
  if ((${#problems[@]})); then
    td_result 9h-display-gone FAIL "$(IFS=';'; echo "${problems[*]}")"
  else
    td_result 9h-display-gone pass "ended ${took}s after the display$note"
  fi
}

own_pictures_rows
check_two_scale 9f-two-scale 1.5
check_two_scale 9g-two-scale-2 2
check_display_gone
