#!/usr/bin/env bash
# Fails when a tracked C++ file differs from what clang-format makes of it,
# and prints the command that fixes them all. Run by ctest as check_format.
set -u
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null 2>&1 || { echo "clang-format is not installed"; exit 1; }
if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    mapfile -t files < <(git ls-files -co --exclude-standard -- '*.cpp' '*.h')
else
    mapfile -t files < <(find . -path ./build -prune -o -path ./out -prune -o \
                             \( -name '*.cpp' -o -name '*.h' \) -print)
fi
# One run over every file; its diagnostics start with the file's name.
mapfile -t bad < <(printf '%s\0' "${files[@]}" | xargs -0 -n 64 -P 2 clang-format --dry-run 2>&1 |
                    sed -n 's/^\([^:]*\):[0-9]*:[0-9]*: .*code should be clang-formatted.*/\1/p' |
                    sort -u)
if [ ${#bad[@]} -gt 0 ]; then
    echo "Not formatted (${#bad[@]} files):"
    printf '  %s\n' "${bad[@]}"
    echo "Fix with:  clang-format -i ${bad[*]}"
    exit 1
fi
echo "${#files[@]} files formatted"
