#!/usr/bin/env bash
# Screenshot of Termivo's menu entry under Xvfb, for the README: the application
# launcher rofi lists the desktop entry with its Persian name and icon, as the
# installed package lays them out (taken here from data/linux/ and the build's icons).
# Usage: screenshot-menu.sh [OUT.png]   (default docs/menu-entry.png)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$here/docs/menu-entry.png}")
ninja -C "$here/build" termivo termivo_icons >/dev/null
xdg=$(mktemp -d)
trap 'rm -rf "$xdg"' EXIT
mkdir -p "$xdg/share/applications" "$xdg/share/icons/hicolor/scalable/apps" "$xdg/bin"
cp "$here/data/linux/example.termivo.Termivo.desktop" "$xdg/share/applications/"
cp "$here/data/linux/icons/termivo.svg" "$xdg/share/icons/hicolor/scalable/apps/"
cp -r "$here/build/icons/." "$xdg/share/icons/hicolor/"
for d in "$xdg"/share/icons/hicolor/*x*; do mkdir -p "$d/apps" && mv "$d/termivo.png" "$d/apps/"; done
ln -s "$here/build/termivo" "$xdg/bin/termivo"
export PATH="$xdg/bin:$PATH" XDG_DATA_DIRS="$xdg/share:/usr/share" XDG_CONFIG_HOME="$xdg/config" \
    XDG_CACHE_HOME="$xdg/cache" LANG=fa_IR.UTF-8 LC_ALL=fa_IR.UTF-8
xvfb-run -a -s "-screen 0 900x420x24" bash -c '
    rofi -show drun -show-icons -drun-match-fields name,generic,exec,keywords -filter "$1" \
        -theme-str "window { width: 640px; } listview { lines: 3; }" -font "Noto Sans Arabic 14" &
    pid=$!
    sleep 3
    import -window root "$2"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
' _ "ترمیوو" "$out"
echo "wrote $out"
