#!/usr/bin/env bash
# Builds the Debian package from this tree (Release, in its own build folder)
# and checks it the way a user would meet it: unpacked into a scratch root
# (dpkg -x, no root needed), its programs run from there against a
# throw-away HOME, its desktop files validated, lintian over the .deb.
# Every check runs; the script fails at the end if any of them failed.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
build=${VENDARO_PACKAGE_CHECK_BUILD:-build/check-package}

failures=0
pass() { echo "ok   $*"; }
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
check() {  # check DESCRIPTION COMMAND...: passes when the command succeeds
  local what=$1; shift
  if "$@"; then pass "$what"; else fail "$what"; fi
}

scripts/deps.sh --only scripts/package-check-tools.txt
deb=$(scripts/package.sh "$build" | tail -n 1)
version=$(dpkg-deb -f "$deb" Version)
echo "Checking $deb"

scratch=$(mktemp -d "${TMPDIR:-/tmp}/vendaro-package.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
pkgroot=$scratch/root
dpkg -x "$deb" "$pkgroot"

# --- the release's version is the same everywhere --------------------------
metainfo=$pkgroot/usr/share/metainfo/org.example.vendaro.metainfo.xml
project_version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
changelog_version=$(gzip -dc "$pkgroot/usr/share/doc/vendaro/changelog.gz" | sed -n '1s/^vendaro (\([^)]*\)).*/\1/p') || true
metainfo_version=$(grep -m1 -o '<release version="[^"]*"' "$metainfo" | cut -d'"' -f2) || true
check "package version $version is the project's ($project_version)" [ "$version" = "$project_version" ]
check "the changelog's newest entry is $version (${changelog_version:-none})" [ "$version" = "$changelog_version" ]
check "the AppStream newest release is $version (${metainfo_version:-none})" [ "$version" = "$metainfo_version" ]

# --- layout ----------------------------------------------------------------
is_png() { [[ -f $1 && $(file -b "$1") == "PNG image data, $2 x $2,"* ]]; }
private_dirs=("$pkgroot"/usr/lib/*/vendaro "$pkgroot"/usr/lib/vendaro)
private=
for dir in "${private_dirs[@]}"; do [[ -d $dir ]] && private=$dir; done
check "private library folder under usr/lib" [ -n "$private" ]
for file in usr/bin/vendaro usr/bin/vendaro-compose; do
  check "$file is an executable" [ -x "$pkgroot/$file" ]
done
for lib in libvendaro-pictures.so libverdpak.so; do
  check "$lib in ${private#"$pkgroot"/}" [ -f "$private/$lib" ]
done
for file in usr/share/applications/vendaro.desktop usr/share/icons/hicolor/scalable/apps/vendaro.svg \
  usr/share/man/man1/vendaro.1.gz usr/share/man/man1/vendaro-compose.1.gz \
  usr/share/doc/vendaro/copyright; do
  check "$file" [ -f "$pkgroot/$file" ]
done
for size in 16 22 24 32 48 64 128 256; do
  icon=$pkgroot/usr/share/icons/hicolor/${size}x$size/apps/vendaro.png
  check "${size}x$size icon is a ${size}x$size PNG" is_png "$icon" "$size"
done
no_build_paths() { ! grep -rlF "$root" "$pkgroot"; }
check "no file holds the build's path" no_build_paths
no_runpath() { ! readelf -d "$pkgroot"/usr/bin/* "$private"/*.so | grep -qE 'RPATH|RUNPATH'; }
check "no RPATH or RUNPATH in the binaries" no_runpath
desktop_exec=$(sed -n 's/^Exec=//p' "$pkgroot/usr/share/applications/vendaro.desktop" | head -n 1)
check "the menu entry's Exec ($desktop_exec) is a program of the package" [ -x "$pkgroot/usr/bin/${desktop_exec%% *}" ]

# --- the programs, run from the scratch root --------------------------------
# A throw-away home and no display: nothing of the real desktop is touched.
home=$scratch/home
mkdir -p "$home"/{config,state,cache,data,runtime}
chmod 700 "$home/runtime"
run() {  # run OUT ERR [NAME=VALUE...] PROGRAM ARGS...: the program's status
  local out=$1 err=$2; shift 2
  env -i PATH=/usr/bin:/bin HOME="$home" LC_ALL=C.UTF-8 \
    XDG_CONFIG_HOME="$home/config" XDG_STATE_HOME="$home/state" XDG_CACHE_HOME="$home/cache" \
    XDG_DATA_HOME="$home/data" XDG_RUNTIME_DIR="$home/runtime" XDG_CONFIG_DIRS="$home/config-dirs" \
    QT_QPA_PLATFORM=offscreen "$@" >"$out" 2>"$err"
}
status_and_output() {  # STATUS EXPECTED: exit 0 and standard output exactly EXPECTED
  [ "$1" = 0 ] && [ "$(cat "$scratch/out")" = "$2" ]
}
status_and_some_output() { [ "$1" = 0 ] && [ -s "$scratch/out" ]; }
for program in vendaro vendaro-compose; do
  status=0
  run "$scratch/out" "$scratch/err" "$pkgroot/usr/bin/$program" --version || status=$?
  check "$program --version prints '$program $version' and exits 0 (got $status: $(head -c 200 "$scratch/out"))" \
    status_and_output "$status" "$program $version"
  status=0
  run "$scratch/out" "$scratch/err" "$pkgroot/usr/bin/$program" --help || status=$?
  check "$program --help prints its usage on standard output and exits 0 (got $status)" \
    status_and_some_output "$status"
done

# A picture of one colour, scaled to cover the screen with the bicubic
# filter: a PNG drawn that way needs the picture library, so this also shows
# that the program finds it in the package's own folder.
picture=$scratch/picture.png
convert -size 40x30 'xc:#3366cc' "PNG24:$picture"
bmp=$scratch/out.bmp
status=0
run "$scratch/out" "$scratch/err" LD_DEBUG=files LD_DEBUG_OUTPUT="$scratch/ld" \
  "$pkgroot/usr/bin/vendaro-compose" --screen 64x48 --mode 2 "$picture" "$bmp" || status=$?
check "vendaro-compose composes a 64x48 wallpaper (got $status: $(head -c 300 "$scratch/err"))" [ "$status" = 0 ]
# ld.so names each library it maps ("generating link map") by the path it
# was opened with, which may hold "..".
loaded_module() {
  local mapped
  mapped=$(sed -n 's/.*file=\(.*libvendaro-pictures\.so\) \[[0-9]*\];  generating link map.*/\1/p' "$scratch"/ld.*)
  [ -n "$mapped" ] && [ "$(realpath "$mapped")" = "$(realpath "$private/libvendaro-pictures.so")" ]
}
check "vendaro-compose loads libvendaro-pictures.so from ${private#"$pkgroot"/}" loaded_module
# A 24-bit BMP of 64x48: 54 bytes of headers, then 48 rows of 192 bytes.
bmp_field() { od -An -t"$2" -j "$1" -N "$3" "$bmp" | tr -d ' '; }
bmp_ok() {
  [ -f "$bmp" ] && [ "$(stat -c %s "$bmp")" = 9270 ] && [ "$(head -c 2 "$bmp")" = BM ] &&
    [ "$(bmp_field 18 d4 4)" = 64 ] && [ "$(bmp_field 22 d4 4)" -eq 48 -o "$(bmp_field 22 d4 4)" -eq -48 ] &&
    [ "$(bmp_field 28 u2 2)" = 24 ] && [ "$(bmp_field 30 u4 4)" = 0 ]
}
check "the output is a 64x48 24-bit BMP" bmp_ok
# Blue, green, red in the file; a pixel in the middle is the picture's colour.
centre_ok() { [ -f "$bmp" ] && [ "$(od -An -tx1 -j $((54 + 24 * 192 + 32 * 3)) -N 3 "$bmp" | tr -d ' ')" = cc6633 ]; }
check "the middle of the wallpaper is the picture's colour" centre_ok

# --- desktop files ------------------------------------------------------------
check "desktop-file-validate" desktop-file-validate "$pkgroot/usr/share/applications/vendaro.desktop"
# --no-net: the screenshots' addresses are the project's, not reachable from
# a build machine.
check "appstreamcli validate" appstreamcli validate --no-net --pedantic "$metainfo"
check "appstreamcli validate-tree (metainfo, menu entry and icon agree)" \
  appstreamcli validate-tree --no-net "$pkgroot"

# --- lintian ------------------------------------------------------------------
check "lintian reports no errors" lintian --fail-on error "$deb"

if ((failures)); then
  echo "$failures check(s) of $deb failed." >&2
  exit 1
fi
echo "Every check of $deb passed."
