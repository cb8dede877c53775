#!/usr/bin/env bash
# Takes a screenshot of Termivo's main window under Xvfb.
# Usage: screenshot.sh ROOT_FOLDER PAGE OUT.png [--open REPORT_FILE] [--minmax] [--dialog open|unsaved]
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
root=${1:?root folder}; page=${2:?page}; out=${3:?png}; shift 3
ninja -C "$here/build" termivo-shot >/dev/null
xvfb-run -a -s "-screen 0 1280x800x24" "$here/build/tools/shot/termivo-shot" --root "$root" --page "$page" --out "$out" "$@"
