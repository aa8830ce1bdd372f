# packages: xfdesktop4 xfconf xfwm4 xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-utils
# XFCE: xfdesktop draws the background on Xvfb from the xfce4-desktop channel
# of xfconfd, which we start ourselves so that check 7 can stop it.

# The desktop's wallpaper is read back before each change and at quit.
TD_READS_WALLPAPER=1

xfconf() { td_as_user timeout 5 xfconf-query --channel xfce4-desktop "$@"; }

d_start() {
  export XDG_CURRENT_DESKTOP=XFCE DESKTOP_SESSION=xfce XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb
  td_start_x && td_start_dbus || return 1
  td_spawn xfconfd /usr/lib/x86_64-linux-gnu/xfce4/xfconf/xfconfd
  td_wait_until 10 xfconf --list || { echo "xfconfd does not answer"; return 1; }
  # Desktop icons would cover the sample points.
  xfconf --property /desktop-icons/style --create --type int --set 0
  td_spawn xfdesktop xfdesktop --disable-wm-check
  # xfdesktop stores a backdrop for each monitor it finds once it draws.
  td_wait_until 20 td_as_user bash -c "(( \$(xfconf-query --channel xfce4-desktop --list |
      grep '/last-image\$' | sed 's|/workspace.*||' | sort -u | wc -l) >= $TD_MONITORS ))" ||
    { echo "xfdesktop stored no backdrop for each monitor (see xfdesktop.log)"; return 1; }
}

# As the settings dialog does: the image of every monitor and workspace.
d_user_picture() {
  local property
  for property in $(xfconf --list | grep '/last-image$'); do
    xfconf --property "$property" --set "$1"
    xfconf --property "${property%/last-image}/image-style" --create --type int --set 5
  done
}

d_dump() { xfconf --list --verbose; }

d_service_pid() { td_pid xfconfd; }

d_unplug() { td_unplug_dummy; }
d_plug() { td_plug_dummy; }

# The X desktop's scale as Qt reads it: Xft.dpi, 96 a step.
d_scale() { awk -v s="$1" 'BEGIN { printf "Xft.dpi: %d\n", 96 * s }' | td_as_user xrdb -merge; }

# 18. The change notification is seen: with xfwm4 and its compositor on, the
# window (240 x 48, frameless) is mapped during a change and stays about
# 1.5 s, though the change itself takes a fraction of that.
d_checks() { echo 18-notification; }

# How long, in seconds, the notification window was mapped within SECONDS;
# "0" when never.
notification_shown_for() {
  local seconds=$1 start first="" last=""
  start=$(td_now)
  until td_over "$start" "$seconds"; do
    if td_as_user xwininfo -root -tree -display "$DISPLAY" 2>/dev/null | grep -q ' 240x48+'; then
      [[ -n $first ]] || first=$(td_now)
      last=$(td_now)
    fi
    sleep 0.05
  done
  [[ -n $first ]] || { echo 0; return; }
  awk -v a="$first" -v b="$last" 'BEGIN { printf "%.1f", b - a }'
}

window_manager_runs() {
  td_as_user xprop -root -display "$DISPLAY" _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q window
}

d_run_checks() {
  td_spawn xfwm4 xfwm4 --compositor=on --replace
  if ! td_wait_until 10 window_manager_runs; then
    td_result 18-notification FAIL "xfwm4 did not start (see xfwm4.log)"
    return
  fi
  local ini=$XDG_CONFIG_HOME/Vendaro/vendaro.ini
  sed -i 's/^Okno informacji=0/Okno informacji=1/' "$ini"
  start_resident vendaro-notification
  td_wait_for list1 30 18-start >/dev/null
  td_as_user "$TD_BIN/vendaro" next >/dev/null 2>&1 &
  local shown
  shown=$(notification_shown_for 5)
  wait $! 2>/dev/null
  td_as_user "$TD_BIN/vendaro" quit >/dev/null 2>&1
  end_resident 18
  sed -i 's/^Okno informacji=1/Okno informacji=0/' "$ini"
  kill "$(td_pid xfwm4)" 2>/dev/null
  if awk -v s="$shown" 'BEGIN { exit !(s >= 1.2) }'; then
    td_result 18-notification pass "window on screen for ${shown}s with the compositor on"
  else
    td_result 18-notification FAIL "window on screen for ${shown}s (at least 1.2 s wanted)"
  fi
}
