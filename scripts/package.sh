#!/usr/bin/env bash
# Builds the Debian package termivo_<version>_<arch>.deb with dpkg-buildpackage (debhelper
# over the CMake build; the build runs the tests unless DEB_BUILD_OPTIONS holds nocheck)
# and prints the package's path on its last line.
# The sources are copied to build-deb/ first, so that the build leaves the work tree
# as it was. Where ccache is installed, the compiler goes through it.
# Usage: [DEB_BUILD_OPTIONS="nocheck parallel=2"] bash scripts/package.sh
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$here"

version=$(sed -n 's/^project(Termivo VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
changelog=$(dpkg-parsechangelog -S Version)
if [ "$version" != "$changelog" ]; then
    echo "package: the CMake project's version $version has no debian/changelog entry (it has $changelog)" >&2
    exit 1
fi

out=$here/build-deb
src=$out/termivo-$version
rm -rf "$out"
mkdir -p "$src"
git ls-files -z --cached --others --exclude-standard | grep -zv '^debian/.*\.swp$' |
    while IFS= read -r -d '' f; do [ -e "$f" ] && printf '%s\0' "$f"; done |
    tar --null -T - -cf - | tar -xf - -C "$src"

export DEB_BUILD_OPTIONS=${DEB_BUILD_OPTIONS:-parallel=$(nproc)}
case " $DEB_BUILD_OPTIONS " in *" nocheck "*) export DEB_BUILD_PROFILES=${DEB_BUILD_PROFILES:-nocheck} ;; esac
if [ -z "${DEB_CMAKE_EXTRA:-}" ] && command -v ccache >/dev/null 2>&1; then
    export DEB_CMAKE_EXTRA=-DCMAKE_CXX_COMPILER_LAUNCHER=ccache
fi
(cd "$src" && dpkg-buildpackage -b -us -uc) >"$out/build.log" 2>&1 || {
    tail -n 60 "$out/build.log" >&2
    echo "package: dpkg-buildpackage failed (whole log: $out/build.log)" >&2
    exit 1
}
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
deb=$out/termivo_${version}_${arch}.deb
[ -f "$deb" ] || { echo "package: $deb was not made" >&2; exit 1; }
echo "$deb"
