#!/usr/bin/env bash
# Builds Termivo and starts it on a demo root folder.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh; fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build termivo termivo-devsim termivo_help_pdf
root="$here/demo-root"
rm -rf "$root"
bash scripts/make-demo-root.sh "$root" >/dev/null
# The root folder is the folder of the executable.
cp build/termivo "$root/termivo"
cp "build/Software Help.pdf" "$root/"

# The device emulator plays the demo fleet on loopback (and on a pseudo-terminal
# linked as COM1 under the root folder) while the program runs.
build/tools/devsim/termivo-devsim --fleet scripts/demo.fleet --root "$root/" >"$root/devsim.log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true' EXIT
for _ in $(seq 100); do
    grep -q '^READY' "$root/devsim.log" 2>/dev/null && break
    kill -0 "$sim" 2>/dev/null || { cat "$root/devsim.log" >&2; exit 1; }
    sleep 0.1
done
# Catch up with the fleet: every channel's log since the ledger's date, downloaded
# from the emulator into the demo's report files (one device of the fleet is silent
# and is reported as failed).
"$root/termivo" --download-all || true
# The device search goes to the loopback broadcast address, where the emulator answers.
TERMIVO_SEARCH_ADDRESS=127.255.255.255 "$root/termivo" "$@"
