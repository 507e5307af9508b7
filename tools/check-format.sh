#!/usr/bin/env bash
# check-format.sh [--fix]: every C++ source the repository tracks is laid out
# as .clang-format says; --fix rewrites the ones that are not.
set -euo pipefail
cd "$(dirname "$0")/.."
mapfile -t files < <(git ls-files '*.cpp' '*.h' '*.cc' '*.hpp')
if [ "${1:-}" = --fix ]; then
  clang-format -i "${files[@]}"
else
  clang-format --dry-run --Werror "${files[@]}"
  echo "format: ${#files[@]} files laid out as .clang-format says"
fi
