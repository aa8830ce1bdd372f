#!/usr/bin/env bash
# Builds the Debian package of Vendaro from this tree: a Release build in its
# own folder (build/pkg, or the folder given), then cpack -G DEB.  Prints the
# path of vendaro_<version>_<arch>.deb as the only line on standard output;
# the build's own output goes to standard error.  Installs what it needs on
# Debian 12.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
# Only what the build and cpack need: the tests' and the package check's
# tools are theirs to install.
scripts/deps.sh --only scripts/packages-build.txt scripts/packages-platform.txt \
  scripts/packaging-tools.txt >&2
build=${1:-build/pkg}

# Debian's default hardening (stack protector, fortified calls, read-only
# relocations), as a package built by the distribution's own tools gets it.
# No -g: nothing ships the symbols, and they triple the compile's output.
# Run from the tree's root, so -ffile-prefix-map keeps its path out of the
# binaries.
buildflag() {
  DEB_CFLAGS_MAINT_STRIP=-g DEB_CXXFLAGS_MAINT_STRIP=-g dpkg-buildflags --get "$1"
}
cppflags=$(buildflag CPPFLAGS)
ldflags=$(buildflag LDFLAGS)
launcher=()
if command -v ccache >/dev/null; then
  launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi

cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF \
  -DCMAKE_INSTALL_PREFIX=/usr \
  -DCMAKE_C_FLAGS="$(buildflag CFLAGS) $cppflags" \
  -DCMAKE_CXX_FLAGS="$(buildflag CXXFLAGS) $cppflags" \
  -DCMAKE_EXE_LINKER_FLAGS="$ldflags" -DCMAKE_SHARED_LINKER_FLAGS="$ldflags" \
  -DCMAKE_MODULE_LINKER_FLAGS="$ldflags" "${launcher[@]}" >&2
cmake --build "$build" >&2

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
[[ $build == /* ]] || build=$root/$build
deb="$build/vendaro_${version}_$(dpkg --print-architecture).deb"
rm -f "$deb"
(cd "$build" && cpack -G DEB) >&2
[[ -f "$deb" ]] || { echo "cpack made no $deb" >&2; exit 1; }
echo "$deb"
