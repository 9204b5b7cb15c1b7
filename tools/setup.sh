#!/usr/bin/env bash
# Shared set-up for run.sh and test.sh: make sure the Debian packages the build
# and the tests need are there, then configure and build into $BUILD_DIR.
set -euo pipefail

TAVRO_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD_DIR="${BUILD_DIR:-$TAVRO_ROOT/build}"

TAVRO_PACKAGES=(
  cmake g++ ninja-build pkg-config python3
  qt6-base-dev qt6-base-dev-tools qt6-serialport-dev
  qt6-tools-dev qt6-tools-dev-tools qt6-l10n-tools linguist-qt6 libgl-dev
  fonts-wqy-microhei xvfb xauth nodejs npm
)

tavro_missing_packages() {
  local missing=()
  for p in "${TAVRO_PACKAGES[@]}"; do
    # Node.js from other sources (e.g. nodesource) ships npm itself and
    # conflicts with Debian's npm package.
    if [ "$p" = npm ] && command -v npm >/dev/null; then continue; fi
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$p")
    fi
  done
  echo "${missing[@]:-}"
}

tavro_install_packages() {
  local missing
  missing="$(tavro_missing_packages)"
  [ -z "$missing" ] && return 0
  if [ "$(id -u)" -eq 0 ]; then
    echo "Installing Debian packages: $missing" >&2
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    # shellcheck disable=SC2086
    apt-get install -y -qq $missing >/dev/null
  else
    echo "These Debian packages are missing; please install them:" >&2
    echo "  sudo apt-get install $missing" >&2
    exit 1
  fi
}

tavro_build() {
  local gen=()
  command -v ninja >/dev/null && gen=(-G Ninja)
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$TAVRO_ROOT" -B "$BUILD_DIR" "${gen[@]}" "$@"
  else
    cmake "$BUILD_DIR" "$@" >/dev/null
  fi
  cmake --build "$BUILD_DIR" -j"$(nproc)"
}
