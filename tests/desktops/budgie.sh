# packages: budgie-core dconf-cli dconf-service gsettings-desktop-schemas xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils x11-utils
# Budgie: its window manager (budgie-wm, a compositing X11 window manager)
# draws the background from org.gnome.desktop.background in the real dconf
# database.  The panel and the rest of the session are not needed for it.

# The desktop's wallpaper is read back before each change and at quit.
TD_READS_WALLPAPER=1

d_start() {
  export XDG_CURRENT_DESKTOP=Budgie:GNOME DESKTOP_SESSION=budgie-desktop XDG_SESSION_TYPE=x11
  export QT_QPA_PLATFORM=xcb
  td_start_x && td_start_dbus || return 1
  td_start_system_bus || return 1
  gs set org.gnome.desktop.background picture-options stretched ||
    { echo "gsettings cannot write to dconf"; return 1; }
  td_spawn budgie-wm budgie-wm --replace
  td_wait_until 30 td_as_user timeout 5 bash -c "xprop -display $DISPLAY -root _NET_SUPPORTING_WM_CHECK |
    grep -q 'window id'" || { echo "budgie-wm manages no screen (see budgie-wm.log)"; return 1; }
  # It draws the background a moment after it takes the screen.
  sleep 2
}

d_user_picture() {
  gs set org.gnome.desktop.background picture-uri "file://$1"
  gs set org.gnome.desktop.background picture-uri-dark "file://$1"
  gs set org.gnome.desktop.background picture-options stretched
}

d_dump() { td_as_user timeout 5 dconf dump /; }

d_service_pid() { td_marked_named dconf-service; }

d_unplug() { td_unplug_dummy; }
d_plug() { td_plug_dummy; }
