#!/usr/bin/env bash
# Builds Termivo twice (plain, and with the address and undefined-behaviour
# sanitizers), runs clang-tidy over the whole tree (scripts/tidy.sh), runs every test
# of both builds, and builds and checks the Debian package (scripts/check-package.sh).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh; fi

jobs=$(nproc)
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build -j "$jobs"
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DTERMIVO_SANITIZE=ON -DTERMIVO_BENCH=OFF >/dev/null
ninja -C build-asan -j "$jobs"

export QT_QPA_PLATFORM=offscreen
# Leaks are errors; tests/lsan.supp names the toolkit's own known leaks, nothing of ours.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1
export LSAN_OPTIONS=suppressions=$here/tests/lsan.supp:print_suppressions=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
status=0
# The whole tree, not only the changed sources: about 15 minutes of the two processors.
echo "== clang-tidy =="
bash scripts/tidy.sh --build build --jobs "$jobs" || status=1
echo "== tests with the sanitizers =="
(cd build-asan && ctest --output-on-failure -j "$jobs") || status=1
echo "== the Debian package =="
# Every test of both builds has just run: the package's own build skips them (nocheck).
DEB_BUILD_OPTIONS="nocheck parallel=$jobs" bash scripts/check-package.sh || status=1
echo "== tests =="
(cd build && ctest --output-on-failure -j "$jobs") || status=1
exit $status
