# packages: plasma-workspace plasma-desktop xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils kwin-wayland qtwayland5 qt6-wayland
# KDE Plasma: plasmashell draws the desktop on Xvfb (no KWin); the wallpaper
# lives in its containments' config, reached through its scripting D-Bus call.
# Plasma on X11 scales as its session start sets it up (kdeglobals' KScreen
# factors handed to every Qt program, Xft.dpi to match; plasmashell itself
# turns Qt's scaling off and follows the fonts' dpi): fixed for the session,
# so check 17 gets a start of its own.  Plasma on Wayland ("1.5w") scales in
# KWin, each output by its own factor: check 17c starts kwin_wayland's
# virtual output at 1.5 with plasmashell on it.
# scaled starts: 1.5 1.5w

# The desktop's wallpaper is read back before each change and at quit.
TD_READS_WALLPAPER=1

d_start() {
  export XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 DESKTOP_SESSION=plasma
  export XDG_SESSION_TYPE=x11 QT_QPA_PLATFORM=xcb
  if [[ ${TD_SCALE:-} == *w ]]; then
    start_kwin_wayland "${TD_SCALE%w}" || return 1
  else
    td_start_x && td_start_dbus || return 1
    [[ -n ${TD_SCALE:-} ]] && { start_scaled || return 1; }
  fi
  td_spawn plasmashell plasmashell --no-respawn
  td_wait_until 60 has_every_screen ||
    { echo "plasmashell does not answer on D-Bus with a screen for each monitor (see plasmashell.log)"; return 1; }
  # It draws its default wallpaper a moment after it answers.
  sleep 3
}

# What the session start does with a global scale: the factor for each
# monitor in kdeglobals and in QT_SCREEN_SCALE_FACTORS, fonts at its dpi.
start_scaled() {
  local output
  output=$(td_as_user xrandr | awk '$2 == "connected" { print $1; exit }')
  [[ -n $output ]] || { echo "xrandr names no output"; return 1; }
  mkdir -p "$XDG_CONFIG_HOME"
  printf '[KScreen]\nScaleFactor=%s\nScreenScaleFactors=%s=%s;\n' "$TD_SCALE" "$output" "$TD_SCALE" \
    >>"$XDG_CONFIG_HOME/kdeglobals"
  chown "$TD_USER:" "$XDG_CONFIG_HOME/kdeglobals"
  export QT_SCREEN_SCALE_FACTORS="$output=$TD_SCALE;"
  local dpi
  dpi=$(awk -v s="$TD_SCALE" 'BEGIN { printf "%d", 96 * s }')
  echo "Xft.dpi: $dpi" | td_as_user xrdb -merge
  td_as_user xrdb -query | grep -qx "Xft.dpi:[[:space:]]*$dpi" || { echo "Xft.dpi $dpi did not take"; return 1; }
}

# kwin_wayland on a virtual output of TD_W×TD_H pixels at SCALE, as the
# Wayland session of Plasma would run it.
start_kwin_wayland() {
  local scale=$1 kwin=$TD_SESSION/kwin/kwin_wayland reported
  export XDG_SESSION_TYPE=wayland QT_QPA_PLATFORM=wayland WAYLAND_DISPLAY=wayland-0
  td_start_dbus || return 1
  # The installed binary carries a file capability (CAP_SYS_NICE, for its
  # scheduling) that a container's bounding set refuses at exec; a copy
  # without it runs the same.  KWin's own Qt platform wants the name.
  install -D -m 755 /usr/bin/kwin_wayland "$kwin"
  # Its size is given in the layout's (logical) pixels.
  td_spawn kwin "$kwin" --virtual --width "$(awk -v w="$TD_W" -v s="$scale" 'BEGIN { printf "%d", w / s }')" \
    --height "$(awk -v h="$TD_H" -v s="$scale" 'BEGIN { printf "%d", h / s }')" --scale "$scale" --socket wayland-0
  td_wait_until 30 test -S "$XDG_RUNTIME_DIR/wayland-0" || { echo "kwin_wayland made no socket (see kwin.log)"; return 1; }
  reported=$(td_as_user timeout 10 kscreen-doctor -o 2>&1 | sed 's/\x1b\[[0-9;]*m//g' | tr '\n' ' ')
  echo "kscreen-doctor: $reported"
  [[ $reported == *"Scale: $scale"* && $reported == *"${TD_W}x$TD_H@"* ]] ||
    { echo "kwin_wayland's output is not ${TD_W}x$TD_H at scale $scale"; return 1; }
}

plasma_script() {
  td_as_user dbus-send --session --print-reply=literal --reply-timeout=5000 --dest=org.kde.plasmashell \
    /PlasmaShell org.kde.PlasmaShell.evaluateScript "string:$1"
}

has_every_screen() {
  [[ $(plasma_script 'print(screenCount)') =~ ^[[:space:]]*$TD_MONITORS[[:space:]]*$ ]]
}

# The tool that Plasma's own wallpaper settings use from the command line.
d_user_picture() { td_as_user timeout 10 plasma-apply-wallpaperimage "$1"; }

# The wallpaper config of every desktop as Plasma reports it, and the file it
# keeps it in.
d_dump() {
  plasma_script "desktops().forEach(function (d) {
    print('desktop ' + d.id + ' screen ' + d.screen + ' plugin ' + d.wallpaperPlugin + '\\n');
    d.currentConfigGroup = ['Wallpaper', d.wallpaperPlugin, 'General'];
    d.configKeys.forEach(function (key) { print('  ' + key + '=' + d.readConfig(key) + '\\n'); });
  });"
  echo "--- plasma-org.kde.plasma.desktop-appletsrc"
  cat "$XDG_CONFIG_HOME/plasma-org.kde.plasma.desktop-appletsrc"
}

d_service_pid() { td_pid plasmashell; }

d_unplug() { td_unplug_dummy; }
d_plug() { td_plug_dummy; }
