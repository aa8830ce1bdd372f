#!/usr/bin/env bash
# Fuzzes one parser with libFuzzer for a while:
#
#   scripts/fuzz.sh TARGET [SECONDS]     (default 300; --targets names them)
#
# Builds build/fuzz with clang, AddressSanitizer and UndefinedBehaviorSanitizer
# (installing clang-14 from scripts/fuzz-packages.txt if needed), writes the
# seed corpus, and runs the target over a working corpus of its own that
# grows between runs.  To fuzz several targets at once, run one of them
# first (or build them all), then start the others with VENDARO_FUZZ_BUILT=1,
# which skips building and writing seeds, so that none rebuilds what
# another is running.  A single allocation above 512 MB, or an input taking
# over 10 s, counts as a finding like a crash does.  Findings land in
# build/fuzz/findings/TARGET/.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
targets=(ini list color date desktop_entry restore_journal plasma_color plasma_script exif probe
  jpeg_rows qt_picture compose)
target=${1:-}
seconds=${2:-300}
if [[ $target == --targets ]]; then
  echo "${targets[*]}"
  exit 0
fi
if [[ -z $target || ! " ${targets[*]} " =~ " $target " ]]; then
  echo "usage: scripts/fuzz.sh TARGET [SECONDS]; targets: ${targets[*]}" >&2
  exit 2
fi

build=${VENDARO_FUZZ_BUILD:-build/fuzz}
# The seed writer is sanitized too: it needs the same options.
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=0:strict_string_checks=1}
export LSAN_OPTIONS=${LSAN_OPTIONS:-suppressions=$root/tests/lsan.supp:print_suppressions=0}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
if [[ -z ${VENDARO_FUZZ_BUILT:-} ]]; then
  scripts/deps.sh scripts/fuzz-packages.txt
  launcher=()
  command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
    -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g" -DVENDARO_SANITIZE=ON -DVENDARO_FUZZ=ON \
    -DBUILD_TESTING=ON "${launcher[@]}" >/dev/null
  cmake --build "$build" --target "fuzz_$target" vendaro-fuzz-seeds
  "$build/bin/vendaro-fuzz-seeds" "$build/corpus"
fi

work="$build/work/$target"
findings="$build/findings/$target"
mkdir -p "$work" "$findings"
export QT_QPA_PLATFORM=offscreen
# The file parsers write their input to a file and the settings file is
# flushed to the disk at every write: in memory that costs nothing.
[[ -d /dev/shm && -w /dev/shm ]] && export TMPDIR=/dev/shm
corpora=("$work")
for folder in "$build/corpus/seeds/$target" "$build/corpus/regressions/$target" \
  "tests/fuzz/regressions/$target"; do
  [[ -d $folder ]] && corpora+=("$folder")
done
log="$build/fuzz-$target.log"
echo "Fuzzing $target for $seconds s (log: $log)"
set +e
"$build/bin/fuzz_$target" -max_total_time="$seconds" -timeout=10 -malloc_limit_mb=512 -max_len=65536 \
  -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$findings/" "${corpora[@]}" >"$log" 2>&1
status=$?
set -e
# The last progress line (executions, coverage, features, corpus) and the
# final figures.
grep -E '^#[0-9]+' "$log" | tail -1
grep -E '^Done|stat::number_of_executed_units|stat::average_exec_per_sec|stat::peak_rss_mb' "$log"
grep -E 'ERROR|SUMMARY|Test unit written' "$log" || true
echo
echo "Log: $build/fuzz-$target.log; working corpus: $work"
if ((status != 0)) || compgen -G "$findings/*" >/dev/null; then
  cat <<MSG
Findings are in $findings/.  Reproduce one with
  $build/bin/fuzz_$target $findings/FILE
then, once it is mended, keep it as a regression input, named after the fault
it shows, so that scripts/test.sh replays it from then on:
  mkdir -p tests/fuzz/regressions/$target
  cp $findings/FILE tests/fuzz/regressions/$target/what-it-broke
MSG
  exit 1
fi
echo "No findings in $seconds s."
