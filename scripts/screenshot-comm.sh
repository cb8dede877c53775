#!/usr/bin/env bash
# Screenshots of the communication window under Xvfb, for the README: the device
# names page of the demo registry, and the replies page after a device search
# answered by the device emulator playing the demo fleet.
# Usage: screenshot-comm.sh [OUT_FOLDER]   (default docs/)
set -euo pipefail
# Where it may, the script runs in a network namespace of its own (loopback only), so
# that no other emulator running on this machine answers the device search.
if [ -z "${TERMIVO_OWN_NETNS:-}" ] && command -v ip >/dev/null && unshare -n true 2>/dev/null; then
    exec unshare -n env TERMIVO_OWN_NETNS=1 bash -c 'ip link set lo up && exec bash "$0" "$@"' "$0" "$@"
fi
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$here/docs}
ninja -C "$here/build" termivo-commshot termivo-devsim >/dev/null
root=$(mktemp -d)
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$root"' EXIT
bash "$here/scripts/make-demo-root.sh" "$root" >/dev/null
"$here/build/tools/devsim/termivo-devsim" --fleet "$here/scripts/demo.fleet" --root "$root/" >"$root/devsim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do
    grep -q '^READY' "$root/devsim.log" 2>/dev/null && break
    kill -0 "$sim" 2>/dev/null || { cat "$root/devsim.log" >&2; exit 1; }
    sleep 0.1
done
shot="$here/build/tools/commshot/termivo-commshot"
export TERMIVO_SEARCH_ADDRESS=127.255.255.255
xvfb-run -a -s "-screen 0 1280x800x24" "$shot" --root "$root" --page names --out "$out/device-names-page.png"
xvfb-run -a -s "-screen 0 1280x800x24" "$shot" --root "$root" --page replies --out "$out/replies-page.png"
echo "wrote $out/device-names-page.png $out/replies-page.png"
