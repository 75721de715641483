#!/usr/bin/env bash
# Installs, builds with sanitizers and runs every test.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
"$top/scripts/setup.sh" test
cd "$top/build/test"
export QT_QPA_PLATFORM=offscreen
ctest --output-on-failure -j"$(nproc)"
