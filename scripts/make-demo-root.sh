#!/usr/bin/env bash
# Lays out a demo root folder: a registry of nine devices and a ledger whose
# channels were last downloaded DAYS days ago (default 45), so that the first
# download fetches them from the device emulator. With --static-reports it also
# writes report files of the current Solar Hijri year for the first devices'
# channels, for pictures without the emulator.
# Usage: make-demo-root.sh ROOT_FOLDER [DAYS] [--static-reports]
set -euo pipefail
root=${1:?root folder}
days=${2:-45}
static=no
for a in "$@"; do [ "$a" = --static-reports ] && static=yes; done
case "$days" in ''|*[!0-9]*) days=45 ;; esac
mkdir -p "$root"

# The program's fixed Solar Hijri arithmetic: year, month and day of a Gregorian date.
shamsi() { date -d "$1" +'%Y %m %d' | awk '{
  gy=$1; gm=$2+0; gd=$3+0; split("31 28 31 30 31 30 31 31 30 31 30 31", ml, " ");
  n=gd; for (m=1; m<gm; m++) n+=ml[m];
  if (((gy%4==0 && gy%100!=0) || gy%400==0) && gm>2) n++;
  if (n<=79) { n += ((gy-1)%4==0) ? 11 : 10; jy=gy-622;
    if (n%30==0) { jm=int(n/30)+9; jd=30 } else { jm=int(n/30)+10; jd=n%30 } }
  else { jy=gy-621; n-=79;
    if (n<=186) { if (n%31==0) { jm=int(n/31); jd=31 } else { jm=int(n/31)+1; jd=n%31 } }
    else { n-=186; if (n%30==0) { jm=int(n/30)+6; jd=30 } else { jm=int(n/30)+7; jd=n%30 } } }
  print jy%100, jm, jd }'; }
read -r yy mm dd < <(shamsi today)
read -r ly lm ld < <(shamsi "$days days ago")

crlf() { sed 's/$/\r/'; }

{
  printf '\xEF\xBB\xBF'
  echo "ver = 2.0"
  echo "Comment0 = آزمایشگاه کنترل کیفیت"
  echo "timeout = 500,500,500"
  echo "trycnt = 3"
  echo "refresh = 10"
  echo "online = 0"
  echo "device  =Cold room,127.0.0.11,Freezer,Fridge,,,A,T,lan,"
  echo "device  =Store 2,127.0.0.12,Hall,Humidity RH,,,B,H,lan,"
  echo "device  =Incubator,127.0.0.13,Top,Middle,Bottom,,C,T,lan,"
  echo "device  =Clean room,127.0.0.14,Air,,,,D,T,lan,"
  echo "device  =Warehouse,COM1,North,South,,,E,T,serial,"
  echo "device  =Pharmacy,127.0.0.16,Shelf,,,,F,T,lan,"
  echo "device  =Lab 3,127.0.0.17,Bench,Hood,,,G,T,lan,"
  echo "device  =Archive,127.0.0.18,Room,,,,H,H,lan,"
  echo "device  =Server room,127.0.0.19,Rack,,,,I,T,lan,"
} | crlf > "$root/DeviceStatus.txt"  # UTF-8 with its byte-order mark

{
  echo "Device,Type,BeginSen,EndSen,year,Month,Day,Hour,Minute"
  for ch in A:T:0 A:T:1 B:H:0 B:H:1 C:T:0 C:T:1 C:T:2 D:T:0 E:T:0 E:T:1 F:T:0 G:T:0 G:T:1 H:H:0 I:T:0; do
    IFS=: read -r id type s <<<"$ch"
    echo "$id,$type,$s,0,$ly,$lm,$ld,1,1,"
  done
} | crlf > "$root/last_refresh.txt"
[ "$static" = yes ] || { echo "$root"; exit 0; }

# Report files: a header and one line per day of the last two months, with a gap.
report() { # id channel name type base amplitude lower upper
  local file="$root/$yy/$1$2_$3.rep"
  mkdir -p "$root/$yy"
  awk -v yy="$yy" -v mm="$mm" -v dd="$dd" -v ch="$2" -v type="$4" -v base="$5" -v amp="$6" -v lo="$7" -v hi="$8" 'BEGIN {
    printf "SenPara,0,1,H,0,%d,%s,%s,%s,0,0,%d,%d,0,0,0\n", ch-1, type, lo, hi, yy, mm;
    pm = (mm > 1) ? mm - 1 : mm;
    for (m = pm; m <= mm; m++) {
      last = (m == mm) ? dd : (m <= 6 ? 31 : 30);
      for (d = 1; d <= last; d++) {
        codes = "";
        for (h = 0; h < 24; h++) {
          if (m == mm && d == 5 && h >= 8 && h < 16) { codes = codes "??"; continue }
          v = base + amp * sin((h - 8) / 24 * 6.2832) + (d % 7) * 0.3;
          r = int((v + 100) * 10 + 0.5);
          codes = codes sprintf("%c%c", 60 + int(r / 60), 60 + r % 60);
        }
        printf "%d,%d,%s,%d,0\n", m, d, codes, yy;
      }
    }
  }' | crlf > "$file"
}
report A 1 Freezer T 4 1.5 2 8
report A 2 Fridge T 6 2 2 8
report B 1 Hall T 22 3 18 26
report B 2 "Humidity RH" H 45 8 30 60
echo "$root"
