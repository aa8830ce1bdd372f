# packages: cinnamon cinnamon-session cinnamon-settings-daemon nemo dconf-cli dconf-service xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
# Cinnamon: the whole session (cinnamon-session starts cinnamon, the csd-*
# daemons and nemo-desktop) on Xvfb.  csd-background draws the picture into
# the root window's pixmap and cinnamon composites it.  nemo-desktop's icon
# window is opaque black here (no transparency on Xvfb), so its icons are
# turned off, which also keeps them off the sample points.

# The desktop's wallpaper is read back before each change and at quit.
TD_READS_WALLPAPER=1

d_start() {
  export XDG_CURRENT_DESKTOP=X-Cinnamon DESKTOP_SESSION=cinnamon XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb
  td_start_x && td_start_dbus || return 1
  # For the screensaver's and power daemon's login-manager lookups.
  td_start_system_bus || return 1
  gs set org.nemo.desktop show-desktop-icons false || { echo "gsettings cannot write to dconf"; return 1; }
  td_spawn cinnamon-session cinnamon-session --session cinnamon
  td_wait_until 60 td_as_user timeout 5 gdbus call --session --dest org.Cinnamon --object-path /org/Cinnamon \
    --method org.freedesktop.DBus.Peer.Ping || { echo "cinnamon does not answer on D-Bus"; return 1; }
  td_wait_until 30 td_as_user timeout 5 bash -c "xprop -display $DISPLAY -root _XROOTPMAP_ID | grep -q pixmap" ||
    { echo "csd-background set no root pixmap"; return 1; }
}

d_user_picture() {
  gs set org.cinnamon.desktop.background picture-uri "file://$1"
  gs set org.cinnamon.desktop.background picture-options stretched
}

d_dump() { td_as_user timeout 5 dconf dump /; }

d_service_pid() { td_marked_named dconf-service; }

d_unplug() { td_unplug_dummy; }
d_plug() { td_plug_dummy; }
