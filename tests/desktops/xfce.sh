# packages: xfdesktop4 xfconf xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
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
