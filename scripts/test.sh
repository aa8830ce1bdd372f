#!/usr/bin/env bash
# Builds Vendaro with AddressSanitizer and UndefinedBehaviorSanitizer and runs
# every test, then (for a whole run) checks the Debian package.  Installs what
# it needs on Debian 12.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
scripts/deps.sh
scripts/check-format.sh
build=${VENDARO_TEST_BUILD:-build/test}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" \
  -DVENDARO_SANITIZE=ON -DVENDARO_WERROR=ON -DBUILD_TESTING=ON >/dev/null
cmake --build "$build"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
# A test that skips fails: every test must run here.
export VENDARO_NO_SKIPS=1
ctest --test-dir "$build" --output-on-failure -j"$(nproc)" "$@"

# A whole run also builds the Debian package and checks it as installed; a
# run of chosen tests does not.
if (($# == 0)); then
  scripts/check-package.sh
fi
