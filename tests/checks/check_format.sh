#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Checks that every C++ file of the tree is as clang-format writes it with the
# tree's .clang-format; names each file that is not and exits with status 1.
# `clang-format -i FILE` formats a file.
#
# Usage: check_format.sh [ROOT]
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/../.." && pwd)}
cd "$root"
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files -- '*.h' '*.cpp')
else
    mapfile -t files < <(find . -path './build*' -prune -o \( -name '*.h' -o -name '*.cpp' \) -print)
fi
unformatted=()
for file in "${files[@]}"; do
    clang-format --dry-run --Werror "$file" >/dev/null 2>&1 || unformatted+=("$file")
done
if [ ${#unformatted[@]} -gt 0 ]; then
    for file in "${unformatted[@]}"; do echo "$file: not formatted (clang-format -i $file)"; done
    echo "${#unformatted[@]} of ${#files[@]} files not formatted"
    exit 1
fi
echo "${#files[@]} files formatted"
