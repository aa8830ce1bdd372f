# packages: gnome-shell dconf-cli dconf-service gsettings-desktop-schemas qt6-wayland
# GNOME: gnome-shell as a nested Wayland compositor in a window on Xvfb.  It
# draws the background only behind windows and in the overview's workspace
# preview; with no window open it starts in the overview, and we keep it there.
# Its scale is the dummy monitor's, fixed when the shell starts: checks 17
# and 17b get starts of their own.  Check 17d ("2x") starts it as the X11
# session's window manager on Xvfb instead, scaled by its scaling-factor.
# scaled starts: 1.5 2 2x

# The desktop's wallpaper is read back before each change and at quit.
TD_READS_WALLPAPER=1

# Two monitors: mutter's dummy monitors all take the one mode of
# MUTTER_DEBUG_DUMMY_MODE_SPECS (given several specs, mutter 43 used one),
# so B is A's size here, side by side in a window twice as wide.
if ((TD_MONITORS == 2)); then
  TD_BW=$TD_W
  TD_BH=$TD_H
fi

d_start() {
  export XDG_CURRENT_DESKTOP=GNOME DESKTOP_SESSION=gnome XDG_SESSION_TYPE=wayland
  [[ ${TD_SCALE:-} == *x ]] && { start_x11 "${TD_SCALE%x}"; return; }
  export MUTTER_DEBUG_DUMMY_MODE_SPECS=${TD_W}x$TD_H MUTTER_DEBUG_NUM_DUMMY_MONITORS=$TD_MONITORS
  td_start_xvfb $((TD_W * TD_MONITORS))x$TD_H && td_start_dbus || return 1
  if [[ -n ${TD_SCALE:-} ]]; then
    export MUTTER_DEBUG_DUMMY_MONITOR_SCALES=$TD_SCALE
    # A fractional scale needs the monitor's framebuffer scaled (logical
    # layout), which mutter still calls experimental.
    [[ $TD_SCALE == *.* ]] && gs set org.gnome.mutter experimental-features "['scale-monitor-framebuffer']"
  fi
  # Without a system bus the shell dies in its login-manager proxy.
  td_start_system_bus || return 1
  td_spawn gnome-shell gnome-shell --nested --wayland --no-x11
  td_wait_until 40 test -S "$XDG_RUNTIME_DIR/wayland-0" ||
    { echo "gnome-shell made no Wayland socket (see gnome-shell.log)"; return 1; }
  td_wait_until 40 show_overview || { echo "gnome-shell does not answer on D-Bus"; return 1; }
  if [[ -n ${TD_SCALE:-} ]]; then
    local taken
    # The logical monitor at the origin: (x, y, scale, transform, …).
    taken=$(td_as_user timeout 5 gdbus call --session --dest org.gnome.Mutter.DisplayConfig \
      --object-path /org/gnome/Mutter/DisplayConfig --method org.gnome.Mutter.DisplayConfig.GetCurrentState |
      grep -o '(0, 0, [0-9.]*, uint32' | head -n1 | cut -d' ' -f3 | tr -d ,)
    awk -v a="${taken:-0}" -v b="$TD_SCALE" 'BEGIN { exit !(a == b) }' ||
      { echo "mutter did not take scale $TD_SCALE (it reports ${taken:-none})"; return 1; }
  fi
  # Vendaro runs as the shell's Wayland client (there is no Xwayland here).
  export WAYLAND_DISPLAY=wayland-0 QT_QPA_PLATFORM=wayland
}

# gnome-shell on X11 at an integer SCALE: the scaling-factor key, and
# Xft.dpi as the session's settings daemon hands it to X programs.
start_x11() {
  local scale=$1 taken
  export XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb
  td_start_xvfb && td_start_dbus && td_start_system_bus || return 1
  gs set org.gnome.desktop.interface scaling-factor "$scale" || return 1
  echo "Xft.dpi: $((96 * scale))" | td_as_user xrdb -merge
  td_spawn gnome-shell gnome-shell --x11 --replace
  td_wait_until 60 show_overview || { echo "gnome-shell does not answer on D-Bus"; return 1; }
  taken=$(td_as_user timeout 5 gdbus call --session --dest org.gnome.Mutter.DisplayConfig \
    --object-path /org/gnome/Mutter/DisplayConfig --method org.gnome.Mutter.DisplayConfig.GetCurrentState |
    grep -o '(0, 0, [0-9.]*, uint32' | head -n1 | cut -d' ' -f3 | tr -d ,)
  awk -v a="${taken:-0}" -v b="$scale" 'BEGIN { exit !(a == b) }' ||
    { echo "mutter did not take scale $scale (it reports ${taken:-none})"; return 1; }
}

show_overview() {
  td_as_user timeout 5 gdbus call --session --dest org.gnome.Shell --object-path /org/gnome/Shell \
    --method org.freedesktop.DBus.Properties.Set org.gnome.Shell OverviewActive '<true>' >/dev/null
}
d_before_shot() { show_overview 2>/dev/null; }

# Inside the workspace preview: the nested window (the whole Xvfb screen)
# shows the overview with the preview at about 70 % of its size, centred.
# At a fractional scale the window has the monitor's logical size.
d_points() {
  local fx fy w=$TD_W h=$TD_H
  if [[ ${TD_SCALE:-} == *.* ]]; then
    w=$(awk -v w="$w" -v s="$TD_SCALE" 'BEGIN { printf "%d", w / s }')
    h=$(awk -v h="$h" -v s="$TD_SCALE" 'BEGIN { printf "%d", h / s }')
  fi
  for fy in 25 50 75; do
    for fx in 23 50 77; do printf '%d,%d ' $((w * fx / 100)) $((h * fy / 100)); done
  done
}

# Two monitors: each shows the overview, with its workspace preview where
# this run measured it (monitor A's preview leaves out the top bar's 33
# rows).  A point of the layout goes to the same place in its preview.
d_map_point() {
  local x=$1 y=$2
  if ((TD_MONITORS == 2 && x < TD_W)); then
    echo $((188 + x * 904 / TD_W)) $((122 + (y - 33) * 904 / TD_W))
  elif ((TD_MONITORS == 2)); then
    echo $((1427 + (x - TD_W) * 986 / TD_W)) $((92 + y * 986 / TD_W))
  else
    echo "$x" "$y"
  fi
}

d_user_picture() {
  gs set org.gnome.desktop.background picture-uri "file://$1"
  gs set org.gnome.desktop.background picture-uri-dark "file://$1"
  gs set org.gnome.desktop.background picture-options zoom
}

d_dump() { td_as_user timeout 5 dconf dump /; }

d_service_pid() { td_marked_named dconf-service; }
