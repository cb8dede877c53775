#!/usr/bin/env bash
# Checks that every C++ source and header of src/, tests/, tools/, bench/ and fuzz/
# keeps the project's format (.clang-format): `clang-format -i FILE` mends one that
# does not. Exits 77 (a skipped test) when clang-format is not installed.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
if ! command -v clang-format >/dev/null 2>&1; then
    echo "format not checked: clang-format is not installed (scripts/setup.sh installs it)" >&2
    exit 77
fi
mapfile -d '' files < <(find src tests tools bench fuzz -type f \( -name '*.cpp' -o -name '*.h' \) -print0 | sort -z)
clang-format --dry-run --Werror "${files[@]}"
echo "${#files[@]} files keep the format of .clang-format"
