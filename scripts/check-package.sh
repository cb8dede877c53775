#!/usr/bin/env bash
# Builds the Debian package (scripts/package.sh) and checks it: lintian, its contents,
# the desktop entry and AppStream validators, then, as root on this machine, installs
# it with apt, runs termivo --version and man -w termivo, verifies the systemd units,
# downloads from the device emulator (tests/support/devsim, on a loopback address) as
# the user termivo into /var/lib/termivo, checks that the records are group-writable,
# and removes and purges the package: the records stay, the configuration goes.
# Usage: [DEB_BUILD_OPTIONS="nocheck parallel=2"] bash scripts/check-package.sh [PACKAGE.deb]
#   The emulator comes from build/ (ninja -C build termivo-devsim).
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"
passed=0
failed=0
ok() { echo "ok: $*"; passed=$((passed + 1)); }
bad() { echo "FAILED: $*" >&2; failed=$((failed + 1)); }
check() { # check "what" command...
    local what=$1; shift
    if "$@"; then ok "$what"; else bad "$what"; fi
}

if [ $# -ge 1 ]; then deb=$(realpath "$1"); else deb=$(bash scripts/package.sh | tail -n 1); fi
version=$(sed -n 's/^project(Termivo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
echo "package: $deb"
check "the package is named after the CMake project's version" \
    test "$(dpkg-deb -f "$deb" Version)" = "$version" -a "$(basename "$deb")" = "termivo_${version}_$(dpkg --print-architecture).deb"

# lintian: no error; the warnings left are overridden in debian/ with their reasons.
lintian_out=$(lintian --fail-on error --display-info "$deb" 2>&1) && lintian_rc=0 || lintian_rc=$?
[ -z "$lintian_out" ] || printf '%s\n' "$lintian_out"
check "lintian reports no error" test "$lintian_rc" = 0

contents=$(dpkg-deb -c "$deb" | awk '{print $6}')
missing=
for f in ./usr/bin/termivo ./usr/share/man/man1/termivo.1.gz "./usr/share/doc/termivo/Software" \
    ./usr/share/applications/example.termivo.Termivo.desktop \
    ./usr/share/metainfo/example.termivo.Termivo.metainfo.xml ./usr/share/mime/packages/termivo.xml \
    ./usr/share/icons/hicolor/scalable/apps/termivo.svg ./usr/share/icons/hicolor/48x48/apps/termivo.png \
    ./usr/share/icons/hicolor/256x256/apps/termivo.png ./etc/termivo/termivo.conf \
    ./lib/systemd/system/termivo-download.service ./lib/systemd/system/termivo-download.timer \
    ./lib/systemd/system/termivo-readings.service ./lib/systemd/system/termivo-readings.timer; do
    grep -qxF -- "$f" <<<"$contents" || missing="$missing $f"
done
check "the package holds the program, its documents, desktop files and units${missing:+ (missing:$missing)}" test -z "$missing"
check "the package holds no emulator, test tool nor records folder" \
    bash -c '! grep -Eq "devsim|shot|/var/lib/termivo" <<<"$1"' _ "$contents"

unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
check "desktop-file-validate" desktop-file-validate "$unpacked/usr/share/applications/example.termivo.Termivo.desktop"
check "appstreamcli validate --no-net" \
    appstreamcli validate --no-net "$unpacked/usr/share/metainfo/example.termivo.Termivo.metainfo.xml"

if [ "$(id -u)" != 0 ]; then
    echo "package: not root, so not installed on this machine"
    echo "package check: $passed passed, $failed failed"
    [ "$failed" = 0 ]
    exit
fi
devsim=$here/build/tools/devsim/termivo-devsim
[ -x "$devsim" ] || { echo "package: $devsim is missing (ninja -C build termivo-devsim)" >&2; exit 1; }
if dpkg-query -W -f='${Status}' termivo 2>/dev/null | grep -q "ok installed" ||
    { [ -d /var/lib/termivo ] && [ ! -e /var/lib/termivo/.package-check ]; }; then
    echo "package: Termivo is installed here with records of its own; the check installs and removes it, so not here" >&2
    exit 1
fi
rm -rf /var/lib/termivo

export DEBIAN_FRONTEND=noninteractive
check "apt installs the package" apt-get install -y -qq --no-install-recommends "$deb"
check "termivo --version names the package's version" test "$(termivo --version)" = "termivo $version"
check "man -w termivo" man -w termivo
check "report files have their MIME type" test -f /usr/share/mime/application/x-termivo-report.xml
check "the user termivo is in dialout and its group" bash -c 'id -nG termivo | grep -qw dialout && id -ng termivo | grep -qx termivo'
check "/var/lib/termivo is root:termivo 2775" test "$(stat -c '%U:%G %a' /var/lib/termivo)" = "root:termivo 2775"
units=(/lib/systemd/system/termivo-{download,readings}.{service,timer})
check "systemd-analyze verify" systemd-analyze verify "${units[@]}"
check "the units are not enabled" bash -c '! systemctl is-enabled --quiet termivo-download.timer 2>/dev/null &&
    ! ls /etc/systemd/system/timers.target.wants/termivo-* >/dev/null 2>&1'

# A lab's records in the shared folder, downloaded by the timers' user from the emulator.
# The program finds the folder through /etc/termivo/termivo.conf, without --root.
install -o root -g termivo -m 0664 /dev/null /var/lib/termivo/.package-check
now=2024-08-01T10:30
printf 'ver = 2.0\r\ntimeout = 500,500,500\r\ntrycnt = 3\r\nrefresh = 10\r\nonline = 0\r\ndevice  =Cold room,127.0.0.241,Freezer,Fridge,,,A,T,lan,\r\n' \
    | install -o root -g termivo -m 0664 /dev/stdin /var/lib/termivo/DeviceStatus.txt
printf 'Device,Type,BeginSen,EndSen,year,Month,Day,Hour,Minute\r\nA,T,0,0,3,5,8,1,1,\r\nA,T,1,0,3,5,8,1,1,\r\n' \
    | install -o root -g termivo -m 0664 /dev/stdin /var/lib/termivo/last_refresh.txt
cat >"$unpacked/check.fleet" <<FLEET
seed 24
device id=A link=127.0.0.241 "name=Cold room" sensors=T,T,-,- names=Freezer,Fridge clock-at=$now
FLEET
"$devsim" --fleet "$unpacked/check.fleet" >"$unpacked/devsim.log" 2>&1 &
sim=$!
trap 'kill "$sim" 2>/dev/null || true; wait "$sim" 2>/dev/null || true; rm -rf "$unpacked"' EXIT
for _ in $(seq 100); do grep -q '^READY' "$unpacked/devsim.log" && break; kill -0 "$sim" 2>/dev/null || break; sleep 0.1; done
# The user's own umask takes group-writing away; the shared folder gives it back.
runuser -u termivo -- env TERMIVO_NOW=$now sh -c 'umask 022; cd /; exec termivo --download-all' && dl=0 || dl=$?
check "termivo --download-all as the user termivo (exit status $dl)" test "$dl" = 0
check "the download wrote report files" test -s "/var/lib/termivo/3/A1_Freezer.rep" -a -s "/var/lib/termivo/3/A2_Fridge.rep"
notshared=$(find /var/lib/termivo -mindepth 1 \( ! -group termivo -o ! -perm -g+w \) -print)
check "every record is the group termivo's and group-writable${notshared:+ (not: $notshared)}" test -z "$notshared"
kill "$sim" 2>/dev/null || true

check "apt remove" apt-get remove -y -qq termivo
check "removal leaves the records" test -s /var/lib/termivo/3/A1_Freezer.rep -a -s /var/lib/termivo/DeviceStatus.txt
check "apt purge" apt-get purge -y -qq termivo
check "purge removes the configuration and leaves the records" \
    test ! -e /etc/termivo/termivo.conf -a -s /var/lib/termivo/last_refresh.txt -a -s /var/lib/termivo/3/A2_Fridge.rep
rm -rf /var/lib/termivo

echo "package check: $passed passed, $failed failed"
[ "$failed" = 0 ]
