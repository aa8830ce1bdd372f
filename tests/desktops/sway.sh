# packages: sway swaybg grim qt6-wayland
# sway: the headless wlroots backend with the pixman renderer; the user's
# wallpaper is Debian's default config's `output * bg` line (pointing at the
# user's picture), which sway draws with a swaybg child of its own.

d_start() {
  export XDG_CURRENT_DESKTOP=sway XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland
  export WLR_BACKENDS=headless WLR_LIBINPUT_NO_DEVICES=1 WLR_RENDERER=pixman WLR_HEADLESS_OUTPUTS=$TD_MONITORS
  mkdir -p "$XDG_CONFIG_HOME/sway"
  # A headless output starts at 1920x1080; the mode lines make them our sizes.
  local outputs="output * mode ${TD_W}x$TD_H"
  ((TD_MONITORS == 2)) && outputs="output HEADLESS-1 mode ${TD_W}x$TD_H position 0 0\n"
  ((TD_MONITORS == 2)) && outputs+="output HEADLESS-2 mode ${TD_BW}x$TD_BH position $TD_W 0"
  # On two monitors the background comes from a file the config includes,
  # as users split their configs.
  local background="output * bg $TD_SESSION/pics/user.png fill"
  if ((TD_MONITORS == 2)); then
    mkdir -p "$XDG_CONFIG_HOME/sway/config.d"
    echo "$background" >"$XDG_CONFIG_HOME/sway/config.d/wallpaper.conf"
    background="include config.d/*"
  fi
  sed "s|^output \* bg .*|$background\n$outputs|" /etc/sway/config >"$XDG_CONFIG_HOME/sway/config"
  grep -qF "$background" "$XDG_CONFIG_HOME/sway/config" ||
    { echo "/etc/sway/config has no 'output * bg' line"; return 1; }
  chown -R "$TD_USER:" "$XDG_CONFIG_HOME/sway"
  td_start_dbus || return 1
  td_spawn sway sway
  td_wait_until 20 compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" || { echo "sway made no IPC socket"; return 1; }
  SWAYSOCK=$(compgen -G "$XDG_RUNTIME_DIR/sway-ipc.*.sock" | head -n1)
  WAYLAND_DISPLAY=$(cd "$XDG_RUNTIME_DIR" && compgen -G 'wayland-*' | grep -v lock | head -n1)
  export SWAYSOCK WAYLAND_DISPLAY
  td_wait_until 20 td_as_user timeout 5 swaymsg -t get_outputs || { echo "sway does not answer"; return 1; }
}

# The bg line was written into the config (or a file it includes) before
# sway started.
d_user_picture() { echo "set by the config's output * bg line"; }

d_shot_sway() { td_as_user timeout 5 grim -t ppm - >"$1"; }

d_dump() {
  td_as_user timeout 5 swaymsg -t get_outputs
  td_as_user timeout 5 swaymsg -t get_config
}

d_service_pid() { td_pid sway; }

d_reload() { td_as_user timeout 5 swaymsg reload; }

d_unplug() { td_as_user timeout 5 swaymsg output HEADLESS-2 disable; }
d_plug() { td_as_user timeout 5 swaymsg output HEADLESS-2 enable; }

# The outputs' scale (1.5: a 1280x800 output is 853x533 in the layout).
d_scale() { td_as_user timeout 5 swaymsg output '*' scale "$1"; }
