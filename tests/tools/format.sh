#!/usr/bin/env bash
# format.sh SOURCE_DIR: every C and C++ file of the tree is as clang-format
# (.clang-format in the root) writes it.
set -euo pipefail
cd "$1"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    files=$(git ls-files '*.c' '*.cpp' '*.h')
else
    files=$(find . -path ./build -prune -o \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print)
fi
echo "$files" | xargs clang-format --dry-run -Werror
echo "$(echo "$files" | wc -l) files formatted"
