#!/usr/bin/env bash
# Installs every Debian 12 package that building, running and testing Termivo needs.
# Idempotent: packages already present are left as they are. Run as root.
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build pkg-config clang-format
    # scripts/tidy.sh: clang-tidy over the sources, python3 for its file lists.
    clang-tidy python3
    qt6-base-dev qt6-base-dev-tools libqt6serialport6-dev libqt6svg6-dev libgl-dev
    qt6-qpa-plugins libqt6opengl6-dev
    libqcustomplot-dev libqcustomplot2.1-qt6
    nlohmann-json3-dev
    libgtest-dev libgmock-dev googletest libbenchmark-dev
    xvfb xauth x11-apps imagemagick
    fonts-noto-core fonts-farsiweb fontconfig
    libwmf-bin fonts-urw-base35 poppler-utils
    clang libclang-rt-14-dev
    socat procps
    locales
    prometheus
    qt6-translations-l10n qt6-l10n-tools qt6-tools-dev
    # The Debian package (scripts/package.sh) and its checks (scripts/check-package.sh).
    debhelper dpkg-dev fakeroot lintian desktop-file-utils appstream shared-mime-info
    systemd adduser man-db apt
    # The picture of the menu entry (scripts/screenshot-menu.sh).
    rofi
)

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Persian regional settings, as the labs' desktops have them (the tests run under them).
if ! locale -a 2>/dev/null | grep -qix 'fa_IR\.utf-\?8'; then
    grep -qx 'fa_IR.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null || echo 'fa_IR.UTF-8 UTF-8' >>/etc/locale.gen
    locale-gen >/dev/null
fi

# "Tahoma" of the windows prefers Noto Sans Arabic, then Noto Sans.
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
conf=/etc/fonts/conf.d/65-termivo-tahoma.conf
if ! cmp -s "$here/../data/fontconfig/65-termivo-tahoma.conf" "$conf" 2>/dev/null; then
    install -m 644 "$here/../data/fontconfig/65-termivo-tahoma.conf" "$conf"
    fc-cache -f >/dev/null 2>&1 || true
fi
