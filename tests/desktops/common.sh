# Shared pieces of the real-desktop suite (scripts/test-desktops.sh): the
# private session, the processes it starts, pictures, screenshots and results.
# Sourced, never run on its own.

TD_HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
# Desktops refuse root (sway) or behave differently under it, and a real
# session belongs to a user: everything but apt runs as this one.
TD_USER=vendaro-desktops
TD_W=1280
TD_H=800
# TD_MONITORS=2 runs the desktop on two monitors: A, the primary, TD_W×TD_H
# at the origin, and B, TD_BW×TD_BH right of it (half A's size, so that a
# picture composed for A and scaled to B looks different from B's own).
: "${TD_MONITORS:=1}"
TD_BW=$((TD_W / 2))
TD_BH=$((TD_H / 2))
# TD_SCALE=S starts a desktop already scaled by S (one that cannot change
# its scale while it runs): its monitor keeps TD_W×TD_H logical pixels, so
# it has S times as many of its own.  "Sw" and "Sx" ask for the desktop's
# Wayland or X11 session where it has both.
if [[ -n ${TD_SCALE:-} ]]; then
  TD_W=$(awk -v w="$TD_W" -v s="${TD_SCALE%[wx]}" 'BEGIN { printf "%d", w * s + 0.5 }')
  TD_H=$(awk -v h="$TD_H" -v s="${TD_SCALE%[wx]}" 'BEGIN { printf "%d", h * s + 0.5 }')
fi
# Every process of a session gets TD_MARK=<this> in its environment, so that
# cleanup finds exactly ours, D-Bus-activated services included.
: "${TD_MARK:=vendaro-desktops-$$}"

td_log() { printf '[%s] %s\n' "$(date +%T)" "$*" >&2; }

td_now() { echo "${EPOCHREALTIME/,/.}"; }
td_since() { awk -v a="$1" -v b="$(td_now)" 'BEGIN { printf "%.1f", b - a }'; }

# The desktops of the suite: every script here with a "# packages:" line.
td_desktops() {
  local script
  for script in "$TD_HERE"/*.sh; do
    grep -q '^# packages:' "$script" && basename "$script" .sh
  done
}

# The scales a desktop starts at for checks 17 and 17b (its script's
# "# scaled starts:" line); none for one that can change its scale running.
td_scaled_starts() { sed -n 's/^# scaled starts://p' "$TD_HERE/$1.sh"; }

# The packages a desktop needs: "common" in packages.txt, the others in the
# "# packages:" line of the desktop's script.
td_packages() {
  if [[ $1 == common ]]; then
    awk '$1 == "common:" { $1 = ""; print }' "$TD_HERE/packages.txt"
  else
    sed -n 's/^# packages://p' "$TD_HERE/$1.sh"
  fi
}

# Installs the packages of the named desktops that are missing; apt-get
# waits for another apt run (other builds share this machine).
td_install() {
  local missing=() pkg name
  for pkg in $(for name in "$@"; do td_packages "$name"; done); do
    [[ $(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null) == "install ok installed" ]] || missing+=("$pkg")
  done
  ((${#missing[@]})) || return 0
  td_log "installing: ${missing[*]}"
  apt-get -o DPkg::Lock::Timeout=900 update -qq &&
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq \
      --no-install-recommends "${missing[@]}"
}

td_make_user() {
  # No home of its own: every session gets a temporary one.
  id -u "$TD_USER" >/dev/null 2>&1 ||
    useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin "$TD_USER"
}

# The session's folders and environment; everything lives under $TD_SESSION.
td_session() {
  TD_SESSION=$1
  local dir
  for dir in home config state data cache runtime logs pics shots; do mkdir -p "$TD_SESSION/$dir"; done
  chmod 755 "$TD_SESSION" "$TD_SESSION/pics"
  chmod 700 "$TD_SESSION/runtime"
  chown -R "$TD_USER:" "$TD_SESSION/home" "$TD_SESSION/config" "$TD_SESSION/state" \
    "$TD_SESSION/data" "$TD_SESSION/cache" "$TD_SESSION/runtime"
  TD_LOGS=$TD_SESSION/logs
  export HOME=$TD_SESSION/home XDG_CONFIG_HOME=$TD_SESSION/config XDG_STATE_HOME=$TD_SESSION/state
  export XDG_DATA_HOME=$TD_SESSION/data XDG_CACHE_HOME=$TD_SESSION/cache XDG_RUNTIME_DIR=$TD_SESSION/runtime
  export USER=$TD_USER LOGNAME=$TD_USER NO_AT_BRIDGE=1 LANG=C.UTF-8
  export DBUS_SESSION_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/bus
  unset DISPLAY WAYLAND_DISPLAY SWAYSOCK XDG_SESSION_TYPE DESKTOP_SESSION KDE_FULL_SESSION
  unset GSETTINGS_BACKEND QT_QPA_PLATFORM DBUS_SYSTEM_BUS_ADDRESS
  TD_VSTATE=$XDG_STATE_HOME/Vendaro
}

td_as_user() {
  setpriv --reuid="$TD_USER" --regid="$TD_USER" --init-groups env TD_MARK="$TD_MARK" "$@"
}

# Starts a long-lived component as the user, its output in logs/NAME.log.
td_spawn() {
  local name=$1
  shift
  td_log "start $name: $*"
  # Not through td_as_user: a backgrounded function would leave a subshell's
  # pid in $!, and check 7 stops the component by it.
  setpriv --reuid="$TD_USER" --regid="$TD_USER" --init-groups env TD_MARK="$TD_MARK" "$@" \
    >>"$TD_LOGS/$name.log" 2>&1 </dev/null &
  eval "TD_PID_${name//[^A-Za-z0-9]/_}=$!"
}
td_pid() { local var="TD_PID_${1//[^A-Za-z0-9]/_}"; echo "${!var:-}"; }
td_alive() { [[ -n $1 ]] && kill -0 "$1" 2>/dev/null; }

# Waits until the command succeeds, at most SECONDS.
td_wait_until() {
  local seconds=$1 start
  shift
  start=$(td_now)
  until "$@" >/dev/null 2>&1; do
    td_over "$start" "$seconds" && return 1
    sleep 0.2
  done
}
td_over() { awk -v a="$1" -v b="$(td_now)" -v l="$2" 'BEGIN { exit !(b - a >= l) }'; }

td_marked_pids() {
  grep -lzx "TD_MARK=${1:-$TD_MARK}" /proc/[0-9]*/environ 2>/dev/null | cut -d/ -f3 | grep -vx "$$"
}

# Ends every process of the session (stopped ones are woken first).
td_kill_marked() {
  local mark=${1:-$TD_MARK} pids i
  pids=$(td_marked_pids "$mark")
  [[ -z $pids ]] && return 0
  kill -CONT $pids 2>/dev/null
  kill -TERM $pids 2>/dev/null
  for i in $(seq 30); do
    sleep 0.1
    pids=$(td_marked_pids "$mark")
    [[ -z $pids ]] && return 0
  done
  td_log "still running after SIGTERM, killing: $pids"
  kill -KILL $pids 2>/dev/null
  return 0
}

td_start_dbus() {
  td_spawn dbus dbus-daemon --session --nofork --nopidfile --address="$DBUS_SESSION_BUS_ADDRESS"
  td_wait_until 10 test -S "$XDG_RUNTIME_DIR/bus" || { echo "the session bus did not start"; return 1; }
}

# An empty private system bus: some desktops die when they cannot reach one.
td_start_system_bus() {
  export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$XDG_RUNTIME_DIR/system_bus
  td_spawn system-bus dbus-daemon --session --nofork --nopidfile --address="$DBUS_SYSTEM_BUS_ADDRESS"
  td_wait_until 10 test -S "$XDG_RUNTIME_DIR/system_bus" || { echo "the system bus did not start"; return 1; }
}

# The X server of the session.  Two monitors need Xorg with the dummy
# driver: Xvfb has a single RandR output, and monitors made on it with
# `xrandr --setmonitor NAME … none` have no output, which GTK 3 (xfdesktop,
# caja, csd-background) and Qt 5 (plasmashell) leave out: they see one
# monitor.
td_start_x() {
  if ((TD_MONITORS == 2)); then td_start_xorg_two; else td_start_xvfb; fi
}

# Xvfb picks a free display itself and tells its number through a pipe.
td_start_xvfb() {
  local size=${1:-${TD_W}x${TD_H}} fifo=$TD_SESSION/displayfd number
  rm -f "$fifo"
  mkfifo "$fifo"
  chown "$TD_USER:" "$fifo"
  td_spawn xvfb bash -c 'exec Xvfb -displayfd 3 -screen 0 "$1"x24 -nolisten tcp -noreset +extension RANDR 3>"$2"' \
    xvfb "$size" "$fifo"
  number=$(timeout 15 head -n1 "$fifo")
  [[ -n $number ]] || { echo "Xvfb did not start"; return 1; }
  export DISPLAY=:$number
  td_log "Xvfb on $DISPLAY"
}

# Xorg with the dummy driver, run as the user: each DUMMYn is a RandR output
# that has a mode and a place, as a real monitor would.  They are given in
# the configuration as the outputs' preferred modes, so that a desktop that
# lays out its monitors itself (Cinnamon's csd-xrandr: each output in its
# preferred mode, side by side) keeps them.
td_start_xorg_two() {
  local conf=$TD_SESSION/xorg.conf fifo=$TD_SESSION/displayfd number
  cat >"$conf" <<EOF
Section "ServerFlags"
  Option "AutoAddDevices" "false"
  Option "DontVTSwitch" "true"
EndSection
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 64000
  Option "Monitor-DUMMY0" "a"
  Option "Monitor-DUMMY1" "b"
EndSection
Section "Monitor"
  Identifier "a"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
  Option "PreferredMode" "${TD_W}x$TD_H"
  Option "Primary" "true"
EndSection
Section "Monitor"
  Identifier "b"
  HorizSync 5.0 - 1000.0
  VertRefresh 5.0 - 200.0
  Option "PreferredMode" "${TD_BW}x$TD_BH"
  Option "Enable" "true"
  Option "RightOf" "a"
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  Monitor "a"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual $((TD_W + TD_BW)) $TD_H
  EndSubSection
EndSection
EOF
  chmod 644 "$conf"
  rm -f "$fifo"
  mkfifo "$fifo"
  chown "$TD_USER:" "$fifo"
  # Xorg moves an older log aside, so it needs a folder of its own.
  install -d -o "$TD_USER" "$TD_LOGS/xorg"
  td_spawn xorg bash -c 'exec /usr/lib/xorg/Xorg -displayfd 3 -config "$1" -logfile "$2" -nolisten tcp \
    -noreset -novtswitch -sharevts 3>"$3"' xorg "$conf" "$TD_LOGS/xorg/Xorg.log" "$fifo"
  number=$(timeout 15 head -n1 "$fifo")
  [[ -n $number ]] || { echo "Xorg did not start (see xorg.log)"; return 1; }
  export DISPLAY=:$number
  td_log "Xorg on $DISPLAY: $(td_as_user xrandr --listmonitors | tr '\n' ' ')"
}

# Monitor B of Xorg's dummy driver off and on again at its place.
td_unplug_dummy() { td_as_user xrandr --output DUMMY1 --off; }
td_plug_dummy() { td_as_user xrandr --output DUMMY1 --auto --right-of DUMMY0; }

# Screenshots.  The default is the X root window; sway overrides it.
td_shot_x() { td_as_user xwd -root -silent -display "$DISPLAY" | convert xwd:- "$1"; }

# The generated pictures: one solid colour each, named in palette.txt, so the
# colour at a few points tells which one the screen shows.
TD_COLOURS=(
  user:200,120,40 oneoff:40,200,200 list1:200,40,40 list2:40,200,40 list3:40,40,200
  hung:120,60,160 eight1:210,210,40 eight2:200,40,200 eight3:128,128,128 eight4:245,245,245
  eight5:90,20,20 eight6:20,90,20 eight7:20,20,100 eight8:245,160,190
  twin:250,200,0 margin:30,60,90 mine:160,200,90
)
td_make_pictures() {
  local entry name rgb size
  : >"$TD_SESSION/pics/palette.txt"
  for entry in "${TD_COLOURS[@]}"; do
    name=${entry%%:*}
    rgb=${entry#*:}
    # A quarter of the screen for the two-monitor check, shown at its own size.
    [[ $name == twin ]] && size=$((TD_W / 4))x$((TD_H / 4)) || size=${TD_W}x$TD_H
    convert -size "$size" "xc:rgb($rgb)" -depth 8 "PNG24:$TD_SESSION/pics/$name.png"
    echo "$name ${rgb//,/ }" >>"$TD_SESSION/pics/palette.txt"
  done
  chmod 644 "$TD_SESSION"/pics/*
}

# Polls the screen until it shows picture NAME (a glob pattern), at most
# SECONDS; leaves what it saw last in TD_SEEN and the time taken in TD_TOOK.
# The last shot stays as shots/STEP.png.
td_wait_for() {
  local want=$1 seconds=$2 step=$3 start out found=1 shot=$TD_SESSION/shots/current.ppm
  start=$(td_now)
  while :; do
    if declare -F d_before_shot >/dev/null; then d_before_shot; fi
    TD_SEEN="no screenshot"
    if d_shot "$shot" 2>>"$TD_LOGS/screenshots.log"; then
      out=$(python3 "$TD_HERE/pixels.py" "$shot" "$TD_SESSION/pics/palette.txt" $(d_points) 2>&1)
      found=$?
      TD_SEEN=${out:-"unreadable screenshot"}
    fi
    TD_TOOK=$(td_since "$start")
    # shellcheck disable=SC2053 # WANT may be a pattern: 'list[123]'
    [[ $found == 0 && ${TD_SEEN%% *} == $want ]] && break
    found=1
    td_over "$start" "$seconds" && break
    sleep 0.3
  done
  [[ -f $shot ]] && convert "$shot" "$TD_SESSION/shots/$step.png" 2>/dev/null
  return $found
}

# Polls the screen until every point shows its colour (pixels.py --each
# NAME@X,Y …), at most SECONDS; TD_SEEN and TD_TOOK as td_wait_for leaves
# them, the last shot as shots/STEP.png.
td_wait_for_each() {
  local seconds=$1 step=$2 start found=1 shot=$TD_SESSION/shots/current.ppm
  shift 2
  start=$(td_now)
  while :; do
    if declare -F d_before_shot >/dev/null; then d_before_shot; fi
    TD_SEEN="no screenshot"
    if d_shot "$shot" 2>>"$TD_LOGS/screenshots.log"; then
      TD_SEEN=$(python3 "$TD_HERE/pixels.py" "$shot" "$TD_SESSION/pics/palette.txt" --each "$@" 2>&1)
      found=$?
    fi
    TD_TOOK=$(td_since "$start")
    ((found == 0)) && break
    td_over "$start" "$seconds" && break
    sleep 0.3
  done
  [[ -f $shot ]] && convert "$shot" "$TD_SESSION/shots/$step.png" 2>/dev/null
  return $found
}

# Default sample points: nine spread over the screen, away from its edges
# where panels and desktop icons live.
d_points() {
  local fx fy
  for fy in 30 50 70; do
    for fx in 30 50 70; do printf '%d,%d ' $((TD_W * fx / 100)) $((TD_H * fy / 100)); done
  done
}

# Runs a command as the user with a time limit; TD_RC, TD_TOOK and TD_ERR
# (its standard error, one line) describe how it went.
td_timed() {
  local seconds=$1 name=$2 start errfile=$TD_LOGS/$2.err
  shift 2
  start=$(td_now)
  echo "\$ $*" >>"$TD_LOGS/commands.log"
  timeout -k 2 "$seconds" setpriv --reuid="$TD_USER" --regid="$TD_USER" --init-groups \
    env TD_MARK="$TD_MARK" "$@" >>"$TD_LOGS/commands.log" 2>"$errfile" </dev/null
  TD_RC=$?
  TD_TOOK=$(td_since "$start")
  cat "$errfile" >>"$TD_LOGS/commands.log"
  echo "  -> exit $TD_RC after ${TD_TOOK}s" >>"$TD_LOGS/commands.log"
  TD_ERR=$(tr '\n' ' ' <"$errfile" | cut -c1-160)
}

td_result() {
  printf '%s\t%s\t%s\t%s\n' "$TD_DESKTOP" "$1" "$2" "${3:-}" >>"$TD_RESULTS"
  td_log "$TD_DESKTOP $1: $2 ${3:-}"
}

# The result table: one row a desktop, one column a check; reasons below.
td_print_table() {
  local results=$1
  [[ -s $results ]] || { echo "no results"; return; }
  python3 - "$results" <<'EOF'
import sys
rows = [line.rstrip("\n").split("\t") for line in open(sys.argv[1]) if line.strip()]
checks, desktops, cells = [], [], {}
for desktop, check, status, reason in rows:
    if check not in checks: checks.append(check)
    if desktop not in desktops: desktops.append(desktop)
    cells[desktop, check] = status
width = max(len(c) for c in checks) + 1
print("check".ljust(width) + "".join(d.ljust(10) for d in desktops))
for check in checks:
    print(check.ljust(width) + "".join(cells.get((d, check), "-").ljust(10) for d in desktops))
print()
for desktop, check, status, reason in rows:
    if status != "pass" or reason:
        print(f"{desktop:9} {check:14} {status:5} {reason}")
EOF
}

# The pid of our process whose command name is NAME (a D-Bus-activated
# service, for example), if there is one.
td_marked_named() {
  local pid
  for pid in $(td_marked_pids); do
    [[ $(cat "/proc/$pid/comm" 2>/dev/null) == "$1" ]] && { echo "$pid"; return 0; }
  done
  return 1
}

gs() { td_as_user timeout 5 gsettings "$@"; }
