#!/usr/bin/env bash
# Pictures of every window of both programs with real content, taken under
# Xvfb; each program's script takes its own.
#   scripts/screenshots.sh [FOLDER]     default: build/screenshots/
# Look at each picture; the ones in docs/images/ are copies of these.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$top/build/screenshots}")
for part in "$top"/scripts/screenshots_*.sh; do
  bash "$part" "$out"
done
