#!/usr/bin/env bash
# Screenshots of the device settings pages, filled from the device emulator, under Xvfb.
# Usage: screenshot-settings.sh OUT_PREFIX     (writes OUT_PREFIXdevice.png ... status.png)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:?prefix of the PNG files}
ninja -C "$here/build" termivo-settingsshot termivo-devsim >/dev/null
root=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; rm -rf "$root"' EXIT
cat >"$root/shot.fleet" <<'FLEET'
device id=A link=127.0.0.61 "name=Cold room" sensors=T,H,T,- names=Freezer,Humidity,Fridge
FLEET
"$here/build/tools/devsim/termivo-devsim" --fleet "$root/shot.fleet" --root "$root/" >"$root/sim.log" &
sim=$!
for _ in $(seq 50); do grep -q READY "$root/sim.log" && break; sleep 0.1; done
xvfb-run -a -s "-screen 0 1280x800x24" "$here/build/tools/settingsshot/termivo-settingsshot" \
    --root "$root" --id A --link 127.0.0.61 --out "$out"
