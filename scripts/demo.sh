#!/usr/bin/env bash
# Builds Termivo and starts it on a demo root folder.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
if [ "$(id -u)" = 0 ]; then bash scripts/setup.sh; fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build termivo
root="$here/demo-root"
rm -rf "$root"
bash scripts/make-demo-root.sh "$root" >/dev/null
# The root folder is the folder of the executable.
cp build/termivo "$root/termivo"
exec "$root/termivo" "$@"
