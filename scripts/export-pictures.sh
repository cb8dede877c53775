#!/usr/bin/env bash
# The README's pictures of the month exports, from the fixture report file: the chart
# written as a metafile by `termivo --export-chart` and drawn back by libwmf, and the
# table page of the exported PDF as it is printed.
# Usage: export-pictures.sh   (writes docs/month-chart-wmf.png and docs/printed-table.png)
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
ninja -C "$here/build" termivo >/dev/null
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
rep=$here/tests/data/reports/A1_Temp.rep
"$here/build/termivo" --export-chart "$rep" --month 7 --minmax --out "$tmp/july.wmf"
wmf2gd -t png --maxwidth=1200 --maxheight=700 -o "$here/docs/month-chart-wmf.png" "$tmp/july.wmf" 2>/dev/null
"$here/build/termivo" --export-chart "$rep" --month 7 --minmax --out "$tmp/july.pdf"
pdftoppm -f 2 -l 2 -r 90 -png "$tmp/july.pdf" "$tmp/page"
cp "$tmp"/page*.png "$here/docs/printed-table.png"
echo "wrote docs/month-chart-wmf.png and docs/printed-table.png"
