# Shared by the benchmark scripts: installing what a benchmark needs, a
# Release build of its targets, a private home and a generated photo.
# Sourced after `root` is set.

# Installs the Debian packages named, if any (through sudo when not root).
bench_install() {
  (($#)) || return 0
  echo "Installing: $*"
  local sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "$@"
}

# A Release build in build/NAME of the targets given, without tests; extra
# CMake options may follow a "--".
bench_build() {  # NAME TARGET... [-- OPTION...]
  local name=$1 targets=() options=()
  shift
  while (($#)) && [[ $1 != -- ]]; do targets+=("$1"); shift; done
  (($#)) && shift && options=("$@")
  build="$root/build/$name"
  cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
    "${options[@]}" >/dev/null
  cmake --build "$build" --target "${targets[@]}" -j2 >/dev/null
}

# HOME and the XDG folders inside FOLDER, so that nothing outside it is
# touched; and no desktop to talk to.
bench_private_home() {  # FOLDER
  mkdir -p "$1/home"
  export HOME="$1/home" XDG_CONFIG_HOME="$1/home/.config" XDG_STATE_HOME="$1/home/.state"
  export XDG_CACHE_HOME="$1/home/.cache" XDG_DATA_HOME="$1/home/.data"
  unset WAYLAND_DISPLAY SWAYSOCK KDE_FULL_SESSION DESKTOP_SESSION
}

# A private home in FOLDER for the resident program on Xvfb, made the
# current folder; `data` names its data folder.
bench_resident_home() {  # FOLDER
  mkdir -p "$1"
  cd "$1"
  bench_private_home "$1"
  unset XDG_CURRENT_DESKTOP DBUS_SESSION_BUS_ADDRESS
  export XDG_RUNTIME_DIR="$1/runtime" QT_QPA_PLATFORM=xcb
  mkdir -p -m 700 "$XDG_RUNTIME_DIR"
  data="$XDG_CONFIG_HOME/Vendaro"
}

# photo.jpg, 6000x4000, in the current folder: large soft structures in each
# channel plus fine grain.
bench_photo() {
  [[ -f photo.jpg ]] && return 0
  local b
  for b in 1 2 3; do
    vips gaussnoise "soft$b.v" 375 250 --sigma 60 --mean 128
    vips resize "soft$b.v" "big$b.v" 16 --kernel cubic
    vips gaussnoise "grain$b.v" 6000 4000 --sigma 12 --mean 0
    vips add "big$b.v" "grain$b.v" "band$b.v"
  done
  vips bandjoin "band1.v band2.v band3.v" joined.v
  vips cast joined.v cast.v uchar
  vips jpegsave cast.v photo.jpg --Q 90
  rm -f soft*.v big*.v grain*.v band*.v joined.v cast.v
}

# Starts Xvfb with one screen of SIZE (WxHxDEPTH) on a display number no
# other server holds, sets DISPLAY and `xvfb` (its process id) and waits
# until it answers.
bench_xvfb() {  # SIZE
  local n
  display=
  for n in $(seq 150 250); do
    [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]] && continue
    display=:$n
    break
  done
  Xvfb "$display" -noreset -nolisten tcp -screen 0 "$1" >/dev/null 2>&1 &
  xvfb=$!
  export DISPLAY=$display
  for _ in $(seq 100); do xprop -root >/dev/null 2>&1 && break; sleep 0.1; done
}
