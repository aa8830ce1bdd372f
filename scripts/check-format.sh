#!/usr/bin/env bash
# Fails when a C++ file of the tree is not formatted as .clang-format says.
# Run `scripts/check-format.sh --fix` to format them in place.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' 2>/dev/null || find src tests bench -name '*.cpp' -o -name '*.h')
if [[ "${1:-}" == "--fix" ]]; then
  clang-format -i "${files[@]}"
  exit 0
fi
if ! clang-format --dry-run -Werror "${files[@]}"; then
  echo "Some files are not formatted; scripts/check-format.sh --fix formats them." >&2
  exit 1
fi
