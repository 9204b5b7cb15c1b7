#!/usr/bin/env bash
# Set up, build and run every test through CTest.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
tavro_install_packages
tavro_build
export QT_QPA_PLATFORM=offscreen
cd "$BUILD_DIR"
ctest -j2 --output-on-failure "$@"
