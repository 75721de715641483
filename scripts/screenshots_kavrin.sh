#!/usr/bin/env bash
# Pictures of every Kavrin window with a real program loaded and stopped
# inside it, taken under Xvfb.
#   scripts/screenshots_kavrin.sh [FOLDER]     default: build/screenshots/
# The pictures docs/images/kavrin-*.png are made by this script.
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$top/build/screenshots}")
build="$top/build/test"

if [ ! -f "$build/build.ninja" ]; then
  "$top/scripts/setup.sh" test
fi
ninja -C "$build" -j2 velkor-cli kavrin_screenshots_test >/dev/null
mkdir -p "$out"

# The sanitized build reports what D-Bus, under Qt's X11 platform, keeps
# until exit; that is the system library's, not ours.
suppressions=$(mktemp)
trap 'rm -f "$suppressions"' EXIT
echo "leak:libdbus-1.so" >"$suppressions"

# Without a window manager the windows have no frames: the pictures show
# each window's contents.
KAVRIN_SCREENSHOT_DIR="$out" QT_QPA_PLATFORM=xcb LSAN_OPTIONS="suppressions=$suppressions" \
  xvfb-run -a -s "-screen 0 1280x1024x24" \
  "$build/bin/kavrin_screenshots_test" -silent
ls "$out"/kavrin-*.png
