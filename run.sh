#!/usr/bin/env bash
# Set up, build and start TAVRO beside the simulated helicopter (tavro-demo).
# Without a display the demo runs under Xvfb and saves screenshots of every page.
set -euo pipefail
cd "$(dirname "$0")"
source tools/setup.sh
tavro_install_packages
tavro_build
exec tools/start-demo.sh "$BUILD_DIR" "$@"
