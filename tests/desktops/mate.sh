# packages: caja dconf-cli dconf-service dconf-gsettings-backend mate-desktop-common xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
# MATE: caja draws the desktop on Xvfb from org.mate.background in the real
# dconf database, whose writer (dconf-service) the session bus starts.

# The desktop's wallpaper is read back before each change and at quit.
TD_READS_WALLPAPER=1

d_start() {
  export XDG_CURRENT_DESKTOP=MATE DESKTOP_SESSION=mate XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb
  td_start_x && td_start_dbus || return 1
  # Desktop icons would cover the sample points.
  local key
  for key in computer-icon-visible home-icon-visible network-icon-visible trash-icon-visible volumes-visible; do
    gs set org.mate.caja.desktop "$key" false || { echo "gsettings cannot write to dconf"; return 1; }
  done
  td_spawn caja caja --force-desktop --no-default-window
  td_wait_until 20 td_as_user xwininfo -display "$DISPLAY" -root -tree -name x-caja-desktop ||
    td_wait_until 5 bash -c "xwininfo -display $DISPLAY -root -tree | grep -q -i desktop" ||
    { echo "caja shows no desktop window (see caja.log)"; return 1; }
}

d_user_picture() {
  gs set org.mate.background picture-filename "$1"
  gs set org.mate.background picture-options stretched
}

d_dump() { td_as_user timeout 5 dconf dump /; }

d_service_pid() { td_marked_named dconf-service; }

d_unplug() { td_unplug_dummy; }
d_plug() { td_plug_dummy; }

# The X desktop's scale as Qt reads it: Xft.dpi, 96 a step.
d_scale() { awk -v s="$1" 'BEGIN { printf "Xft.dpi: %d\n", 96 * s }' | td_as_user xrdb -merge; }
