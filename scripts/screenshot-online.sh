#!/usr/bin/env bash
# Takes a screenshot of Termivo's online window over the demo fleet under Xvfb: lays
# out a demo root folder, starts the device emulator on it, downloads the fleet, then
# opens the online window and runs one sweep of the poll.
# Usage: screenshot-online.sh OUT.png [--paused]   (--paused: after a step to the month before)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:?png}")
ninja -C "$here/build" termivo termivo-devsim termivo-onlineshot >/dev/null
root=$(mktemp -d)
sim=
cleanup() { [ -n "$sim" ] && kill "$sim" 2>/dev/null; wait 2>/dev/null; rm -rf "$root"; }
trap cleanup EXIT
bash "$here/scripts/make-demo-root.sh" "$root" 20 >/dev/null
"$here/build/tools/devsim/termivo-devsim" --fleet "$here/scripts/demo.fleet" --root "$root/" >"$root/devsim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do
    grep -q '^READY' "$root/devsim.log" 2>/dev/null && break
    kill -0 "$sim" 2>/dev/null || { cat "$root/devsim.log" >&2; exit 1; }
    sleep 0.1
done
"$here/build/termivo" --download-all --root "$root" >/dev/null 2>&1 || true
xvfb-run -a -s "-screen 0 1280x800x24" "$here/build/tools/onlineshot/termivo-onlineshot" --root "$root" --out "$out" "${@:2}"
