#!/usr/bin/env bash
# Checks every C++ file of the repository against the committed .clang-format with clang-format 14, the
# version the format was written for (others format differently). Lists the files that differ and fails.
# Fix them with: clang-format-14 -i FILE
set -uo pipefail
cd "$(dirname "$0")/.."
formatter=${CLANG_FORMAT:-clang-format-14}
if ! command -v "$formatter" > /dev/null; then
    echo "$formatter is missing (scripts/install-deps.sh installs it)"
    exit 1
fi
mapfile -t files < <(git ls-files -- '*.cpp' '*.h' 2> /dev/null || find src tests benchmarks art fuzz -name '*.cpp' -o -name '*.h')
[ ${#files[@]} -gt 0 ] || { echo "no C++ files found"; exit 1; }
# One run for every file; each place that differs is reported as "file:line:column: error: ...".
output=$("$formatter" --dry-run --Werror "${files[@]}" 2>&1)
status=$?
mapfile -t differ < <(sed -nE 's/^(.+):[0-9]+:[0-9]+: error: .*/\1/p' <<< "$output" | sort -u)
if [ $status -ne 0 ] && [ ${#differ[@]} -eq 0 ]; then
    echo "$output"
    exit 1
fi
if [ ${#differ[@]} -ne 0 ]; then
    echo "Not formatted as .clang-format asks (${#differ[@]} of ${#files[@]} files):"
    printf '    %s\n' "${differ[@]}"
    exit 1
fi
echo "${#files[@]} files formatted as .clang-format asks."
