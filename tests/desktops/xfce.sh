# packages: xfdesktop4 xfconf xfwm4 xfce4-panel xfce4-notifyd xdotool xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-utils
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
# 1.5 s, though the change itself takes a fraction of that, then goes.
d_checks() { echo 18-notification 19-tray-menu 20-desktop-notice; }

# How long, in seconds, the notification window was mapped within SECONDS;
# "0" when never.
notification_shown_for() {
  local seconds=$1 start first="" last=""
  start=$(td_now)
  until td_over "$start" "$seconds"; do
    if notification_mapped; then
      [[ -n $first ]] || first=$(td_now)
      last=$(td_now)
    fi
    sleep 0.05
  done
  [[ -n $first ]] || { echo 0; return; }
  awk -v a="$first" -v b="$last" 'BEGIN { printf "%.1f", b - a }'
}

# The tree lists windows whether mapped or not: a window of the notification's
# size counts only while it is viewable.
notification_mapped() {
  local id
  for id in $(td_as_user xwininfo -root -tree -display "$DISPLAY" 2>/dev/null |
    awk '/ 240x48\+/ { print $1 }'); do
    td_as_user xwininfo -id "$id" -display "$DISPLAY" 2>/dev/null | grep -q IsViewable && return 0
  done
  return 1
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
  if awk -v s="$shown" 'BEGIN { exit !(s >= 1.2 && s < 4.5) }'; then
    td_result 18-notification pass "window on screen for ${shown}s with the compositor on"
  else
    td_result 18-notification FAIL "window on screen for ${shown}s (at least 1.2 s wanted, then gone)"
  fi
  tray_menu_check
  desktop_notice_check
  kill "$(td_pid xfwm4)" 2>/dev/null
}

# 20. With "Powiadomienie pulpitu" chosen, a change is announced through the
# desktop's notification service (xfce4-notifyd): its bubble is seen on
# screen, and a second change replaces it rather than adding another.
desktop_notice_check() {
  local ini=$XDG_CONFIG_HOME/Vendaro/vendaro.ini first second
  td_spawn notifyd /usr/lib/x86_64-linux-gnu/xfce4/notifyd/xfce4-notifyd
  if ! td_wait_until 10 bus_has org.freedesktop.Notifications; then
    td_result 20-desktop-notice FAIL "xfce4-notifyd did not start (see notifyd.log)"
    return
  fi
  sed -i -e 's/^Okno informacji=0/Okno informacji=1/' -e 's/^\[Zmiany\]/&\r\nSposob informacji=1/' "$ini"
  start_resident vendaro-notice
  td_wait_for list1 30 20-start >/dev/null
  td_as_user "$TD_BIN/vendaro" next >/dev/null 2>&1
  td_wait_until 10 notice_shown
  first=$(notices_on_screen)
  td_shot_x "$TD_LOGS/desktop-notice.png"
  td_as_user "$TD_BIN/vendaro" next >/dev/null 2>&1
  sleep 2
  second=$(notices_on_screen)
  td_as_user "$TD_BIN/vendaro" quit >/dev/null 2>&1
  end_resident 10
  sed -i -e 's/^Okno informacji=1/Okno informacji=0/' -e '/^Sposob informacji=/d' "$ini"
  kill "$(td_pid notifyd)" 2>/dev/null
  if ((first == 1 && second == 1)); then
    td_result 20-desktop-notice pass "the service's bubble on screen, the next change replaced it"
  else
    td_result 20-desktop-notice FAIL "bubbles on screen: $first after a change, $second after the next (see desktop-notice.png)"
  fi
}

notices_on_screen() {
  td_as_user xdotool search --onlyvisible --class xfce4-notifyd 2>/dev/null | wc -l
}
notice_shown() { (($(notices_on_screen) > 0)); }

# 19. The tray menu as XFCE's panel draws it from the menu the program
# exports (status notifier item): items hidden with an empty list take no
# room, so that menu is shorter than the one with pictures.
tray_menu_check() {
  panel_with_tray_only
  td_spawn xfce4-panel xfce4-panel --disable-wm-check
  if ! td_wait_until 15 bus_has org.kde.StatusNotifierWatcher; then
    td_result 19-tray-menu FAIL "the panel's tray did not start (see xfce4-panel.log)"
    return
  fi
  local list=$XDG_CONFIG_HOME/Vendaro/default.vdl empty full
  cp "$list" "$TD_LOGS/tray-list.vdl"
  : >"$list"
  empty=$(tray_menu_height tray-empty)
  cp "$TD_LOGS/tray-list.vdl" "$list"
  full=$(tray_menu_height tray-full)
  kill "$(td_pid xfce4-panel)" 2>/dev/null
  if ((empty > 0 && full > empty)); then
    td_result 19-tray-menu pass "menu ${empty} px high with an empty list, ${full} px with pictures"
  else
    td_result 19-tray-menu FAIL "menu ${empty:-0} px with an empty list, ${full:-0} px with pictures (see tray-*.png)"
  fi
}

bus_has() {
  td_as_user dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
    org.freedesktop.DBus.NameHasOwner "string:$1" 2>/dev/null | grep -q 'boolean true'
}

# One panel in the top left corner holding only the tray, so the program's
# icon is its first item.
panel_with_tray_only() {
  local panel=(td_as_user timeout 5 xfconf-query --channel xfce4-panel --create)
  "${panel[@]}" --property /configver --type int --set 2
  "${panel[@]}" --property /panels --force-array --type int --set 1
  "${panel[@]}" --property /panels/panel-1/position --type string --set 'p=6;x=0;y=0'
  "${panel[@]}" --property /panels/panel-1/position-locked --type bool --set true
  "${panel[@]}" --property /panels/panel-1/size --type uint --set 32
  "${panel[@]}" --property /panels/panel-1/length --type uint --set 10
  "${panel[@]}" --property /panels/panel-1/plugin-ids --force-array --type int --set 1
  "${panel[@]}" --property /plugins/plugin-1 --type string --set systray
}

visible_windows() { td_as_user xdotool search --onlyvisible --name '' 2>/dev/null | sort; }

# Starts the resident program, opens its tray menu with a right click and
# prints the menu's height in pixels (0 when no menu opened); a screenshot
# with the menu open goes to the logs as NAME.png.
tray_menu_height() {
  start_resident "vendaro-$1"
  td_wait_until 15 tray_item_registered || td_log "$1: no tray item registered"
  sleep 1
  local before after window height=0
  before=$(visible_windows)
  td_as_user xdotool mousemove 16 16 click 3
  sleep 1.5
  after=$(visible_windows)
  td_shot_x "$TD_LOGS/$1.png"
  # The menu is the tallest window the click brought up (a tooltip may too).
  for window in $(comm -13 <(echo "$before") <(echo "$after")); do
    height=$(td_as_user xdotool getwindowgeometry "$window" |
      awk -F'[x ]' -v h="$height" '/Geometry/ { print ($NF > h ? $NF : h) }')
  done
  td_as_user xdotool key Escape
  td_as_user "$TD_BIN/vendaro" quit >/dev/null 2>&1
  end_resident 10
  echo "${height:-0}"
}

tray_item_registered() {
  td_as_user dbus-send --session --print-reply --dest=org.kde.StatusNotifierWatcher \
    /StatusNotifierWatcher org.freedesktop.DBus.Properties.Get \
    string:org.kde.StatusNotifierWatcher string:RegisteredStatusNotifierItems 2>/dev/null |
    grep -q 'string "'
}
