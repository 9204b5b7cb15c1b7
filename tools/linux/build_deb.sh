#!/usr/bin/env bash
# Builds the Debian package from a configured and built build folder and
# shows what it holds.
#   tools/linux/build_deb.sh [build-dir]      (default: $BUILD_DIR or build/)
# The package lands in <build-dir>/packages/tavro_<version>_<arch>.deb.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
BUILD="${1:-${BUILD_DIR:-$ROOT/build}}"
case "$BUILD" in /*) ;; *) BUILD="$PWD/$BUILD" ;; esac
# dpkg-shlibdeps (dpkg-dev) computes the package's dependencies.
# shellcheck source=../setup.sh
source "$ROOT/tools/setup.sh"
TAVRO_PACKAGES+=(dpkg-dev)
tavro_install_packages
cmake --build "$BUILD" --target tavro -j"$(nproc)"
(cd "$BUILD" && cpack -G DEB --config CPackConfig.cmake)
deb="$(ls -t "$BUILD"/packages/tavro_*.deb | head -n 1)"
dpkg-deb -I "$deb"
dpkg-deb -c "$deb"
# What a user gets must be there.
contents="$(dpkg-deb -c "$deb")"
for f in ./usr/bin/tavro ./usr/lib/udev/rules.d/70-tavro.rules \
         ./usr/share/applications/tavro.desktop ./usr/share/icons/hicolor/256x256/apps/tavro.png; do
  grep -q " $f\$" <<<"$contents" || { echo "package lacks $f" >&2; exit 1; }
done
echo "built $deb"
