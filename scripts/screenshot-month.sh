#!/usr/bin/env bash
# Screenshot of a month drawn from the fixture report file (gaps, limits, daily
# minimum and maximum, Persian texts) under Xvfb, for the README.
# Usage: screenshot-month.sh [OUT.png]   (default docs/month-chart.png)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$here/docs/month-chart.png}
ninja -C "$here/build" termivo-monthshot >/dev/null
xvfb-run -a -s "-screen 0 1600x900x24" bash -c '
    "$1" "$2" --month 7 --period 3 --heading "آزمایشگاه کنترل کیفیت - اتاق نمونه ها" --seconds 30 &
    pid=$!
    sleep 4
    import -window root "$3"
    kill "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
' _ "$here/build/tools/monthshot/termivo-monthshot" "$here/tests/data/reports/A1_Temp.rep" "$out"
echo "wrote $out"
